// The folder a writer makes for each source folder and works in until FinishFolder leaves it with "..".
#pragma once

namespace plugins {

// Makes the folder for the source folder `name` inside the current directory (an existing one is simply used)
// and enters it. The name is made safe by names::MakeFolderName first; one too long for that rule is used as
// given, for the system to judge. False, with the reason in the last-error code, when `name` is null or the
// folder cannot be entered.
bool EnterNewFolder(const char* name);

}  // namespace plugins
