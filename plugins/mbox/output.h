// The one way out of the writer: every byte of the mbox file passes through WriteOutput.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace mbox {

// Writes all bytes to the open mbox file. False, with the system's reason, when the write fails or stops short.
bool WriteOutput(platform::FileHandle file, const char* bytes, size_t count);

}  // namespace mbox
