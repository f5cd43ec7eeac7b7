// The benchmark store's second layout: the same folders with the blocks of each message spread at random over
// the file and the index listing the messages in an order unrelated to their place in the file, as a store
// that Outlook Express used for years without compacting it looks.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Writes a copy of the store file `from` to `to`: every block of a chain but its first (which its record
// names) trades places with another such block chosen at random, the chains linked anew, and the record
// offsets of the index shuffled among its entries. False with a message on stderr when it cannot.
bool WriteScatteredCopy(const std::string& from, const std::string& to, uint32_t seed);

}  // namespace bench
