// The Maildir writer: every source folder a Maildir (cur/, new/, tmp/), every message written to tmp/ and then
// moved into cur/ under a unique name whose info part carries the message's flags, dated as the message.
//
// A reader never sees half a message in cur/: a message whose text could not be written whole is removed from
// tmp/, and a message is in cur/ exactly when FinishMessage succeeded for it.
//
// While a folder is open the current directory is its tmp/, where files are made ahead on a helper thread as
// the eml writer makes them (creating a file then costs little more than naming one).
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/gathered_output.h"
#include "plugins/maildir/maildir_names.h"

namespace maildir {

// The whole state of the writer. One run at a time uses it (the host's contract).
struct MaildirRun {
    std::string destination;                          // the run's destination; the current directory between folders
    bool folder_open = false;                         // the current directory is a folder's tmp/
    uint32_t stamp = 0;                               // the open folder's: the first part of its message names
    uint32_t message_number = 0;                      // per folder; raised by every NewMessage
    DovanMessageFacts next_facts{};                   // from SetMessageFacts, for the next NewMessage only
    DovanMessageFacts facts{};                        // the open message's
    platform::FileHandle output = platform::kNoFile;  // the open message's file in tmp/
    bool output_failed = false;                       // a piece of the open message could not be written
    char unique[kMessageNameSize] = "";               // the open message's name in tmp/
    plugins::GatheredOutput gathered;                 // the open message's bytes not yet written
    platform::FilePreparer* preparer = nullptr;       // started by the first folder that reaches kPrepareFilesFrom
};

// A folder's files are made ahead from this message on: a folder of a few messages would pay more for the
// files made in vain than naming saves.
inline constexpr uint32_t kPrepareFilesFrom = 8;

MaildirRun& TheRun();

bool StartRun(MaildirRun& run, const char* destination);
bool OpenFolder(MaildirRun& run, const char* folder_name);
// Opens the Maildir `directory` (relative to the destination; made with its cur/, new/ and tmp/ where missing)
// as the run's folder. The current directory must be the destination.
bool EnterMaildir(MaildirRun& run, const char* directory);
// NewTreeFolder: the folder's Maildir++ directory (tree_folders.h).
bool OpenTreeFolder(MaildirRun& run, const char* const* path, uint32_t depth);
void TakeFacts(MaildirRun& run, const DovanMessageFacts* facts);
bool OpenMessage(MaildirRun& run);
bool WritePiece(MaildirRun& run, const void* data, uint32_t length);
bool DeliverMessage(MaildirRun& run);
// Removes the open message's file from tmp/. False, with the reason, when the file may remain.
bool DiscardMessage(MaildirRun& run);
bool CloseFolder(MaildirRun& run);
void FinishRun(MaildirRun& run);

}  // namespace maildir
