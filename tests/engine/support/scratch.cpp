#include "tests/engine/support/scratch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "engine/error_recovery.h"
#include "engine/front_end.h"

namespace enginetest {

Scratch::Scratch()
{
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string name =
        std::string("dovan-engine-") + test->test_suite_name() + "-" + test->name() + "-" + std::to_string(getpid());
    for (char& c : name)
        if (c == '/') c = '_';
    root_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    ResetEngineState();
}

Scratch::~Scratch()
{
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
    ResetEngineState();
}

std::string Scratch::Path(const std::string& relative) const
{
    return relative.empty() ? root_.string() : (root_ / relative).string();
}

std::string Scratch::Store(const std::string& relative, const std::vector<fixture::FixtureMessage>& messages,
                           const fixture::FixtureOptions& options, fixture::StoreLayout* layout) const
{
    return File(relative, fixture::BuildDbx(messages, options, layout));
}

std::string Scratch::File(const std::string& relative, const std::string& bytes) const
{
    std::filesystem::path path = root_ / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << path;
    return path.string();
}

std::vector<fixture::FixtureMessage> Mails(const std::vector<std::string>& texts)
{
    std::vector<fixture::FixtureMessage> messages;
    for (const std::string& text : texts) {
        fixture::FixtureMessage message;
        message.text = text;
        messages.push_back(message);
    }
    return messages;
}

void ResetEngineState()
{
    engine::TheRunControl().pause = false;
    engine::TheRunControl().abort = false;
    engine::ResetErrorMemory();
}

}  // namespace enginetest
