// Hostile names: store files whose names hold blanks, quotes, shell characters, bytes that are not UTF-8, the
// longest name a file system takes, or that give the folder names ".", ".." and nothing at all; subjects with
// path separators, "..", control bytes and Windows device names. With every writer, nothing lands outside the
// destination and every message lands in a file of its own folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "engine/conversion_run.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/reliability/support/ledger_writer.h"
#include "tests/reliability/support/output_reading.h"
#include "tests/reliability/support/run_checks.h"

namespace fs = std::filesystem;

namespace reliability {
namespace {

struct HostileFolder {
    std::string base_name;    // the .dbx file's name without ".dbx"
    std::string output_name;  // the folder (or mbox file) it becomes
};

std::vector<HostileFolder> HostileFolders()
{
    return {
        {"My Inbox", "My Inbox"},
        {"it's \"quoted\"", "it's \"quoted\""},
        {"$(touch pwned); `id` | & > < *", "$(touch pwned); `id` | & > < *"},
        {std::string(251, 'L'), std::string(251, 'L')},  // a file name of 255 bytes
        {"caf\xe9 \xff\xfe", "caf\xe9 \xff\xfe"},        // not UTF-8
        {".", ".="},                                     // "..dbx"
        {"..", "..="},                                   // "...dbx"
        {"...", "...="},
        {"", "="},  // ".dbx"
        {"CON", "CON="},
        {"nul.txt", "nul=.txt"},
        {"a\\b", "a=b"},
        {"Inbox ", "Inbox ="},
        {"tab\there\x01", "tab\there\x01"},
    };
}

const std::vector<std::string> kHostileSubjects = {
    "../../../escape",
    "a/b\\c",
    "..",
    ".",
    "CON",
    "nul.txt",
    "\x01\x1b[31mred\x7f",
    std::string(300, 's'),
    "",
    "trailing dot.",
    "COM1",
    "/absolute/path",
};

struct WriterCase {
    const char* module;
    const char* setting;
    Format format;
};

class HostileNames : public testing::TestWithParam<WriterCase> {};

// Every path below a directory, files and folders alike.
std::set<std::string> TreeBelow(const fs::path& root)
{
    std::set<std::string> paths;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root))
        paths.insert(fs::relative(entry.path(), root).string());
    return paths;
}

TEST_P(HostileNames, NothingEscapesAndEveryMessageLandsInAFile)
{
    const WriterCase& writer_case = GetParam();
    enginetest::Scratch scratch;
    LoadedWriter writer(writer_case.module, writer_case.setting);
    ASSERT_TRUE(writer.loaded());

    // The destination sits deep below the scratch folder, so that a way out by ".." shows in the tree.
    std::string source = scratch.Path("store");
    std::string destination = scratch.Path("a/b/c/destination");
    std::map<std::string, std::vector<std::string>> expected;  // output folder name -> texts
    size_t subject = 0;
    size_t total = 0;
    for (const HostileFolder& folder : HostileFolders()) {
        std::vector<std::string> texts;
        for (int n = 0; n < 2; ++n) {
            const std::string& line = kHostileSubjects[subject++ % kHostileSubjects.size()];
            texts.push_back("From: someone@example.org\r\nSubject: " + line + "\r\n\r\nBody of " + std::to_string(n) +
                            "\r\n");
        }
        scratch.Store("store/" + folder.base_name + ".dbx", enginetest::Mails(texts));
        expected[folder.output_name] = texts;
        total += texts.size();
    }
    ASSERT_EQ(fs::directory_entry(fs::path(source) / "..dbx").exists(), true);
    std::set<std::string> before = TreeBelow(scratch.Path());
    std::string working_directory = fs::current_path().string();

    Ledger ledger;
    enginetest::RecordingFrontEnd front_end;
    EXPECT_EQ(engine::RunConversion(source.c_str(), destination.c_str(), writer.WithLedger(ledger), front_end),
              engine::RunOutcome::Completed);
    EXPECT_TRUE(front_end.questions.empty()) << front_end.events.back();
    EXPECT_EQ(SummaryCount(front_end), static_cast<long>(total));
    EXPECT_EQ(fs::current_path().string(), working_directory);

    // Nothing new anywhere but below the destination.
    for (const std::string& path : TreeBelow(scratch.Path())) {
        if (before.count(path) || path.rfind("a", 0) == 0) continue;
        ADD_FAILURE() << "written outside the destination: " << path;
    }
    for (const std::string& path : TreeBelow(scratch.Path("a"))) {
        bool inside = path == "b" || path == "b/c" || path.rfind("b/c/destination", 0) == 0;
        EXPECT_TRUE(inside) << "written outside the destination: a/" << path;
    }

    // Every message in a file of its own folder, whole.
    FolderMessages output = ReadOutput(writer_case.format, destination);
    std::set<std::string> folder_names;
    for (const auto& [name, messages] : output) folder_names.insert(name);
    for (const auto& [name, texts] : expected) {
        EXPECT_TRUE(folder_names.count(name)) << "no output folder \"" << name << "\"";
        std::vector<std::string> found = output[name];
        for (const std::string& text : texts)
            EXPECT_NE(std::find(found.begin(), found.end(), text), found.end()) << "a message of \"" << name << "\"";
    }
    EXPECT_EQ(folder_names.size(), expected.size());
    for (const std::string& problem :
         CompareWithLedger(writer_case.format, destination, ledger, SummaryCount(front_end)))
        ADD_FAILURE() << problem;
}

INSTANTIATE_TEST_SUITE_P(Writers, HostileNames,
                         testing::Values(WriterCase{"Dovanmbox", nullptr, Format::Mbox},
                                         WriterCase{"Dovaneml", nullptr, Format::Eml},
                                         WriterCase{"Dovaneml", "subject", Format::Eml},
                                         WriterCase{"Dovanbmf", nullptr, Format::Bmf}),
                         [](const testing::TestParamInfo<WriterCase>& info) {
                             std::string name = info.param.module + 5;  // without "Dovan"
                             return info.param.setting ? name + "_" + info.param.setting : name;
                         });

}  // namespace
}  // namespace reliability
