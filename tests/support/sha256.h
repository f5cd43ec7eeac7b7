// SHA-256 of a byte string, as lowercase hex: how tests compare message texts with known digests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fixture {

class Sha256 {
public:
    Sha256();
    void Update(std::string_view bytes);
    std::string HexDigest();  // finishes the hash; Update may not be called afterwards

private:
    void Compress(const unsigned char* chunk);

    uint32_t state_[8];
    unsigned char pending_[64];
    uint32_t pending_size_ = 0;
    uint64_t total_bytes_ = 0;
};

std::string Sha256Hex(std::string_view bytes);

}  // namespace fixture
