#include "engine/folder_recovery.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/folder_conversion.h"
#include "engine/folder_scope.h"

namespace engine {
namespace {

// The first blocks of the index's messages, and its records; nothing when the header counts no message.
void CollectIndex(dbx::DbxFile& dbx, std::vector<uint32_t>& first_blocks, std::vector<uint32_t>& records)
{
    if (dbx::ReadDword(dbx, dbx::kHeaderMessageCount) == 0) return;
    records = dbx::CollectMessageRecords(dbx);
    first_blocks.reserve(records.size());
    for (uint32_t record : records) {
        dbx::MessageData data = dbx::LocateMessageData(dbx, record);
        if (data.found && data.first_block != 0) first_blocks.push_back(data.first_block);
    }
}

// FNV-1a over a chain's text; false when the file cannot be read.
bool HashText(dbx::DbxFile& dbx, const dbx::CandidateTable& table, const dbx::RecoveredChain& chain, uint64_t& hash)
{
    unsigned char piece[kPieceSize];
    dbx::ChainReader reader = dbx::StartChainReader(chain);
    hash = 0xcbf29ce484222325ull;
    for (;;) {
        uint32_t count = 0;
        if (!dbx::ReadChainPiece(dbx, table, reader, piece, kPieceSize, count)) return false;
        if (count == 0) return true;
        for (uint32_t i = 0; i < count; ++i) hash = (hash ^ piece[i]) * 0x100000001b3ull;
    }
}

// Exactly `count` bytes of a chain's text (pieces stop at block ends); false at a read failure or the end.
bool ReadExactly(dbx::DbxFile& dbx, const dbx::CandidateTable& table, dbx::ChainReader& reader, unsigned char* buffer,
                 uint32_t count)
{
    for (uint32_t done = 0; done < count;) {
        uint32_t got = 0;
        if (!dbx::ReadChainPiece(dbx, table, reader, buffer + done, count - done, got) || got == 0) return false;
        done += got;
    }
    return true;
}

// Byte for byte, for two texts of the same length.
bool SameText(dbx::DbxFile& dbx, const dbx::CandidateTable& table, const dbx::RecoveredChain& first,
              const dbx::RecoveredChain& second)
{
    unsigned char mine[kPieceSize];
    unsigned char theirs[kPieceSize];
    dbx::ChainReader reader = dbx::StartChainReader(first);
    dbx::ChainReader other = dbx::StartChainReader(second);
    for (;;) {
        uint32_t count = 0;
        if (!dbx::ReadChainPiece(dbx, table, reader, mine, kPieceSize, count)) return false;
        if (count == 0) return true;
        if (!ReadExactly(dbx, table, other, theirs, count) || std::memcmp(mine, theirs, count) != 0) return false;
    }
}

// Leaves out the whole texts that equal a message the index reaches. Only indexed texts of a length that some
// recovered text has are read, and each once; equal hashes are confirmed byte for byte.
void DropIndexedCopies(dbx::DbxFile& dbx, dbx::CandidateTable& table, const std::vector<uint32_t>& first_blocks,
                       std::vector<dbx::RecoveredChain>& chains)
{
    std::vector<uint64_t> lengths;
    for (const dbx::RecoveredChain& chain : chains)
        if (chain.lost == 0) lengths.push_back(chain.text_length);
    if (lengths.empty()) return;
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());

    struct IndexedText {
        uint64_t length;
        uint64_t hash;
        dbx::RecoveredChain chain;
    };
    std::vector<IndexedText> indexed;
    for (uint32_t first : first_blocks) {
        dbx::RecoveredChain chain;
        if (!dbx::DescribeIndexedChain(table, first, chain)) continue;
        if (!std::binary_search(lengths.begin(), lengths.end(), chain.text_length)) continue;
        uint64_t hash = 0;
        if (HashText(dbx, table, chain, hash)) indexed.push_back({chain.text_length, hash, chain});
    }
    if (indexed.empty()) return;
    auto order = [](const IndexedText& a, const IndexedText& b) {
        return a.length != b.length ? a.length < b.length : a.hash < b.hash;
    };
    std::sort(indexed.begin(), indexed.end(), order);

    auto is_copy = [&](const dbx::RecoveredChain& chain) {
        if (chain.lost != 0) return false;
        IndexedText key{chain.text_length, 0, {}};
        auto first = std::lower_bound(indexed.begin(), indexed.end(), key, order);
        if (first == indexed.end() || first->length != chain.text_length) return false;
        if (!HashText(dbx, table, chain, key.hash)) return false;
        for (auto it = std::lower_bound(first, indexed.end(), key, order);
             it != indexed.end() && it->length == key.length && it->hash == key.hash; ++it)
            if (SameText(dbx, table, chain, it->chain)) return true;
        return false;
    };
    chains.erase(std::remove_if(chains.begin(), chains.end(), is_copy), chains.end());
}

// One recovered text as one message: the header line, the text (the placeholder for lost bytes) and, where the
// text does not end with a line feed, CR LF. False, with the reason in the last-error code, when a step fails.
bool PassRecoveredText(dbx::DbxFile& dbx, const RecoveryFindings& found, const dbx::RecoveredChain& chain,
                       FolderScope& scope)
{
    if (!BeginMessage(scope, dbx::kKindMail)) return false;
    std::string header = RecoveredHeaderLine(chain, found.table.blocks[chain.first].position);
    if (!AppendPiece(scope, header.data(), static_cast<uint32_t>(header.size()))) return false;
    unsigned char piece[kPieceSize];
    bool line_end = true;
    dbx::ChainReader reader = dbx::StartChainReader(chain);
    for (;;) {
        uint32_t count = 0;
        if (!dbx::ReadChainPiece(dbx, found.table, reader, piece, kPieceSize, count)) return false;
        if (count == 0) break;
        if (!AppendPiece(scope, piece, count)) return false;
        line_end = piece[count - 1] == '\n';
    }
    static const char kLineEnd[] = "\r\n";
    if (!line_end && !AppendPiece(scope, kLineEnd, 2)) return false;
    return EndMessage(scope);
}

// What could be read of an indexed message cut short by damage: its blocks up to the damage, after the header
// line. Nothing (true, counted 0) when not one byte can be read.
bool PassCutText(dbx::DbxFile& dbx, uint32_t first_block, FolderScope& scope, uint32_t& passed)
{
    passed = 0;
    std::vector<dbx::Block> readable;
    uint64_t bytes = 0;
    dbx::BlockChain chain = dbx::StartBlockChain(first_block);
    dbx::Block block;
    while (chain.next != 0 && dbx::NextBlock(dbx, chain, block) &&
           block.text_offset + block.text_length <= dbx.file_size) {
        readable.push_back(block);
        bytes += block.text_length;
    }
    if (bytes == 0) return true;
    if (!BeginMessage(scope, dbx::kKindMail)) return false;
    std::string header = CutMessageHeaderLine(first_block, readable.size(), bytes);
    if (!AppendPiece(scope, header.data(), static_cast<uint32_t>(header.size()))) return false;
    unsigned char piece[kPieceSize];
    bool line_end = true;
    for (const dbx::Block& one : readable) {
        for (uint32_t done = 0; done < one.text_length;) {
            uint32_t count = std::min<uint32_t>(one.text_length - done, kPieceSize);
            if (!dbx::ReadBytes(dbx, one.text_offset + done, piece, count)) return false;
            if (!AppendPiece(scope, piece, count)) return false;
            line_end = piece[count - 1] == '\n';
            done += count;
        }
    }
    static const char kLineEnd[] = "\r\n";
    if (!line_end && !AppendPiece(scope, kLineEnd, 2)) return false;
    if (!EndMessage(scope)) return false;
    passed = 1;
    return true;
}

// One text through the scope, asked about after each failed attempt as any message is: `pass` makes an attempt.
// NextMessage when it went through or was skipped.
template <typename Pass>
AfterFailure PassAnswering(FrontEnd& front_end, FolderScope& scope, uint32_t index, Pass pass)
{
    for (;;) {
        if (pass()) return AfterFailure::NextMessage;
        AfterFailure next = AnswerFailedMessage(front_end, scope, index);
        if (next != AfterFailure::Retry) return next;
    }
}

// The readable parts of the messages cut by damage, each once, with the questions and answers of any message.
bool PassCutTexts(FrontEnd& front_end, dbx::DbxFile& dbx, std::vector<uint32_t> first_blocks, FolderScope& scope,
                  uint32_t& recovered)
{
    std::sort(first_blocks.begin(), first_blocks.end());
    first_blocks.erase(std::unique(first_blocks.begin(), first_blocks.end()), first_blocks.end());
    for (size_t i = 0; i < first_blocks.size(); ++i) {
        if (TheRunControl().abort.load()) return false;
        AfterFailure next = PassAnswering(front_end, scope, static_cast<uint32_t>(i), [&] {
            uint32_t passed = 0;
            if (!PassCutText(dbx, first_blocks[i], scope, passed)) return false;
            recovered += passed;
            return true;
        });
        if (next == AfterFailure::EndFolder) return true;
        if (next == AfterFailure::StopRun) return false;
    }
    return true;
}

void WaitWhilePaused()
{
    RunControl& control = TheRunControl();
    while (control.pause.load()) platform::SleepMilliseconds(10);
}

// The recovered texts through the scope, with the same questions and answers as indexed messages. Counts what
// went through into `recovered`.
bool PassRecoveredTexts(FrontEnd& front_end, dbx::DbxFile& dbx, const RecoveryFindings& found, FolderScope& scope,
                        uint32_t& recovered)
{
    for (size_t i = 0; i < found.chains.size(); ++i) {
        WaitWhilePaused();
        if (TheRunControl().abort.load()) return false;
        AfterFailure next = PassAnswering(front_end, scope, static_cast<uint32_t>(i), [&] {
            if (!PassRecoveredText(dbx, found, found.chains[i], scope)) return false;
            ++recovered;
            return true;
        });
        if (next == AfterFailure::EndFolder) return true;
        if (next == AfterFailure::StopRun) return false;
    }
    return true;
}

}  // namespace

std::string RecoveredFolderName(const std::string& folder_name) { return folder_name + " (recovered)"; }

std::string RecoveredHeaderLine(const dbx::RecoveredChain& chain, uint32_t first_position)
{
    char position[16];
    std::snprintf(position, sizeof position, "0x%08X", static_cast<unsigned>(first_position));
    std::string line = "X-Dovan-Recovered: ";
    line += chain.freed ? "deleted text" : "text outside the index";
    line += std::string(" at ") + position + ", " + std::to_string(chain.blocks);
    line += chain.blocks == 1 ? " block" : " blocks";
    line += ", " + std::to_string(chain.lost) + (chain.lost == 1 ? " byte lost" : " bytes lost");
    if (chain.lost != 0) line += " (each shown as ?)";
    return line + "\r\n";
}

std::string CutMessageHeaderLine(uint32_t first_block, uint64_t blocks, uint64_t bytes)
{
    char position[16];
    std::snprintf(position, sizeof position, "0x%08X", static_cast<unsigned>(first_block));
    std::string line = "X-Dovan-Recovered: indexed text at " + std::string(position) + " cut by damage after ";
    line += std::to_string(blocks) + (blocks == 1 ? " block, " : " blocks, ");
    line += std::to_string(bytes) + (bytes == 1 ? " byte read" : " bytes read");
    return line + "\r\n";
}

RecoveryFindings FindRecoverableTexts(dbx::DbxFile& dbx, size_t candidate_limit)
{
    RecoveryFindings found;
    found.table.limit = candidate_limit;
    const std::atomic<bool>& abort = TheRunControl().abort;
    bool read = dbx::ScanFile(dbx, found.table, dbx::kScanChunkSize, &abort);
    if (abort.load()) return found;
    std::vector<uint32_t> first_blocks;
    std::vector<uint32_t> records;
    CollectIndex(dbx, first_blocks, records);
    found.chains = dbx::RebuildChains(found.table, first_blocks, records);
    DropIndexedCopies(dbx, found.table, first_blocks, found.chains);
    found.complete = read && !found.table.full;
    return found;
}

bool RecoverFolder(FrontEnd& front_end, const char* path, const char* folder_name, const std::string& writer_name,
                   const FolderPlace* place, const WriterPlugin& plugin, const std::vector<uint32_t>& cut_by_damage)
{
    // The file was open a moment ago; if it cannot be opened now, there is nothing to recover from it.
    platform::FileHandle file = platform::OpenForReading(path);
    if (file == platform::kNoFile) return true;
    dbx::DbxFile dbx;
    bool go_on = true;
    if (dbx::OpenDbxFile(dbx, file)) {
        RecoveryFindings found = FindRecoverableTexts(dbx);
        if (TheRunControl().abort.load()) {
            if (plugin.FinishConvert) plugin.FinishConvert();  // stopping: as the run does
            go_on = false;
        } else {
            std::string name = RecoveredFolderName(writer_name);
            FolderScope scope = MakeFolderScope(plugin, name.c_str());
            // In a run that keeps the tree, the recovered folder lies beside the folder, in its parent.
            FolderPlace recovered_place;
            if (place) {
                recovered_place.path = place->path;
                if (!recovered_place.path.empty())
                    recovered_place.path.back() = RecoveredFolderName(place->path.back());
                recovered_place.flat_name = RecoveredFolderName(place->flat_name);
                scope.place = &recovered_place;
            }
            uint32_t recovered = 0;
            go_on = PassCutTexts(front_end, dbx, cut_by_damage, scope, recovered) &&
                    PassRecoveredTexts(front_end, dbx, found, scope, recovered);
            if (!go_on && plugin.FinishConvert) plugin.FinishConvert();  // stopping: as the run does
            EndFolder(scope);
            front_end.MessagesRecovered(folder_name, recovered, found.complete);
        }
    }
    platform::CloseFile(file);
    return go_on;
}

}  // namespace engine
