// The eml writer's state and operations: every message as a file of its own, its text unchanged, in one
// subfolder per source folder, named by number or after its subject.
//
// All state is in one record: one run at a time uses it, every call coming from the run's one thread (the
// file preparer's helper thread touches only what platform::FilePreparer hands it). The exports
// (entry_points.cpp) are thin layers over the operations below (message_files.cpp).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/gathered_output.h"
#include "plugins/eml/file_names.h"
#include "plugins/eml/setting.h"
#include "plugins/eml/subject_search.h"
#include "plugins/eml/taken_names.h"

namespace eml {

struct EmlWriter {
    uint32_t message_number = 0;  // per folder; the first message is 1
    platform::FileHandle output = platform::kNoFile;
    uint32_t kind = MessageKindMail;          // of the open message
    uint32_t rule = kSequence;                // the naming rule the open message was begun under
    char working_name[kNameBufferSize] = "";  // the open message's file
    SubjectSearch subject;
    FolderNames folder_names;
    plugins::GatheredOutput gathered;            // the open message's bytes not yet written
    platform::FilePreparer* preparer = nullptr;  // started by the first folder that reaches it; serves the run
};

extern EmlWriter g_writer;

bool StartRun(const char* destination);
void EndRun();
bool OpenFolder(const char* name);
// What every folder's opening does first: the previous folder's open file, prepared files and names let go.
void ClearFolderState();
bool CloseFolder();
bool BeginMessage(uint32_t kind);
bool AppendPiece(const void* data, uint32_t length);
bool EndMessage();

// Closes and removes the open message's file and frees its name and number (message_discard.cpp). False, with
// the reason, when the file may remain.
bool DiscardOpenMessage();
// Removes the closed file of a message that is not counted and frees its name and number; where it cannot be
// removed, its name stays taken. False, with the reason, when the file remains.
bool RemoveUncountedFile(EmlWriter& writer);

}  // namespace eml
