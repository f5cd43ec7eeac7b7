// The writers gather a message's output into large writes. Against a file that can take only so many bytes
// (RLIMIT_FSIZE: every write past the limit fails), what they leave and report must be what writing each piece
// at once leaves and reports: the file holds the same bytes, the output cut at the limit; a message counts
// exactly when all of it fits; its failure is reported no earlier than a plain writer would report it, and
// no later than its FinishMessage; and a retry once the disk has room writes the message in full.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <random>
#include <string>
#include <vector>

#include "tests/plugins/common/file_size_limit.h"
#include "tests/plugins/common/writer_harness.h"

namespace {

using writer_test::ReadWholeFile;

enum class Format { Mbox, Eml, Bmf };

struct Message {
    std::string text;
    std::vector<std::string> pieces;  // as the host passes them
};

std::vector<Message> MakeMessages(uint32_t seed)
{
    std::mt19937 random(seed);
    auto body = [&](size_t size) {
        std::string text;
        while (text.size() < size) {
            switch (random() % 6) {
            case 0:
                text += "From the minutes: nothing new.\r\n";
                break;
            case 1:
                text += ">From a quote\r\n";
                break;
            default:
                text += std::string(10 + random() % 70, static_cast<char>('a' + random() % 26)) + "\r\n";
            }
        }
        return text;
    };
    std::vector<std::string> texts = {
        "From: a@example.org\r\nSubject: short\r\n\r\nHello.\r\n",
        "From: b@example.org\r\nSubject: medium\r\n\r\n" + body(10000),
        "From: c@example.org\r\nSubject: large\r\n\r\n" + body(200000),
        "From: g@example.org\r\nSubject: huge\r\n\r\n" + body(2500000),  // past the gathering buffer, twice
        "From: d@example.org\r\nSubject: no final line end\r\n\r\nBye",
        "From: e@example.org\r\nSubject: header only\r\n",
        "From: f@example.org\r\nSubject: after\r\n\r\n" + body(3000),
    };
    std::vector<Message> messages;
    for (size_t i = 0; i < texts.size(); ++i) {
        Message message;
        message.text = texts[i];
        // Stored in 512-byte blocks for some messages, cut anywhere for others.
        message.pieces = writer_test::HostPieces(texts[i], i % 2 ? 512 : 1 + random() % 2048);
        messages.push_back(message);
    }
    return messages;
}

using writer_test::FileSizeLimit;

// What the host saw of one message.
struct MessageResult {
    bool counted = false;
    int failed_call = -1;        // 0-based among its AppendBuffer calls; pieces.size() for FinishMessage; -1 none
    bool failed_before = false;  // the close of the message left open before it failed
};

class GatheredWrites : public writer_test::ScratchTest, public testing::WithParamInterface<Format> {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        const char* names[] = {"Dovanmbox", "Dovaneml", "Dovanbmf"};
        ASSERT_TRUE(writer_test::LoadWriter(names[static_cast<int>(GetParam())], writer_));
        messages_ = MakeMessages(3);
        // One storage file for the whole folder: the limit holds per file.
        if (GetParam() == Format::Bmf) {
            ASSERT_EQ(writer_.SetSetting("100000"), 1);
        }
    }
    void TearDown() override
    {
        writer_test::UnloadWriter(writer_);
        ScratchTest::TearDown();
    }

    std::string Destination(int run) { return Scratch("run" + std::to_string(run)); }

    // A run of one folder, each failure answered with Skip Mail; with the limit (if any) in force from the
    // first message on. `output_ends` receives the output's size after each message, as files hold it.
    std::vector<MessageResult> Run(int run, long limit, std::vector<size_t>* output_ends = nullptr)
    {
        std::string destination = Destination(run);
        EXPECT_TRUE(writer_test::RunCommand("mkdir -p '" + destination + "'") == 0);
        EXPECT_EQ(writer_.StartConvert(destination.c_str()), 1);
        EXPECT_EQ(writer_.NewFolder("Inbox"), 1);
        std::vector<MessageResult> results(messages_.size());
        {
            FileSizeLimit small(limit < 0 ? RLIM_INFINITY : rlim_t(limit));
            EXPECT_TRUE(small.active());
            bool open = false;
            for (size_t i = 0; i < messages_.size(); ++i) {
                MessageResult& result = results[i];
                if (open && writer_.FinishMessage() == 0) {
                    result.failed_before = true;
                    open = false;
                    continue;
                }
                open = false;
                if (writer_.NewMessage(MessageKindMail) == 0) continue;
                open = true;
                const Message& message = messages_[i];
                for (size_t p = 0; p < message.pieces.size() && result.failed_call < 0; ++p) {
                    const std::string& piece = message.pieces[p];
                    if (writer_.AppendBuffer(piece.data(), static_cast<uint32_t>(piece.size())) == 0)
                        result.failed_call = static_cast<int>(p);
                }
                if (result.failed_call >= 0) {
                    // Skip Mail: the host gives the message up, as it does with a writer that can take it back.
                    if (writer_.DiscardMessage) {
                        EXPECT_EQ(writer_.DiscardMessage(), 1);
                        open = false;
                    }
                    continue;  // else left open
                }
                open = false;
                if (writer_.FinishMessage() == 0) result.failed_call = static_cast<int>(message.pieces.size());
                else result.counted = true;
                if (output_ends) output_ends->push_back(OutputSize(run, i));
            }
            if (open) writer_.FinishMessage();
            writer_.FinishFolder();
            writer_.FinishConvert();
        }
        return results;
    }

    // The folder's output as one text: the mbox file, the storage files in order, or the message files in order.
    std::string Output(int run)
    {
        std::string folder = Destination(run);
        if (GetParam() == Format::Mbox) return ReadWholeFile(folder + "/Inbox.mbx");
        if (GetParam() == Format::Bmf) {
            std::vector<std::string> mailboxes = writer_test::DirectoryNames(folder);
            if (mailboxes.empty()) return std::string();
            folder += "/" + mailboxes.front();
        }
        folder += "/Inbox";
        std::string all;
        for (const std::string& name : writer_test::DirectoryNames(folder))
            if (name != "Mailbox.ini") all += ReadWholeFile(folder + "/" + name);
        return all;
    }

    size_t OutputSize(int run, size_t message)
    {
        if (GetParam() != Format::Eml) return Output(run).size();
        char name[32];
        std::snprintf(name, sizeof name, "/Inbox/%08zu.eml", message + 1);
        return ReadWholeFile(Destination(run) + name).size();
    }

    writer_test::WriterExports writer_;
    std::vector<Message> messages_;
};

// The mbox From_ line ends with the run's date: two runs started in different seconds differ only there.
// Masks the dates of a whole output (the texts written here hold no '#').
std::string WithoutDates(std::string text)
{
    for (size_t at = 0; (at = text.find("From ", at)) != std::string::npos; at += 5) {
        if (at != 0 && text[at - 1] != '\n') continue;
        size_t end = text.find("\r\n", at);
        if (end == std::string::npos || end - at < 30) continue;
        std::fill(text.begin() + static_cast<long>(end - 25), text.begin() + static_cast<long>(end), '#');
    }
    return text;
}

// Whether `output` is `expected`, byte for byte outside the dates that `expected` has masked.
bool SameOutsideDates(const std::string& output, const std::string& expected)
{
    if (output.size() != expected.size()) return false;
    for (size_t i = 0; i < output.size(); ++i)
        if (expected[i] != '#' && output[i] != expected[i]) return false;
    return true;
}

// The piece (0-based; pieces.size() for FinishMessage) at which writing each piece at once first fails, for
// the writers that write a message's text as it comes: the first whose bytes pass the limit.
int PlainFailingCall(const Message& message, size_t output_before, size_t limit)
{
    size_t end = output_before;
    for (size_t p = 0; p < message.pieces.size(); ++p) {
        end += message.pieces[p].size();
        if (end > limit) return static_cast<int>(p);
    }
    return static_cast<int>(message.pieces.size());
}

TEST_P(GatheredWrites, AFileThatFillsUpHoldsWhatPlainWritesLeaveAndEveryMessageIsReportedInTime)
{
    std::vector<size_t> ends;
    std::vector<MessageResult> reference = Run(0, -1, &ends);
    for (const MessageResult& result : reference) ASSERT_TRUE(result.counted);
    std::string whole = Output(0);
    ASSERT_EQ(ends.size(), messages_.size());

    // Limits at the start and end of every message, just inside and outside them, and in between.
    std::vector<size_t> limits = {0, 1};
    std::vector<size_t> begins;
    for (size_t i = 0; i < ends.size(); ++i) {
        size_t begin = GetParam() == Format::Eml ? 0 : (i == 0 ? 0 : ends[i - 1]);
        begins.push_back(begin);
        for (size_t limit : {begin, begin + 1, ends[i] - 1, ends[i], (begin + ends[i]) / 2}) limits.push_back(limit);
    }
    std::mt19937 random(17);
    for (int i = 0; i < 6; ++i) limits.push_back(random() % (ends.back() + 1));
    std::sort(limits.begin(), limits.end());
    limits.erase(std::unique(limits.begin(), limits.end()), limits.end());

    int run = 0;
    for (size_t limit : limits) {
        SCOPED_TRACE("limit " + std::to_string(limit));
        std::vector<MessageResult> results = Run(++run, static_cast<long>(limit));
        std::string output = Output(run);
        // A message that does not fit is taken back whole, so a later, smaller one may still fit after the
        // messages counted before it: the output holds exactly the counted messages, each whole.
        std::string masked = WithoutDates(whole);
        std::string expected;
        std::vector<bool> fitting;
        std::vector<size_t> starts;  // where each message begins in the output (0 for an eml file)
        for (size_t i = 0; i < messages_.size(); ++i) {
            size_t start = GetParam() == Format::Eml ? 0 : expected.size();
            size_t size = ends[i] - begins[i];
            fitting.push_back(start + size <= limit);
            starts.push_back(start);
            std::string written;
            for (const std::string& piece : messages_[i].pieces) written += piece;
            if (fitting.back()) expected += GetParam() == Format::Eml ? written : masked.substr(begins[i], size);
        }
        EXPECT_TRUE(SameOutsideDates(output, expected));

        for (size_t i = 0; i < messages_.size(); ++i) {
            SCOPED_TRACE("message " + std::to_string(i));
            const MessageResult& result = results[i];
            bool fits = fitting[i];
            EXPECT_EQ(result.counted, fits);
            if (fits || result.failed_before || result.failed_call < 0) continue;
            // Reported by FinishMessage at the latest (failed_call is at most pieces.size()), and never before a
            // plain writer would have failed: for mbox, not before the call that completes the header.
            int plain = PlainFailingCall(messages_[i], starts[i], limit);
            if (GetParam() == Format::Mbox) {
                size_t header_end = messages_[i].text.find("\r\n\r\n");
                plain = static_cast<int>(messages_[i].pieces.size());
                size_t at = 0;
                for (size_t p = 0; header_end != std::string::npos && p < messages_[i].pieces.size(); ++p) {
                    at += messages_[i].pieces[p].size();
                    if (at >= header_end + 4) {
                        plain = static_cast<int>(p);
                        break;
                    }
                }
            }
            EXPECT_GE(result.failed_call, plain);
        }
    }
}

TEST_P(GatheredWrites, ARetryOnceTheDiskHasRoomWritesTheMessageInFull)
{
    std::vector<size_t> ends;
    Run(0, -1, &ends);
    std::string whole = Output(0);
    const std::string closing = GetParam() == Format::Mbox ? "\r\n" : GetParam() == Format::Bmf ? "\r\n.\r\n" : "";

    int run = 0;
    for (size_t failing : {1u, 2u, 4u}) {
        size_t begin = GetParam() == Format::Eml ? 0 : ends[failing - 1];
        for (size_t limit : {begin + 3, (begin + ends[failing]) / 2, ends[failing] - 1}) {
            SCOPED_TRACE("limit " + std::to_string(limit) + " in message " + std::to_string(failing));
            std::string destination = Destination(++run);
            ASSERT_EQ(writer_test::RunCommand("mkdir -p '" + destination + "'"), 0);
            ASSERT_EQ(writer_.StartConvert(destination.c_str()), 1);
            ASSERT_EQ(writer_.NewFolder("Inbox"), 1);
            for (size_t i = 0; i < failing; ++i)
                ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, messages_[i].pieces));

            // The failing attempt: some piece or the close fails with the file system's reason.
            const Message& message = messages_[failing];
            bool append_failed = false;
            {
                FileSizeLimit small(limit);
                ASSERT_TRUE(small.active());
                ASSERT_EQ(writer_.NewMessage(MessageKindMail), 1);
                errno = 0;
                for (const std::string& piece : message.pieces) {
                    if (writer_.AppendBuffer(piece.data(), static_cast<uint32_t>(piece.size())) == 0) {
                        append_failed = true;
                        break;
                    }
                }
                if (!append_failed) {
                    EXPECT_EQ(writer_.FinishMessage(), 0);
                }
                EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EFBIG));
            }
            // Retry: the host closes a message whose piece failed, then passes it again from its first byte.
            if (append_failed) {
                EXPECT_EQ(writer_.FinishMessage(), 1);
            }
            for (size_t i = failing; i < messages_.size(); ++i)
                ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, messages_[i].pieces));
            EXPECT_EQ(writer_.FinishFolder(), 1);
            EXPECT_EQ(writer_.FinishConvert(), 1);

            std::string output = Output(run);
            if (append_failed) {
                // A host without DiscardMessage closes the failed attempt, which then stands on its own.
                std::string masked = WithoutDates(whole);
                if (GetParam() != Format::Eml) {
                    EXPECT_TRUE(SameOutsideDates(output, masked.substr(0, limit) + closing + masked.substr(begin)));
                }
            } else {
                // A close that failed took the attempt back: the retry leaves one whole copy, as if nothing failed.
                EXPECT_TRUE(SameOutsideDates(output, WithoutDates(whole)));
            }
        }
    }
}

std::string FormatName(const testing::TestParamInfo<Format>& info)
{
    const char* names[] = {"mbox", "eml", "bmf"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Writers, GatheredWrites, testing::Values(Format::Mbox, Format::Eml, Format::Bmf), FormatName);

}  // namespace
