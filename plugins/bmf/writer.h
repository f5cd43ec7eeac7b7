// The bmf writer's state and operations. A run becomes a new mailbox folder "%08x.mb" with Mailbox.ini, one
// subfolder per source folder, and in each the messages in storage files "%08x.bmf" of about SplitSizeKB each.
// A stored message is its text unchanged, then "\r\n.\r\n".
//
// All state is in one record: one run at a time uses it, every call coming from the run's one thread. The
// exports (entry_points.cpp) are thin layers over the operations below (storage_files.cpp).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "plugins/common/gathered_output.h"

namespace bmf {

struct BmfWriter {
    uint32_t file_number = 0;  // of the last storage file created; runs on across the folders of a run
    platform::FileHandle output = platform::kNoFile;
    uint32_t bytes_in_file = 0;        // pieces and separators written to the open storage file
    plugins::GatheredOutput gathered;  // the open message's bytes not yet written
    bool first_piece = false;          // the open message has not had a piece yet
    // A message whose separator could not be written: the next message of the file must not run on from it.
    bool separator_owed = false;
    // Where the open message begins in its storage file, with the file's state there: what a discarded
    // message is taken back to.
    uint64_t message_start = 0;
    uint32_t bytes_in_file_at_start = 0;
    bool separator_owed_at_start = false;
};

extern BmfWriter g_writer;

bool StartRun(const char* destination);
bool OpenFolder(const char* name);
bool CloseFolder();
bool BeginMessage();
bool AppendPiece(const void* data, uint32_t length);
bool EndMessage();

// Cuts the storage file back to where the open message began (message_discard.cpp). False, with the reason,
// when something of the message may remain.
bool DiscardOpenMessage();
// The same for a message whose end failed; the caller keeps its reason. False when the file could not be cut.
bool TakeBackMessage(BmfWriter& writer);

// The clock reading, in seconds since 1970, that names a run's mailbox (mailbox_clock.cpp).
uint32_t MailboxClock();

}  // namespace bmf
