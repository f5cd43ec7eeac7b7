// The entry points through which the host drives the eml writer (see plugin_api/dovan_plugin.h for the order).
// The others live beside the code they serve: LoadPluginString where there are no string resources
// (strings_posix.cpp), SettingDlg on Windows (plugins/common/win32/setting_dialog.h).
#include "plugins/common/exports.h"
#include "plugins/eml/file_times.h"
#include "plugins/eml/setting.h"
#include "plugins/eml/tree_folders.h"
#include "plugins/eml/writer.h"

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return plugins::kPluginNameId; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return plugins::kNoteId; }

DOVAN_ENTRY(int) StartConvert(const char* destination) { return eml::StartRun(destination) ? 1 : 0; }

DOVAN_ENTRY(int) NewFolder(const char* name) { return eml::OpenFolder(name) ? 1 : 0; }

DOVAN_ENTRY(int) NewMessage(uint32_t kind) { return eml::BeginMessage(kind) ? 1 : 0; }

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length) { return eml::AppendPiece(data, length) ? 1 : 0; }

DOVAN_ENTRY(int) FinishMessage(void) { return eml::EndMessage() ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return eml::CloseFolder() ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void)
{
    eml::EndRun();
    return 1;
}

// The setting changes only when the text names one.
DOVAN_ENTRY(int) SetSetting(const char* value)
{
    return plugins::SettingAnswer(eml::ParseNamingRule(value, &eml::g_naming_rule));
}

// Message facts: each file takes its message's date.
DOVAN_ENTRY(int) SetMessageFacts(const DovanMessageFacts* facts)
{
    eml::NoteMessageFacts(facts);
    return 1;
}

// The folder tree (tree_folders.h): a directory per folder, its subfolders inside it.
DOVAN_ENTRY(int) NewTreeFolder(const char* const* path, uint32_t depth, uint32_t flags)
{
    return eml::OpenTreeFolder(path, depth, flags) ? 1 : 0;
}

// Optional: a message the host gives up on leaves no file.
DOVAN_ENTRY(int) DiscardMessage(void) { return eml::DiscardOpenMessage() ? 1 : 0; }
