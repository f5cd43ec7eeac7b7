// The plugin host: finds the writer plugins of a directory, binds their entry points by name, turns their text
// results into host-owned texts, and unloads them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace engine {

// One loaded writer plugin: the library followed by the eleven entry points in contract order; a missing
// optional entry point is null. Owned by the host; borrowed by a run.
struct WriterPlugin {
    platform::LibraryHandle library = nullptr;
    GetPluginNameFn GetPluginName = nullptr;          // required
    GetNoteFn GetNote = nullptr;                      // required
    GetDefaultDestDirFn GetDefaultDestDir = nullptr;  // optional
    SettingDlgFn SettingDlg = nullptr;                // optional
    StartConvertFn StartConvert = nullptr;            // required
    NewFolderFn NewFolder = nullptr;                  // required
    NewMessageFn NewMessage = nullptr;                // required
    AppendBufferFn AppendBuffer = nullptr;            // required
    FinishMessageFn FinishMessage = nullptr;          // required
    FinishFolderFn FinishFolder = nullptr;            // optional
    FinishConvertFn FinishConvert = nullptr;          // optional
    SetSettingFn SetSetting = nullptr;                // optional, beyond the eleven: a setting from a text
    NewTreeFolderFn NewTreeFolder = nullptr;          // optional, beyond the eleven: a folder's place in the tree
    DiscardMessageFn DiscardMessage = nullptr;        // optional, beyond the eleven: takes back the open message
    SetMessageFactsFn SetMessageFacts = nullptr;      // optional: each message's facts before its NewMessage
    SetOptionFn SetOption = nullptr;                  // optional: named options from a command line

    std::string display_name;  // PluginText of GetPluginName, taken when the plugin was registered
    std::string file_name;     // the library's file name as found, e.g. "Dovanmbox.so"
};

// Loads every library with the platform's suffix in `directory`, keeps the usable ones and returns them sorted
// by display name. Libraries that do not load or lack a required entry point are unloaded and left out silently.
std::vector<WriterPlugin*> LoadWriterPlugins(const char* directory);

// Binds the entry points of a loaded library into `plugin`; true when the seven required ones are present.
bool BindWriterPlugin(platform::LibraryHandle library, WriterPlugin& plugin);

// Calls one of the plugin's text entry points (which may be null) and returns its text: a string of the plugin's
// table (cut to 1023 bytes), or a copy of a returned block, which is always freed. Nothing for no text or an
// empty block.
std::optional<std::string> PluginText(const WriterPlugin& plugin, DovanTextResult(DOVAN_CALL* entry)(void));

// Where a folder goes in a run that keeps the folder tree.
struct FolderPlace {
    std::vector<std::string> path;  // safe names from the top of the destination down to the folder
    bool has_subfolders = false;
    std::string flat_name;  // the one name for a plugin without NewTreeFolder: the path joined with "="
};

// Opens a folder of the writer: NewTreeFolder where a place is given and the plugin offers it, otherwise
// NewFolder (with the place's flat name, or `name` when there is no place). The plugin's result.
int OpenWriterFolder(const WriterPlugin& plugin, const char* name, const FolderPlace* place);

// Frees the library and the record.
void UnloadWriterPlugin(WriterPlugin* plugin);

}  // namespace engine
