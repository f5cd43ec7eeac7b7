// Dovanmbox's failures: each returns 0 with a last-error code that names the cause, and what was written
// before stays as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "tests/plugins/common/file_size_limit.h"
#include "tests/plugins/mbox/mbox_test_support.h"

namespace mbox_test {
namespace {

class MboxFailure : public MboxTest {
protected:
    int Append(const std::string& piece)
    {
        return writer_.AppendBuffer(piece.data(), static_cast<uint32_t>(piece.size()));
    }
};

TEST_F(MboxFailure, StartConvertReportsADestinationItCannotEnter)
{
    errno = 0;
    EXPECT_EQ(writer_.StartConvert(Scratch("missing").c_str()), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOENT));

    ASSERT_TRUE(writer_test::WriteWholeFile(Scratch("plain"), "x"));
    errno = 0;
    EXPECT_EQ(writer_.StartConvert(Scratch("plain").c_str()), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOTDIR));

    // A failed start leaves the writer ready for the next one.
    ASSERT_TRUE(Convert({{"Inbox", {"From: a@example.org\r\n\r\nx\r\n"}}}));
    EXPECT_FALSE(Output().empty());
}

TEST_F(MboxFailure, NewFolderReportsAFileItCannotCreate)
{
    ASSERT_TRUE(std::filesystem::create_directory(Scratch("Inbox.mbx")));
    ASSERT_EQ(writer_.StartConvert(scratch_.c_str()), 1);
    errno = 0;
    EXPECT_EQ(writer_.NewFolder("Inbox"), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EISDIR));

    // Retried once the way is clear, the folder opens and takes its messages.
    ASSERT_TRUE(std::filesystem::remove(Scratch("Inbox.mbx")));
    ASSERT_EQ(writer_.NewFolder("Inbox"), 1);
    EXPECT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, {"From: b@example.org\r\n\r\nbody\r\n"}));
    EXPECT_EQ(writer_.FinishFolder(), 1);
    EXPECT_EQ(writer_.FinishConvert(), 1);
    std::string produced = Output();
    EXPECT_EQ(produced, MboxMessage("b@example.org", RunDate(produced), "From: b@example.org\r\n\r\nbody\r\n"));
}

TEST_F(MboxFailure, FullDestinationFailsEveryWrite)
{
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    std::filesystem::create_symlink("/dev/full", Scratch("Inbox.mbx"));
    ASSERT_EQ(writer_.StartConvert(scratch_.c_str()), 1);
    ASSERT_EQ(writer_.NewFolder("Inbox"), 1);

    // A message's text is gathered and written by its FinishMessage at the latest, which reports the failure.
    ASSERT_EQ(writer_.NewMessage(MessageKindMail), 1);
    EXPECT_EQ(Append("From: c@example.org\r\n"), 1);
    EXPECT_EQ(Append("\r\nbody\r\n"), 1);
    errno = 0;
    EXPECT_EQ(writer_.FinishMessage(), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));

    // More than the gathering buffer holds: the call that fills it fails.
    ASSERT_EQ(writer_.NewMessage(MessageKindMail), 1);
    EXPECT_EQ(Append("From: c@example.org\r\n\r\n"), 1);
    std::string line(1000, 'x');
    line += "\r\n";
    int result = 1;
    for (int i = 0; i < 2000 && result == 1; ++i) result = Append(line);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));
    errno = 0;
    EXPECT_EQ(writer_.FinishMessage(), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));

    // A header-only message is written at its end.
    ASSERT_EQ(writer_.NewMessage(MessageKindMail), 1);
    EXPECT_EQ(Append("From: d@example.org\r\n"), 1);
    errno = 0;
    EXPECT_EQ(writer_.FinishMessage(), 0);
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(ENOSPC));

    EXPECT_EQ(writer_.FinishFolder(), 1);
    EXPECT_EQ(writer_.FinishConvert(), 1);
}

using writer_test::FileSizeLimit;

TEST_F(MboxFailure, FailedMessageIsDroppedAndRetriedInFull)
{
    const std::string first = "From: e@example.org\r\n\r\nfirst\r\n";
    const std::string second = "From: f@example.org\r\nSubject: " + std::string(300, 's') + "\r\n\r\nsecond\r\n";
    ASSERT_EQ(writer_.StartConvert(scratch_.c_str()), 1);
    ASSERT_EQ(writer_.NewFolder("Inbox"), 1);
    ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, {first}));
    size_t limit = writer_test::ReadWholeFile(Scratch("Inbox.mbx")).size() + 100;
    {
        FileSizeLimit small(limit);
        if (!small.active()) GTEST_SKIP() << "cannot limit file sizes";
        ASSERT_EQ(writer_.NewMessage(MessageKindMail), 1);
        EXPECT_EQ(Append(second), 1);
        errno = 0;
        EXPECT_EQ(writer_.FinishMessage(), 0);
        EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EFBIG));
    }
    // The host passes the failed message again from its first byte. What the failed attempt had written was
    // taken back when its close failed, so the retry leaves one whole copy.
    ASSERT_TRUE(writer_test::PassMessage(writer_, MessageKindMail, writer_test::HostPieces(second, 64)));
    EXPECT_EQ(writer_.FinishFolder(), 1);
    EXPECT_EQ(writer_.FinishConvert(), 1);

    std::string produced = Output();
    std::string date = RunDate(produced);
    std::string whole_first = MboxMessage("e@example.org", date, first);
    std::string whole_second = MboxMessage("f@example.org", date, second);
    EXPECT_EQ(produced, whole_first + whole_second);
}

}  // namespace
}  // namespace mbox_test
