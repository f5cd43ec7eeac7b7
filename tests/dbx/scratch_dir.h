// A scratch folder per test, removed afterwards.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include <gtest/gtest.h>

class ScratchDir {
public:
    ScratchDir()
    {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() / ("dovan-dbx-" + std::string(test->test_suite_name()) + "-" +
                                                          test->name() + "-" + std::to_string(std::random_device{}()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};
