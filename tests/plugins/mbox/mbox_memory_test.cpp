// The mbox writer when memory runs out: the writer's code is linked in here so that its allocator can be
// made to fail. Every refused allocation gives 0 with kErrorNotEnoughMemory, and the writer goes on.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "plugins/mbox/byte_buffer.h"
#include "plugins/mbox/entry_points.h"
#include "plugins/mbox/setting.h"
#include "tests/plugins/common/writer_harness.h"
#include "tests/plugins/mbox/mbox_test_support.h"

namespace {

size_t g_largest_allowed = SIZE_MAX;
size_t g_last_request = 0;

// The writer's own entry points, linked in, as the harness calls them.
writer_test::WriterExports LinkedWriter()
{
    writer_test::WriterExports writer;
    writer.NewMessage = NewMessage;
    writer.AppendBuffer = AppendBuffer;
    writer.FinishMessage = FinishMessage;
    return writer;
}

void* LimitedReallocate(void* block, size_t size)
{
    g_last_request = size;
    return size > g_largest_allowed ? nullptr : std::realloc(block, size);
}

class MboxMemory : public writer_test::ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        g_largest_allowed = SIZE_MAX;
        mbox::g_reallocate = LimitedReallocate;
        mbox::g_quoting_mode = mbox::kFromQuoting;
    }
    void TearDown() override
    {
        mbox::g_reallocate = std::realloc;
        ScratchTest::TearDown();
    }
    int Append(const std::string& piece) { return AppendBuffer(piece.data(), static_cast<uint32_t>(piece.size())); }
    std::string Output() { return writer_test::ReadWholeFile(Scratch("Inbox.mbx")); }
};

TEST_F(MboxMemory, StartConvertWithoutBuffersFails)
{
    g_largest_allowed = 0;
    errno = 0;
    EXPECT_EQ(StartConvert(scratch_.c_str()), 0);
    EXPECT_EQ(platform::LastError(), platform::kErrorNotEnoughMemory);

    // The line buffer is had, the header buffer is not: the first is released again (a leak shows under ASan).
    g_largest_allowed = 0x1000;
    errno = 0;
    EXPECT_EQ(StartConvert(scratch_.c_str()), 0);
    EXPECT_EQ(platform::LastError(), platform::kErrorNotEnoughMemory);
}

TEST_F(MboxMemory, LineOrHeaderThatCannotGrowFailsItsMessageOnly)
{
    g_largest_allowed = 0x10000;  // both first blocks, no growth past 64 KiB
    ASSERT_EQ(StartConvert(scratch_.c_str()), 1);
    ASSERT_EQ(NewFolder("Inbox"), 1);

    const std::string header = "From: a@example.org\r\n\r\n";
    // A body line that may need a ">" is assembled whole before it is written (others pass as they come).
    const std::string long_line = "From " + std::string(70000, 'b') + "\r\n";
    ASSERT_EQ(NewMessage(MessageKindMail), 1);
    ASSERT_EQ(Append(header), 1);
    int result = 1;
    size_t at = 0;
    for (; result && at < long_line.size(); at += 2048) result = Append(long_line.substr(at, 2048));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform::LastError(), platform::kErrorNotEnoughMemory);
    EXPECT_EQ(FinishMessage(), 1);

    // A header beyond 64 KiB: refused, and what it held is not written.
    const std::string big_header = "From: c@example.org\r\nX-Big: " + std::string(70000, 'c') + "\r\n\r\nbody\r\n";
    ASSERT_EQ(NewMessage(MessageKindMail), 1);
    result = 1;
    for (at = 0; result && at < big_header.size(); at += 2048) result = Append(big_header.substr(at, 2048));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform::LastError(), platform::kErrorNotEnoughMemory);
    EXPECT_EQ(FinishMessage(), 1);

    // The next message goes through, and so does the refused one once memory is there.
    const std::string small = "From: d@example.org\r\n\r\nsmall\r\n";
    EXPECT_TRUE(writer_test::PassMessage(LinkedWriter(), MessageKindMail, {small}));
    g_largest_allowed = SIZE_MAX;
    EXPECT_TRUE(writer_test::PassMessage(LinkedWriter(), MessageKindMail, writer_test::HostPieces(big_header, 2048)));
    EXPECT_EQ(FinishFolder(), 1);
    EXPECT_EQ(FinishConvert(), 1);

    std::string produced = Output();
    std::string date = mbox_test::RunDate(produced);
    EXPECT_EQ(produced, "From a@example.org" + date + header + "\r\n" + "\r\n" +
                            mbox_test::MboxMessage("d@example.org", date, small) +
                            mbox_test::MboxMessage("c@example.org", date, big_header));
}

TEST_F(MboxMemory, BuffersStopAtTheirLimitWithoutWrapping)
{
    // No real blocks: the limit is checked before any byte is touched.
    mbox::ByteBuffer buffer{nullptr, mbox::kMaxBufferCapacity - 4, mbox::kMaxBufferCapacity - 4};
    errno = 0;
    EXPECT_FALSE(mbox::AppendToBuffer(buffer, "0123456789", 10, 1, 1024));
    EXPECT_EQ(platform::LastError(), platform::kErrorNotEnoughMemory);
    EXPECT_EQ(buffer.length, mbox::kMaxBufferCapacity - 4);

    // Doubling from 2 GiB asks for the limit itself, not for a capacity that wrapped to zero.
    g_largest_allowed = 0;
    mbox::ByteBuffer half{nullptr, 0, size_t{0x80000000}};
    EXPECT_FALSE(mbox::ReserveBuffer(half, size_t{0x80000001}, 1024));
    EXPECT_EQ(g_last_request, mbox::kMaxBufferCapacity);
    EXPECT_EQ(half.capacity, size_t{0x80000000});
}

}  // namespace
