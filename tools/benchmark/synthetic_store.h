// The benchmark's store: several folders of invented mail, written with the fixture builder's streaming
// writer in 512-byte blocks under multi-level index trees, about the size asked for, in two layouts: in order
// (DIR/store) and scattered (DIR/scattered, see scattered_store.h).
#pragma once

#include <cstdint>
#include <string>

namespace bench {

struct StoreSummary {
    uint64_t bytes = 0;     // of all .dbx files together
    uint32_t messages = 0;  // messages with text, i.e. what a conversion should count
    uint32_t folders = 0;
};

// Writes the store into `directory` (created if missing) unless a store of the same size and generator is
// there already; a stamp file records what was written. False with a message on stderr when writing fails.
bool PrepareStore(const std::string& directory, uint64_t target_bytes, StoreSummary& summary);

}  // namespace bench
