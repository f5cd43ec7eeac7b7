// The entry points through which the host drives the mbox writer (see plugin_api/dovan_plugin.h for the order).
// The others live beside the code they serve: LoadPluginString where there are no string resources
// (strings_posix.cpp), SettingDlg on Windows (plugins/common/win32/setting_dialog.h).
#include "plugins/mbox/entry_points.h"
#include "plugins/common/exports.h"
#include "plugins/mbox/message_state.h"
#include "plugins/mbox/setting.h"
#include "plugins/mbox/tree_folders.h"
#include "plugins/mbox/writer.h"

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return plugins::kPluginNameId; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return plugins::kNoteId; }

DOVAN_ENTRY(int) StartConvert(const char* destination) { return mbox::StartRun(destination) ? 1 : 0; }

DOVAN_ENTRY(int) NewFolder(const char* folder_name) { return mbox::OpenFolder(folder_name) ? 1 : 0; }

DOVAN_ENTRY(int) NewMessage(uint32_t /*kind: mail and news are written alike*/)
{
    mbox::BeginMessage();
    return 1;
}

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length)
{
    return mbox::AppendText(static_cast<const char*>(data), length) ? 1 : 0;
}

DOVAN_ENTRY(int) FinishMessage(void) { return mbox::EndMessage() ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return mbox::CloseFolder() ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void)
{
    mbox::EndRun();
    return 1;
}

// The setting changes only when the text names one.
DOVAN_ENTRY(int) SetSetting(const char* value)
{
    return plugins::SettingAnswer(mbox::ParseQuotingMode(value, &mbox::g_quoting_mode));
}

// Message facts and the options that use them (message_state.h).
DOVAN_ENTRY(int) SetMessageFacts(const DovanMessageFacts* facts)
{
    mbox::NoteMessageFacts(facts);
    return 1;
}

DOVAN_ENTRY(int) SetOption(const char* name, const char* value) { return mbox::SetMessageOption(name, value) ? 1 : 0; }

// The folder tree (tree_folders.h): each folder's file, its subfolders in "NAME.sbd".
DOVAN_ENTRY(int) NewTreeFolder(const char* const* path, uint32_t depth, uint32_t flags)
{
    return mbox::OpenTreeFolder(path, depth, flags) ? 1 : 0;
}

// Optional: a message the host gives up on leaves nothing in the file.
DOVAN_ENTRY(int) DiscardMessage(void) { return mbox::DiscardOpenMessage() ? 1 : 0; }
