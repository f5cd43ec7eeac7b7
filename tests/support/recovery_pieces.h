// Pieces of .dbx images for the recovery tests: message texts left in a store outside its index, as live-looking
// chains (whose own-offset words may be shifted) and as chains of freed blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

inline constexpr uint32_t kBlockStride = 16 + 0x200;  // a block of 512 text bytes with its head
inline constexpr uint32_t kHeaderFirstFreedBlock = 0x48;

// A chain of live-looking blocks for `text` (512 bytes each, the last shorter) laid out one after another from
// `at`, whose own-offset and next words are all `shift` more than where the blocks lie.
std::string LiveChain(uint32_t at, const std::string& text, uint32_t shift = 0);

// The same text as a chain of freed blocks, as Outlook Express leaves a deleted message: own offset, 0x1FC,
// 0x210, the old next block; the first 4 text bytes of each block hold the link to the next freed object
// (`free_links[i]`, 0 where none is given). The rest of the last block is zeros.
std::string FreedChain(uint32_t at, const std::string& text, const std::vector<uint32_t>& free_links = {});

// Places blocks of `text` at chosen positions of an image, linked in that order (a loop when the last links back).
void PlaceBlocks(std::string& image, const std::vector<uint32_t>& positions, const std::string& text,
                 uint32_t last_next = 0);

// What the recovered text of `text` in freed blocks reads: the first 4 bytes of every 512 as '?'.
std::string WithLostBytes(const std::string& text);

// A text of `size` bytes that reads as mail: a header, then numbered lines.
std::string MailText(const std::string& subject, size_t size);

}  // namespace fixture
