// Each eml file dated with its message's own time (received, else sent), from the facts the host hands over
// before the message begins. A message without either time keeps the time its file was written.
#pragma once

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace eml {

// SetMessageFacts: the date that the next message's file takes.
void NoteMessageFacts(const DovanMessageFacts* facts);

// NewMessage: the noted date becomes the open message's; a next message without facts gets none.
void BeginMessageDate();

// Sets the open file's modification time to its message's date, when it has one. Called after the last write
// and before the close, so that nothing moves the time again.
bool DateMessageFile(platform::FileHandle file);

}  // namespace eml
