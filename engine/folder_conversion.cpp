#include "engine/folder_conversion.h"

#include <algorithm>
#include <vector>

#include "dbx/message_facts.h"
#include "engine/error_recovery.h"

namespace engine {
namespace {

enum class Attempt { Converted, NoMessageData, Failed };

// What one folder's message loop carries from message to message.
struct MessageLoop {
    FrontEnd& front_end;
    dbx::DbxFile& dbx;
    FolderScope& scope;
    unsigned char* piece;      // kPieceSize bytes, reused for every piece
    bool& damaged;             // set when a message's text could not be read whole
    uint32_t first_block = 0;  // of the message being passed on
};

bool FailAsDamaged(MessageLoop& loop)
{
    loop.damaged = true;
    loop.scope.cut_by_damage.push_back(loop.first_block);
    platform::SetLastError(platform::kErrorStoreDamaged);
    return false;
}

// Hands one block's text on, in pieces of at most kPieceSize bytes. False, with the reason in the last-error
// code, when the text cannot be read or the plugin refuses a piece.
bool PassBlock(MessageLoop& loop, const dbx::Block& block, bool& line_end)
{
    // Checked before any byte of the block goes out, so that nothing of a block cut off by the end of the file
    // reaches the plugin.
    if (block.text_offset + block.text_length > loop.dbx.file_size) return FailAsDamaged(loop);

    uint64_t position = block.text_offset;
    uint32_t remaining = block.text_length;
    while (remaining != 0) {
        uint32_t count = std::min(remaining, kPieceSize);
        // Most pieces are handed on straight from the reader's window; the others are read into the buffer.
        const unsigned char* bytes = dbx::PeekText(loop.dbx, position, count);
        if (!bytes) {
            if (!dbx::ReadBytes(loop.dbx, position, loop.piece, count)) {
                loop.damaged = true;  // the reader left the reason: the system's, or kErrorStoreDamaged
                return false;
            }
            bytes = loop.piece;
        }
        if (!AppendPiece(loop.scope, bytes, count)) return false;
        line_end = bytes[count - 1] == '\n';
        position += count;
        remaining -= count;
    }
    return true;
}

Attempt AttemptMessage(MessageLoop& loop, uint32_t record, size_t index, size_t count)
{
    // 64-bit arithmetic: 100 * index overflows 32 bits in folders of more than 42 million messages.
    loop.front_end.ProgressChanged(static_cast<unsigned>(uint64_t(100) * index / count));

    dbx::MessageData data = dbx::LocateMessageData(loop.dbx, record);
    if (!data.found) return Attempt::NoMessageData;

    bool line_end = true;  // nothing handed on yet
    // Only a plugin that takes the facts pays for reading them.
    DovanMessageFacts facts{};
    if (loop.scope.plugin->SetMessageFacts) facts = MakePluginFacts(dbx::ReadMessageFacts(loop.dbx, record));
    if (!BeginMessage(loop.scope, data.kind, facts)) return Attempt::Failed;
    loop.first_block = data.first_block;
    dbx::BlockChain chain = dbx::StartBlockChain(data.first_block);
    dbx::Block block;
    while (chain.next != 0) {
        // The reader ends a chain early where the store is damaged (a loop, a block outside the file, more text
        // than the file holds): the message is then incomplete, and is not passed off as converted.
        if (!dbx::NextBlock(loop.dbx, chain, block)) {
            FailAsDamaged(loop);
            return Attempt::Failed;
        }
        if (!PassBlock(loop, block, line_end)) return Attempt::Failed;
    }
    static const char kLineEnd[] = "\r\n";
    if (!line_end && !AppendPiece(loop.scope, kLineEnd, 2)) return Attempt::Failed;
    if (!EndMessage(loop.scope)) return Attempt::Failed;
    return Attempt::Converted;
}

void WaitWhilePaused()
{
    RunControl& control = TheRunControl();
    while (control.pause.load()) platform::SleepMilliseconds(10);
}

}  // namespace

AfterFailure AnswerFailedMessage(FrontEnd& front_end, FolderScope& scope, uint32_t index)
{
    ErrorChoice choice = AskErrorChoice(false, scope.folder_name, front_end);
    // Whatever the answer, this attempt at the message is over. A plugin that cannot take it back is asked
    // about like any failed step, and that answer stands: the message is closed by then. A stopping run asks
    // nothing more.
    if (!GiveUpMessage(scope) && choice != ErrorChoice::AbortProcessing)
        choice = AskErrorChoice(false, scope.folder_name, front_end);
    switch (choice) {
    case ErrorChoice::Retry:
        return AfterFailure::Retry;
    case ErrorChoice::SkipFolder:
        front_end.FolderSkipped(scope.folder_name);
        return AfterFailure::EndFolder;
    case ErrorChoice::AbortProcessing:
        return AfterFailure::StopRun;
    case ErrorChoice::SkipMail:
    case ErrorChoice::NotShown:
        break;
    }
    // SkipMail, or no answer at all. Without DiscardMessage the message stays open until the next BeginMessage.
    front_end.MessageSkipped(scope.folder_name, index);
    return AfterFailure::NextMessage;
}

bool ConvertMessages(FrontEnd& front_end, dbx::DbxFile& dbx, FolderScope& scope, uint32_t& total, bool& damaged)
{
    std::vector<uint32_t> records = dbx::CollectMessageRecords(dbx);
    dbx::StartReadingMessagesAhead(dbx, records);
    unsigned char piece[kPieceSize];
    MessageLoop loop{front_end, dbx, scope, piece, damaged};

    for (size_t i = 0; i < records.size(); ++i) {
        // The flags are polled here only: never before a retry, never between pieces.
        WaitWhilePaused();
        // Nothing is closed here: the run's EndFolder closes what is open.
        if (TheRunControl().abort.load()) return false;

        for (;;) {
            Attempt attempt = AttemptMessage(loop, records[i], i, records.size());
            if (attempt == Attempt::NoMessageData) break;
            if (attempt == Attempt::Converted) {
                ++total;
                break;
            }
            AfterFailure next = AnswerFailedMessage(front_end, scope, static_cast<uint32_t>(i));
            if (next == AfterFailure::Retry) continue;  // one more attempt per answer
            if (next == AfterFailure::EndFolder) return true;
            if (next == AfterFailure::StopRun) return false;
            break;
        }
    }
    return true;
}

bool ConvertFolder(FrontEnd& front_end, const char* path, FolderScope& scope, uint32_t& total)
{
    platform::FileHandle file = platform::kNoFile;
    dbx::DbxFile dbx;
    for (;;) {
        file = platform::OpenForReading(path);
        if (file != platform::kNoFile) {
            if (dbx::OpenDbxFile(dbx, file)) break;
            platform::ErrorCode code = platform::LastError();
            platform::CloseFile(file);
            platform::SetLastError(code);
        }
        ErrorChoice choice = AskErrorChoice(true, scope.folder_name, front_end);
        if (choice == ErrorChoice::Retry) continue;
        if (choice == ErrorChoice::SkipFolder) {
            front_end.FolderSkipped(scope.folder_name);
            return true;
        }
        return false;  // AbortProcessing, or no answer: nothing is skipped without the user's word
    }

    bool go_on = true;
    bool piece_damaged = false;
    // A count of 0, or one that cannot be read, is an empty folder.
    if (dbx::ReadDword(dbx, dbx::kHeaderMessageCount) != 0) {
        go_on = ConvertMessages(front_end, dbx, scope, total, piece_damaged);
    }
    dbx::CloseDbxFile(dbx);  // before the file it reads is closed
    platform::CloseFile(file);
    if (dbx.damaged || piece_damaged) front_end.FolderDamaged(scope.folder_name);
    return go_on;
}

}  // namespace engine
