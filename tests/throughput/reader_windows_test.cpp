// The reader reads ahead through windows, and with a helper thread beyond them; every result must still be what
// a positioned read of exactly the asked bytes gives (at the moment the bytes were read): the same values, the
// same successes and failures, the same error codes, and the same damage flag. A plain reader is kept here as
// the reference. Every test runs without the helper and with it; files above 1 MiB also have the prefetcher
// bringing them into the cache meanwhile, which must change nothing.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <random>
#include <string>
#include <thread>

#include "dbx/byte_source.h"
#include "dbx/dbx_file.h"
#include "tests/dbx/scratch_dir.h"

namespace {

// ---- The plain reader: one pread of exactly the asked bytes per call -----------------------------------------

struct PlainReader {
    int fd = -1;
    bool damaged = false;

    uint32_t Dword(uint64_t offset)
    {
        unsigned char bytes[4];
        if (offset > 0xFFFFFFFFull - 3 || !ReadExactly(offset, bytes, 4)) {
            damaged = true;
            return 0;
        }
        return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
    }

    // ok, and the error code when not.
    bool Bytes(uint64_t offset, std::string& out, uint32_t count, platform::ErrorCode& code)
    {
        out.assign(count, '\0');
        if (offset > 0xFFFFFFFFull) {
            damaged = true;
            code = platform::kErrorStoreDamaged;
            return false;
        }
        size_t got = 0;
        while (got < count) {
            ssize_t n = pread(fd, out.data() + got, count - got, static_cast<off_t>(offset + got));
            if (n < 0) {
                code = static_cast<platform::ErrorCode>(errno);
                return false;
            }
            if (n == 0) break;
            got += static_cast<size_t>(n);
        }
        if (got != count) {
            damaged = true;
            code = platform::kErrorStoreDamaged;
            return false;
        }
        return true;
    }

    bool ReadExactly(uint64_t offset, unsigned char* bytes, size_t count)
    {
        return pread(fd, bytes, count, static_cast<off_t>(offset)) == static_cast<ssize_t>(count);
    }
};

std::string RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    return bytes;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    close(fd);
}

// One call made the same way through both readers; any difference fails the test with the call's description.
struct Comparison {
    dbx::DbxFile& fast;
    PlainReader& plain;

    void Dword(uint64_t offset)
    {
        uint32_t expected = plain.Dword(offset);
        EXPECT_EQ(dbx::ReadDword(fast, offset), expected) << "ReadDword at " << offset;
        EXPECT_EQ(fast.damaged, plain.damaged) << "after ReadDword at " << offset;
    }

    void Bytes(uint64_t offset, uint32_t count)
    {
        std::string expected;
        platform::ErrorCode expected_code = 0;
        bool expected_ok = plain.Bytes(offset, expected, count, expected_code);
        // What the window shows of these bytes, when it holds them, is what the file holds.
        if (const unsigned char* view = dbx::PeekText(fast, offset, count)) {
            ASSERT_TRUE(expected_ok) << "PeekText of " << count << " at " << offset;
            EXPECT_TRUE(expected.compare(0, count, reinterpret_cast<const char*>(view), count) == 0)
                << "PeekText of " << count << " at " << offset;
        }
        std::string got(count, '\0');
        platform::SetLastError(0);
        bool ok = dbx::ReadBytes(fast, offset, got.data(), count);
        ASSERT_EQ(ok, expected_ok) << "ReadBytes of " << count << " at " << offset;
        if (ok) EXPECT_TRUE(got == expected) << "ReadBytes of " << count << " at " << offset;
        else EXPECT_EQ(platform::LastError(), expected_code) << "ReadBytes of " << count << " at " << offset;
        EXPECT_EQ(fast.damaged, plain.damaged) << "after ReadBytes at " << offset;
    }
};

// A mix of what the conversion does (pieces along a chain, block heads between them, record lookups elsewhere)
// and what a damaged store makes it do (values and text at and past the end, straddling window edges).
void RunMixedReads(Comparison& compare, uint64_t size, uint32_t seed, int calls)
{
    std::mt19937 random(seed);
    auto below = [&](uint64_t bound) { return bound == 0 ? 0 : uint64_t(random()) % bound; };
    uint64_t chain_at = 0;
    for (int i = 0; i < calls && !testing::Test::HasFatalFailure(); ++i) {
        switch (below(10)) {
        case 0:
        case 1:
        case 2:
        case 3: {  // the next piece along a chain, after its block head
            compare.Dword(chain_at + 8);
            compare.Dword(chain_at + 12);
            uint32_t count = static_cast<uint32_t>(1 + below(2048));
            compare.Bytes(chain_at + 16, count);
            chain_at = below(8) == 0 ? below(size + 64) : chain_at + 16 + count;
            break;
        }
        case 4:  // a record lookup anywhere
            compare.Dword(below(size + 16));
            break;
        case 5: {  // at a window's edge: values and pieces that straddle it
            uint64_t edge = (below(size / 4096 + 2)) * (below(2) ? 4096 : 65536);
            compare.Dword(edge - std::min<uint64_t>(edge, below(6)));
            compare.Bytes(edge - std::min<uint64_t>(edge, below(2048)), static_cast<uint32_t>(1 + below(2048)));
            break;
        }
        case 6: {  // at and past the end of the file
            uint64_t at = size - std::min<uint64_t>(size, below(2100));
            compare.Dword(size - std::min<uint64_t>(size, below(8)));
            compare.Bytes(at, static_cast<uint32_t>(1 + below(2400)));
            break;
        }
        case 7:  // larger than any window: read as asked
            compare.Bytes(below(size), static_cast<uint32_t>(60000 + below(80000)));
            break;
        case 8:  // nothing at all, anywhere
            compare.Bytes(below(size + 100000), 0);
            break;
        default:  // offsets no 32-bit store holds
            compare.Dword(0xFFFFFFFFull - below(6));
            compare.Bytes(0xFFFFFFFFull - below(3), static_cast<uint32_t>(1 + below(8)));
            break;
        }
    }
}

// What the conversion does to a store read from end to end: a chain's pieces one after another with their
// block heads, a record lookup now and then, and a rare jump elsewhere. Long runs move the text window
// forward through many windows, and the helper's reads with it. Returns the largest text window seen.
size_t RunStreamingReads(Comparison& compare, uint64_t size, uint32_t seed, int calls)
{
    size_t largest_window = 0;
    std::mt19937 random(seed);
    auto below = [&](uint64_t bound) { return bound == 0 ? 0 : uint64_t(random()) % bound; };
    uint64_t chain_at = 0;
    for (int i = 0; i < calls && !testing::Test::HasFatalFailure(); ++i) {
        // The helper is given the time to finish its read, so that the window does move onto what it read
        // however busy the machine (where it has not finished, the reader reads in place, as tested elsewhere).
        while (compare.fast.source.ahead.asked != 0 &&
               !platform::BackgroundReadFinished(compare.fast.source.ahead.helper))
            std::this_thread::yield();
        compare.Dword(chain_at + 8);
        compare.Dword(chain_at + 12);
        uint32_t count = static_cast<uint32_t>(1 + below(2048));
        compare.Bytes(chain_at + 16, count);
        chain_at += 16 + count;
        if (below(20) == 0) compare.Dword(below(size + 16));                 // a record lookup
        if (below(1500) == 0) chain_at = below(size);                        // a jump
        if (chain_at >= size + 4096) chain_at = below(2) ? 0 : below(size);  // past the end: start again
        largest_window = std::max(largest_window, compare.fast.source.text.bytes.size());
    }
    return largest_window;
}

class ReaderWindows : public testing::TestWithParam<bool> {
protected:
    bool ReadingAhead() const { return GetParam(); }

    // A file of `size` random bytes, opened for both readers; the fast one takes the size now.
    void Open(size_t size, uint32_t seed, int flags = O_RDONLY)
    {
        path_ = scratch_.File("store.dbx");
        original_ = RandomBytes(size, seed);
        WriteFile(path_, original_);
        fd_ = open(path_.c_str(), flags);
        ASSERT_GE(fd_, 0);
        plain_.fd = fd_;
        ASSERT_TRUE(dbx::OpenDbxFile(fast_, fd_));
        if (ReadingAhead()) dbx::StartReadingAhead(fast_, size / 4096);  // messages of 4 KB
    }
    void Close()
    {
        dbx::CloseDbxFile(fast_);
        if (fd_ >= 0) close(fd_);
        fd_ = -1;
        fast_ = dbx::DbxFile{};
        plain_ = PlainReader{};
    }
    void TearDown() override { Close(); }

    ScratchDir scratch_;
    std::string path_;
    std::string original_;
    int fd_ = -1;
    dbx::DbxFile fast_;
    PlainReader plain_;
};

TEST_P(ReaderWindows, EveryReadGivesWhatAPlainReadGives)
{
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        size_t size = 200000 + seed * 77777;
        Open(size, seed);
        Comparison compare{fast_, plain_};
        RunMixedReads(compare, size, seed, 4000);
        Close();
    }
}

TEST_P(ReaderWindows, AStoreReadFromEndToEndGivesWhatPlainReadsGive)
{
    for (uint32_t seed : {4u, 5u}) {
        SCOPED_TRACE(seed);
        size_t size = 3 * dbx::kReadAheadSize + seed * 77777;
        Open(size, seed);
        Comparison compare{fast_, plain_};
        size_t largest_window = RunStreamingReads(compare, size, seed, 6000);
        // With the helper, the window has moved onto text read ahead (a read in place fills one window's length).
        EXPECT_EQ(largest_window > dbx::kTextWindowSize, ReadingAhead());
        Close();
    }
}

TEST_P(ReaderWindows, AFileShorterThanWhenOpenedFailsAsPlainReadsFail)
{
    // The size was taken at opening; the file has lost its second half since.
    Open(300001, 7);
    ASSERT_EQ(truncate(path_.c_str(), 150003), 0);
    Comparison compare{fast_, plain_};
    RunMixedReads(compare, 300001, 7, 3000);
    EXPECT_TRUE(fast_.damaged);
    Close();

    size_t size = 3 * dbx::kReadAheadSize + 5;
    Open(size, 8);
    ASSERT_EQ(truncate(path_.c_str(), dbx::kReadAheadSize + 3000), 0);
    Comparison streaming{fast_, plain_};
    RunStreamingReads(streaming, size, 8, 4000);
    EXPECT_TRUE(fast_.damaged);
}

TEST_P(ReaderWindows, AnUnreadableFileFailsWithTheSystemsReason)
{
    Open(70000, 9, O_WRONLY);  // every read of this handle fails (EBADF)
    Comparison compare{fast_, plain_};
    RunMixedReads(compare, 70000, 9, 300);
    RunStreamingReads(compare, 70000, 9, 300);
    std::string piece(100, '\0');
    EXPECT_FALSE(dbx::ReadBytes(fast_, 5000, piece.data(), 100));
    EXPECT_EQ(platform::LastError(), static_cast<platform::ErrorCode>(EBADF));
}

TEST_P(ReaderWindows, AFileCutWhileBeingReadNeverYieldsBytesItDidNotHold)
{
    // What may have been read before the cut: the window around the chain, or with the helper the text it read
    // ahead (begun before the cut, at most up to the second read ahead).
    uint64_t read_before_cut = ReadingAhead() ? 2 * dbx::kReadAheadSize - dbx::kTextWindowSize : 90000 + 65536;
    size_t size = ReadingAhead() ? 3 * dbx::kReadAheadSize : 400000;
    Open(size, 11);
    // A chain read from its start; the file loses everything past 100000 while the chain is at 90000.
    uint64_t at = 16;
    std::string piece;
    while (at < 90000) {
        piece.assign(2048, '\0');
        ASSERT_TRUE(dbx::ReadBytes(fast_, at, piece.data(), 2048));
        ASSERT_TRUE(piece == original_.substr(at, 2048)) << at;
        at += 2048;
    }
    ASSERT_EQ(truncate(path_.c_str(), 100000), 0);
    bool failed = false;
    for (; at < size - 2048; at += 2048) {
        piece.assign(2048, '\0');
        platform::SetLastError(0);
        if (dbx::ReadBytes(fast_, at, piece.data(), 2048)) {
            // Only bytes read ahead before the cut, exactly as the file held them, and never past the window.
            ASSERT_FALSE(failed) << "a read went through after a failed one, at " << at;
            ASSERT_TRUE(piece == original_.substr(at, 2048)) << at;
            ASSERT_LE(at + 2048, read_before_cut) << "text served from beyond what was read ahead";
        } else {
            failed = true;
            EXPECT_EQ(platform::LastError(), platform::kErrorStoreDamaged);
            EXPECT_TRUE(fast_.damaged);
        }
    }
    EXPECT_TRUE(failed);
}

INSTANTIATE_TEST_SUITE_P(ReadAhead, ReaderWindows, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) { return info.param ? "Helper" : "InPlace"; });

}  // namespace
