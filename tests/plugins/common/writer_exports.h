// A built writer plugin loaded as the host loads it, its exports bound by name. Free of the test framework, so
// that the fuzz targets share it with the tests.
#pragma once

#include <string>
#include <type_traits>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace writer_test {

struct WriterExports {
    platform::LibraryHandle library = nullptr;
    GetPluginNameFn GetPluginName = nullptr;
    GetNoteFn GetNote = nullptr;
    GetDefaultDestDirFn GetDefaultDestDir = nullptr;
    SettingDlgFn SettingDlg = nullptr;
    StartConvertFn StartConvert = nullptr;
    NewFolderFn NewFolder = nullptr;
    NewMessageFn NewMessage = nullptr;
    AppendBufferFn AppendBuffer = nullptr;
    FinishMessageFn FinishMessage = nullptr;
    FinishFolderFn FinishFolder = nullptr;
    FinishConvertFn FinishConvert = nullptr;
    SetSettingFn SetSetting = nullptr;
    LoadPluginStringFn LoadPluginString = nullptr;
    SetMessageFactsFn SetMessageFacts = nullptr;
    SetOptionFn SetOption = nullptr;
    NewTreeFolderFn NewTreeFolder = nullptr;
    DiscardMessageFn DiscardMessage = nullptr;
};

// Loads the plugin `name` (e.g. "Dovanmbox") from the build's plugin folder (DOVAN_PLUGIN_DIR) and binds its
// exports; missing ones stay null. False when the module cannot be loaded.
inline bool LoadWriter(const char* name, WriterExports& writer)
{
    std::string path = std::string(DOVAN_PLUGIN_DIR) + "/" + name + platform::SharedLibrarySuffix();
    writer = WriterExports{};
    writer.library = platform::LoadSharedLibrary(path.c_str());
    if (!writer.library) return false;
    auto bind = [&](auto& entry, const char* symbol) {
        entry =
            reinterpret_cast<std::remove_reference_t<decltype(entry)>>(platform::FindSymbol(writer.library, symbol));
    };
    bind(writer.GetPluginName, "GetPluginName");
    bind(writer.GetNote, "GetNote");
    bind(writer.GetDefaultDestDir, "GetDefaultDestDir");
    bind(writer.SettingDlg, "SettingDlg");
    bind(writer.StartConvert, "StartConvert");
    bind(writer.NewFolder, "NewFolder");
    bind(writer.NewMessage, "NewMessage");
    bind(writer.AppendBuffer, "AppendBuffer");
    bind(writer.FinishMessage, "FinishMessage");
    bind(writer.FinishFolder, "FinishFolder");
    bind(writer.FinishConvert, "FinishConvert");
    bind(writer.SetSetting, "SetSetting");
    bind(writer.LoadPluginString, "LoadPluginString");
    bind(writer.SetMessageFacts, "SetMessageFacts");
    bind(writer.SetOption, "SetOption");
    bind(writer.NewTreeFolder, "NewTreeFolder");
    bind(writer.DiscardMessage, "DiscardMessage");
    return true;
}

inline void UnloadWriter(WriterExports& writer)
{
    platform::FreeSharedLibrary(writer.library);
    writer = WriterExports{};
}

}  // namespace writer_test
