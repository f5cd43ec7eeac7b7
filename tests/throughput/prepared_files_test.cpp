// Files made ahead on a helper thread and named when a writer creates one must be indistinguishable from files
// created plainly: the same names, bytes and permissions, an existing file truncated in place, the same
// failures with the same reasons, nothing left behind in the folder or among the open descriptors.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/plugins/common/writer_harness.h"

namespace {

using writer_test::DirectoryNames;
using writer_test::ReadWholeFile;

// The inode numbers of the nameless files this process holds open in `folder` ("folder/#123 (deleted)").
std::set<ino_t> PreparedInodes(const std::string& folder)
{
    std::set<ino_t> inodes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        std::string prefix = folder + "/#";
        if (error || target.compare(0, prefix.size(), prefix) != 0) continue;
        if (target.find(" (deleted)") == std::string::npos) continue;
        inodes.insert(static_cast<ino_t>(std::strtoull(target.c_str() + prefix.size(), nullptr, 10)));
    }
    return inodes;
}

size_t OpenDescriptorCount()
{
    std::error_code error;
    size_t count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", error);
         !error && it != std::filesystem::directory_iterator(); ++it)
        ++count;
    return count;
}

// Waits (up to a few seconds) until the helper has files ready in folder; their inodes.
std::set<ino_t> WaitForPreparedFiles(const std::string& folder)
{
    for (int i = 0; i < 500; ++i) {
        std::set<ino_t> inodes = PreparedInodes(folder);
        if (!inodes.empty()) return inodes;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return {};
}

// Waits (up to a few seconds) until the helper has closed every file it prepared in folder.
bool WaitUntilNonePrepared(const std::string& folder)
{
    for (int i = 0; i < 500; ++i) {
        if (PreparedInodes(folder).empty()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

ino_t InodeOf(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    return stat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

bool WriteFile(platform::FileHandle file, const std::string& text)
{
    bool written = platform::WriteAll(file, text.data(), static_cast<uint32_t>(text.size()));
    return platform::CloseFile(file) && written;
}

// Older kernels name a file by its descriptor only for privileged users; others create files plainly.
bool CanNameFilesByDescriptor()
{
    int nameless = open(".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (nameless < 0) return false;
    bool named = linkat(nameless, "", AT_FDCWD, "probe", AT_EMPTY_PATH) == 0;
    close(nameless);
    if (named) unlink("probe");
    return named;
}

class PreparedFiles : public writer_test::ScratchTest {
protected:
    void SetUp() override
    {
        ScratchTest::SetUp();
        folder_ = std::filesystem::canonical(scratch_).string();
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        if (!CanNameFilesByDescriptor()) GTEST_SKIP() << "nameless files cannot be named here by this user";
        descriptors_before_ = OpenDescriptorCount();
    }

    // Every preparer is stopped by now: nothing it made may stay open or appear in the folder.
    void TearDown() override
    {
        EXPECT_EQ(OpenDescriptorCount(), descriptors_before_);
        ScratchTest::TearDown();
    }

    // A preparer for the scratch folder that has files ready, or a failed test.
    platform::FilePreparer* StartReadyPreparer(std::set<ino_t>* prepared = nullptr)
    {
        platform::FilePreparer* preparer = platform::StartFilePreparer();
        EXPECT_NE(preparer, nullptr) << "this system makes nameless files; the preparer must start";
        platform::PrepareFilesInCurrentDir(preparer);
        std::set<ino_t> inodes = WaitForPreparedFiles(folder_);
        EXPECT_FALSE(inodes.empty()) << "the helper prepared nothing";
        if (prepared) *prepared = inodes;
        return preparer;
    }

    std::string folder_;
    size_t descriptors_before_ = 0;
};

// Many files through one preparer, more than it keeps ready: each holds its own bytes under its own name,
// with the permissions a plain creation gives, and the prepared files were what got named.
TEST_F(PreparedFiles, NameReadyFilesWithThePlainResult)
{
    ASSERT_TRUE(WriteFile(platform::CreateForWriting("plain.eml"), "plain"));
    std::set<ino_t> prepared;  // every file seen ready
    platform::FilePreparer* preparer = StartReadyPreparer(&prepared);
    const size_t first_ready = prepared.size();

    std::vector<std::string> expected_names = {"plain.eml"};
    size_t named_prepared = 0;
    for (int i = 1; i <= 40; ++i) {
        std::string name = "message" + std::to_string(i) + ".eml";
        std::string text = "Subject: " + std::to_string(i) + "\r\n\r\n" + std::string(i * 1000, 'x');
        std::set<ino_t> ready = PreparedInodes(folder_);
        prepared.insert(ready.begin(), ready.end());
        platform::FileHandle file = platform::CreatePreparedForWriting(preparer, name.c_str());
        ASSERT_NE(file, platform::kNoFile) << name;
        ASSERT_TRUE(WriteFile(file, text)) << name;
        EXPECT_EQ(ReadWholeFile(folder_ + "/" + name), text) << name;
        EXPECT_EQ(ModeOf(name), ModeOf("plain.eml")) << name;
        if (prepared.count(InodeOf(name))) ++named_prepared;
        expected_names.push_back(name);
        if (i % 10 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let the helper refill
    }
    // More than were ready at first: the helper's refills were named too.
    EXPECT_GT(named_prepared, first_ready);

    platform::StopFilePreparer(preparer);
    std::sort(expected_names.begin(), expected_names.end());
    EXPECT_EQ(DirectoryNames(folder_), expected_names);
    EXPECT_TRUE(PreparedInodes(folder_).empty());
}

// A name already taken is truncated in place, as a plain creation does (another link to it sees the new
// bytes), and the files after it are still created.
TEST_F(PreparedFiles, TruncateAnExistingFileInPlace)
{
    ASSERT_TRUE(writer_test::WriteWholeFile(folder_ + "/taken.eml", "the old, longer text"));
    ASSERT_EQ(link((folder_ + "/taken.eml").c_str(), (folder_ + "/other link").c_str()), 0);
    platform::FilePreparer* preparer = StartReadyPreparer();

    platform::FileHandle file = platform::CreatePreparedForWriting(preparer, "taken.eml");
    ASSERT_NE(file, platform::kNoFile);
    ASSERT_TRUE(WriteFile(file, "new"));
    EXPECT_EQ(ReadWholeFile(folder_ + "/taken.eml"), "new");
    EXPECT_EQ(ReadWholeFile(folder_ + "/other link"), "new");

    for (const char* name : {"after1.eml", "after2.eml"}) {
        file = platform::CreatePreparedForWriting(preparer, name);
        ASSERT_NE(file, platform::kNoFile) << name;
        ASSERT_TRUE(WriteFile(file, name));
        EXPECT_EQ(ReadWholeFile(folder_ + "/" + name), name);
    }
    platform::StopFilePreparer(preparer);
    EXPECT_EQ(DirectoryNames(folder_),
              (std::vector<std::string>{"after1.eml", "after2.eml", "other link", "taken.eml"}));
}

// What cannot be created fails with the reason a plain creation gives, whether or not a file was ready, and
// a planned failure of the creation is honoured before any file is named.
TEST_F(PreparedFiles, FailAsPlainCreationFails)
{
    std::filesystem::create_directory(folder_ + "/a folder.eml");
    struct Case {
        const char* name;
        int reason;
    };
    for (Case failing : {Case{"missing/x.eml", ENOENT}, Case{"a folder.eml", EISDIR}, Case{"", ENOENT}}) {
        errno = 0;
        EXPECT_EQ(platform::CreateForWriting(failing.name), platform::kNoFile);
        EXPECT_EQ(errno, failing.reason) << failing.name;
        for (bool ready : {true, false}) {
            platform::FilePreparer* preparer = ready ? StartReadyPreparer() : nullptr;
            errno = 0;
            EXPECT_EQ(platform::CreatePreparedForWriting(preparer, failing.name), platform::kNoFile);
            EXPECT_EQ(errno, failing.reason) << failing.name << (ready ? " with a file ready" : " plainly");
            platform::StopFilePreparer(preparer);
        }
    }

    platform::FilePreparer* preparer = StartReadyPreparer();
    setenv("DOVAN_FAULTS", "create:1:ENOSPC", 1);
    EXPECT_EQ(platform::CreatePreparedForWriting(preparer, "planned.eml"), platform::kNoFile);
    EXPECT_EQ(errno, ENOSPC);
    unsetenv("DOVAN_FAULTS");
    EXPECT_FALSE(std::filesystem::exists(folder_ + "/planned.eml"));
    platform::FileHandle file = platform::CreatePreparedForWriting(preparer, "planned.eml");
    ASSERT_NE(file, platform::kNoFile);
    ASSERT_TRUE(WriteFile(file, "later"));
    platform::StopFilePreparer(preparer);
    EXPECT_EQ(DirectoryNames(folder_), (std::vector<std::string>{"a folder.eml", "planned.eml"}));
}

// One preparer follows the writer from folder to folder: files are named where they are created, and what a
// folder left unnamed is closed once the writer moved on, or after a drop.
TEST_F(PreparedFiles, FollowTheFolderAndDropWhatIsLeftBehind)
{
    for (const char* sub : {"A", "B"}) ASSERT_TRUE(std::filesystem::create_directory(folder_ + "/" + sub));
    platform::FilePreparer* preparer = platform::StartFilePreparer();
    ASSERT_NE(preparer, nullptr);
    std::map<std::string, std::vector<std::string>> named;
    int round = 0;
    for (std::string sub : {"A", "B", "A"}) {  // and back to a folder met before
        std::string here = folder_ + "/" + sub, other = folder_ + (sub == "A" ? "/B" : "/A");
        ASSERT_EQ(chdir(here.c_str()), 0);
        platform::PrepareFilesInCurrentDir(preparer);
        std::set<ino_t> ready = WaitForPreparedFiles(here);
        ASSERT_FALSE(ready.empty()) << sub;
        EXPECT_TRUE(WaitUntilNonePrepared(other)) << "left unnamed in " << other;
        size_t named_prepared = 0;
        for (int i = 0; i < 12; ++i) {
            std::string name = "round" + std::to_string(round) + "-" + std::to_string(i);
            ASSERT_TRUE(WriteFile(platform::CreatePreparedForWriting(preparer, name.c_str()), name)) << name;
            if (ready.count(InodeOf(name))) ++named_prepared;
            named[sub].push_back(name);
        }
        EXPECT_GT(named_prepared, 0u) << sub;
        ++round;
    }
    platform::DropPreparedFiles(preparer);
    EXPECT_TRUE(WaitUntilNonePrepared(folder_ + "/A"));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_TRUE(PreparedInodes(folder_ + "/A").empty()) << "prepared after the drop";
    ASSERT_TRUE(WriteFile(platform::CreatePreparedForWriting(preparer, "after the drop"), "plain"));
    platform::StopFilePreparer(preparer);
    named["A"].push_back("after the drop");

    for (const auto& [sub, names] : named) {
        std::vector<std::string> sorted = names;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(DirectoryNames(folder_ + "/" + sub), sorted) << sub;
        for (const std::string& name : names) {
            EXPECT_EQ(ReadWholeFile(folder_ + "/" + sub + "/" + name), name == "after the drop" ? "plain" : name);
        }
    }
}

// Preparers stopped at every moment (before the helper ran, while it prepares, with files ready, after a few
// were named, after a drop or a move to another folder) end cleanly and leave nothing behind.
TEST_F(PreparedFiles, StopAtAnyMoment)
{
    ASSERT_TRUE(std::filesystem::create_directory(folder_ + "/sub"));
    for (int round = 0; round < 60; ++round) {
        ASSERT_EQ(chdir(folder_.c_str()), 0);
        platform::FilePreparer* preparer = platform::StartFilePreparer();
        ASSERT_NE(preparer, nullptr);
        if (round % 4 != 0) platform::PrepareFilesInCurrentDir(preparer);
        if (round % 3 == 1) std::this_thread::sleep_for(std::chrono::microseconds(200 * round));
        if (round % 3 == 2) {
            for (int i = 0; i < round % 7; ++i) {
                std::string name = "r" + std::to_string(round) + "-" + std::to_string(i);
                ASSERT_TRUE(WriteFile(platform::CreatePreparedForWriting(preparer, name.c_str()), name));
            }
        }
        if (round % 5 == 3) platform::DropPreparedFiles(preparer);
        if (round % 5 == 4) {
            ASSERT_EQ(chdir((folder_ + "/sub").c_str()), 0);
            platform::PrepareFilesInCurrentDir(preparer);
        }
        platform::StopFilePreparer(preparer);
        EXPECT_TRUE(PreparedInodes(folder_).empty()) << round;
        EXPECT_TRUE(PreparedInodes(folder_ + "/sub").empty()) << round;
    }
    for (const std::string& name : DirectoryNames(folder_)) {
        if (name == "sub") continue;
        EXPECT_EQ(ReadWholeFile(folder_ + "/" + name), name);
    }
    EXPECT_TRUE(DirectoryNames(folder_ + "/sub").empty());
}

}  // namespace
