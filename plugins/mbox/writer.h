// The mbox writer's state and operations: one UNIX mbox file per source folder. All state is in one record:
// one run at a time uses it, every call coming from the run's one thread. The exported entry points
// (entry_points.cpp) are thin layers over these.
#pragma once

#include <cstddef>

#include "platform/platform.h"
#include "plugins/common/gathered_output.h"
#include "plugins/mbox/byte_buffer.h"
#include "plugins/mbox/from_line.h"

namespace mbox {

inline constexpr size_t kInitialLineCapacity = 1024;
inline constexpr size_t kInitialHeaderCapacity = 0x10000;

struct MboxWriter {
    ByteBuffer line;              // the line being assembled across pieces, up to and including its LF
    ByteBuffer header;            // the open message's header lines, held back until the empty line that ends them
    bool run_active = false;      // between StartConvert and FinishConvert
    bool message_open = false;    // between NewMessage and FinishMessage
    bool in_header = false;       // until the From_ line and the header have been written
    bool message_failed = false;  // a piece of the open message was refused: what is held gets dropped
    bool sender_found = false;    // the first Return-Path or From line has been seen
    // The last piece ended inside a body line that needs no ">" (its first byte rules it out): the line's
    // bytes are written as they come instead of being assembled.
    bool passing_line = false;
    // A message of this file could not be closed: the file may end inside one of its lines, so the next
    // From_ line is put on a line of its own (the "\r\n" the failed close would have written).
    bool line_end_owed = false;
    size_t sender_start = 0;  // the sender, as offsets into the header buffer (it only ever grows)
    size_t sender_end = 0;
    char date_text[kDateTextSize] = {};               // the tail of every From_ line of the run
    platform::FileHandle output = platform::kNoFile;  // the open folder's mbox file
    // Where the open message begins in the file, and whether a line end was owed there: what a discarded
    // message is taken back to.
    uint64_t message_start = 0;
    bool line_end_owed_at_start = false;
    // Every byte of the mbox file goes out through here, in large writes (plugins/common/gathered_output.h
    // has the rules); it is flushed when a message ends.
    plugins::GatheredOutput gathered;
};

extern MboxWriter g_writer;

// Run, folder and message lifecycle (writer_run.cpp).
void ForgetMessage(MboxWriter& writer);
void FreeBuffers(MboxWriter& writer);
bool StartRun(const char* destination);
void EndRun();
bool OpenFolder(const char* name);
bool CloseFolder();
// Opens (creating or replacing) the mbox file at `path`, closing the one still open. False, with the reason in
// the last-error code, when it cannot be created.
bool OpenFolderFile(const char* path);
void BeginMessage();
bool EndMessage();

// Takes back what the open message put in the file and closes it (message_discard.cpp). False, with the reason,
// when something of it may remain.
bool DiscardOpenMessage();
// The same for a message whose end failed (its reason stays with the caller). False when the file could not be cut.
bool TakeBackMessage(MboxWriter& writer);

// Message text (message_lines.cpp).

// Takes the next piece of the open message: assembles lines, holds the header, writes the rest. A piece that
// is refused (null bytes, a failed write, memory) fails the message: what it holds is dropped at its end.
bool AppendText(const char* data, size_t length);

// Writes what the message still holds when it ends: a header that no empty line closed, with its From_
// line, and a last line that no LF closed.
bool WriteHeldText();

}  // namespace mbox
