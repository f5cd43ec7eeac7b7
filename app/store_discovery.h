// The Outlook Express stores of the current user, read from the registry's identities.
#pragma once

#include <windows.h>

namespace app {

// Adds one entry per identity that records a REG_SZ UserName and a REG_SZ or REG_EXPAND_SZ Store Root to the
// Source combo box: the user name as text, a heap copy of the store path (new[]) as item data. Identities
// with anything missing or of another type are left out silently.
void AddOutlookExpressStores(HWND combo);

}  // namespace app
