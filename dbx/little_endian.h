// Little-endian loads from byte arrays: the only way the reader turns stored bytes into numbers.
#pragma once

#include <cstdint>

namespace dbx {

inline uint32_t LoadLe32(const unsigned char* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

}  // namespace dbx
