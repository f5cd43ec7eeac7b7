#include <gtest/gtest.h>

#include <filesystem>

#include "engine/directory_path.h"
#include "platform/platform.h"
#include "tests/engine/support/scratch.h"

using engine::CreateDirectoryPath;
namespace fs = std::filesystem;

namespace {

TEST(CreateDirectoryPath, CreatesEveryMissingLevelOutermostFirst)
{
    enginetest::Scratch scratch;
    std::string path = scratch.Path("out/new/deeper");
    EXPECT_TRUE(CreateDirectoryPath(path));
    EXPECT_EQ(path, scratch.Path("out/new/deeper"));
    EXPECT_TRUE(fs::is_directory(scratch.Path("out/new/deeper")));
    // Everything present already: nothing to do, still true.
    EXPECT_TRUE(CreateDirectoryPath(path));
    std::string doubled = scratch.Path("x//y");
    EXPECT_TRUE(CreateDirectoryPath(doubled));
    EXPECT_TRUE(fs::is_directory(scratch.Path("x/y")));
}

TEST(CreateDirectoryPath, TrailingSeparatorsAreRemovedButARootStaysUsable)
{
    enginetest::Scratch scratch;
    std::string path = scratch.Path("out") + "/";
    EXPECT_TRUE(CreateDirectoryPath(path));
    EXPECT_EQ(path, scratch.Path("out"));
    path = scratch.Path("two") + "//";
    EXPECT_TRUE(CreateDirectoryPath(path));
    EXPECT_EQ(path, scratch.Path("two"));
    EXPECT_TRUE(fs::is_directory(path));

    std::string root = "/";
    EXPECT_TRUE(CreateDirectoryPath(root));
    EXPECT_EQ(root, "/");
    root = "//";
    EXPECT_TRUE(CreateDirectoryPath(root));
    EXPECT_EQ(root, "/");
}

TEST(CreateDirectoryPath, ARelativePathFailsBeforeAnythingIsTouched)
{
    enginetest::Scratch scratch;
    std::string saved = fs::current_path();
    fs::current_path(scratch.Path());
    for (std::string path : {"out/new", "./out", "out", ""}) {
        platform::SetLastError(0);
        EXPECT_FALSE(CreateDirectoryPath(path)) << path;
        EXPECT_EQ(platform::LastError(), platform::kErrorBadPathname) << path;
    }
    fs::current_path(saved);
    EXPECT_TRUE(fs::is_empty(scratch.Path()));
}

TEST(CreateDirectoryPath, ALevelThatIsAFileFails)
{
    enginetest::Scratch scratch;
    scratch.File("a/file", "not a directory");
    for (std::string path : {scratch.Path("a/file/b/c"), scratch.Path("a/file"), scratch.Path("a/file/")}) {
        platform::SetLastError(0);
        EXPECT_FALSE(CreateDirectoryPath(path)) << path;
        EXPECT_EQ(platform::LastError(), platform::kErrorAlreadyExists) << path;
    }
    EXPECT_TRUE(fs::is_regular_file(scratch.Path("a/file")));
}

}  // namespace
