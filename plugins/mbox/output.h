// The one way out of the writer: every byte of the mbox file passes through WriteOutput. Bytes are gathered
// and written in large pieces (plugins/common/gathered_output.h has the rules); the writer flushes when a
// message ends.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace mbox {

// Binds the output to the mbox file just created.
void StartOutputFile(platform::FileHandle file);

// Hands bytes on to the open mbox file. False, with the system's reason, when a write fails.
bool WriteOutput(platform::FileHandle file, const char* bytes, size_t count);

// Writes what has been handed on. False, with the system's reason, when the write fails.
bool FlushOutput();

// Forgets what has been handed on but not written (the file is about to go).
void DiscardOutput();

}  // namespace mbox
