// Message texts read ahead on helper threads, chain after chain, in the order the conversion takes the messages.
// A store whose blocks lie scattered over the file costs one read of the file per block; here two helpers make
// those reads, taking groups of messages by turns, while the conversion works through the blocks they read
// before, so that the conversion itself takes text from memory whatever the layout.
//
// Each helper walks the chains as the reader does (dbx_file.h), with a reader of its own over the same file, and
// hands over batches of whole blocks (head and text, exactly as the file held them when they were read). Where the
// owner asks for bytes no batch holds (a message taken up again, a chain a helper walked differently), it reads
// them in place: what the owner gets never depends on what was read ahead, only how fast.
#pragma once

#include <cstdint>
#include <vector>

#include "dbx/chain_budget.h"
#include "platform/platform.h"

namespace dbx {

struct ChainsAhead;

// Starts reading ahead the chains of the messages whose records are listed, in that order, from the file of
// `size` bytes (borrowed: it stays open until StopReadingChainsAhead). The owner's budget, as the index walk left
// it, lets the helpers bound a damaged chain where the owner does. With one helper where a second cannot be
// started; null where none can: the owner then reads as before.
ChainsAhead* StartReadingChainsAhead(platform::FileHandle file, uint64_t size, const std::vector<uint32_t>& records,
                                     const ChainBudget& budget);

// The count bytes at offset, where the blocks read ahead hold them: a pointer that stays valid until the next call;
// null otherwise.
const unsigned char* ChainBytesAhead(ChainsAhead& ahead, uint64_t offset, uint32_t count);

// Ends the helpers (each after the batch under way, which a stop cuts short) and frees everything. Null is
// ignored.
void StopReadingChainsAhead(ChainsAhead* ahead);

}  // namespace dbx
