// Hands a fuzz input to code that reads files: the bytes live in one anonymous in-memory file (a temporary
// file where the system has none), rewritten for every input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

// The file now holding exactly `size` bytes of `data`, or kNoFile when it cannot be written. The handle stays
// open for the whole process; callers must not close it.
platform::FileHandle FuzzInputFile(const uint8_t* data, size_t size);
