// Real stores written by Outlook Express: the reader lists exactly what the corpus README says a correct reader
// finds (position, record, kind, text length, SHA-256 of the text). Skipped where the corpus is absent.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "tests/support/sha256.h"
#include "tests/support/store_reading.h"

namespace {

const std::filesystem::path kCorpus = DOVAN_SOURCE_DIR "/../shared/corpus";

// The README's expectations, file by file, from its "## <file>.dbx" sections.
std::map<std::string, std::vector<std::string>> ReadExpectations()
{
    std::map<std::string, std::vector<std::string>> files;
    std::ifstream readme(kCorpus / "README.md");
    std::string line, current;
    while (std::getline(readme, line)) {
        if (line.rfind("## ", 0) == 0) {
            current = line.substr(3);
            if (current.size() > 4 && current.compare(current.size() - 4, 4, ".dbx") == 0) files[current];
            else current.clear();
        } else if (!current.empty() && !line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
            files[current].push_back(line);
        }
    }
    return files;
}

std::string Describe(size_t position, const fixture::ReadMessage& message)
{
    char head[64];
    std::snprintf(head, sizeof head, "%06zu 0x%08x ", position, message.record);
    std::ostringstream line;
    line << head;
    if (!message.found) line << "none - -";
    else
        line << (message.kind == 2 ? "news " : "mail ") << message.text.size() << ' '
             << fixture::Sha256Hex(message.text);
    return line.str();
}

TEST(Corpus, ReaderListsWhatTheReadmeSays)
{
    if (!std::filesystem::exists(kCorpus / "README.md")) GTEST_SKIP() << "no corpus at " << kCorpus;
    std::map<std::string, std::vector<std::string>> expectations = ReadExpectations();
    ASSERT_GE(expectations.size(), 8u);
    ASSERT_EQ(expectations["Inbox.dbx"].size(), 1u);

    for (const auto& [name, lines] : expectations) {
        SCOPED_TRACE(name);
        fixture::ReadStoreResult read = fixture::ReadStore((kCorpus / name).string());
        ASSERT_TRUE(read.opened);
        std::vector<std::string> got;
        for (size_t i = 0; i < read.messages.size(); ++i) {
            EXPECT_TRUE(read.messages[i].text_complete);
            got.push_back(Describe(i, read.messages[i]));
        }
        EXPECT_EQ(got, lines);
        // The one file that is no message folder at all is damaged by this reader's measure; the others are sound.
        EXPECT_EQ(read.damaged, name == "extra/not-oe5-test2.dbx");
    }
}

TEST(Corpus, FoldersWithoutMessagesHaveAHeaderCountOfZero)
{
    if (!std::filesystem::exists(kCorpus / "README.md")) GTEST_SKIP() << "no corpus at " << kCorpus;
    for (const char* name : {"Outbox.dbx", "Offline.dbx"}) {
        fixture::ReadStoreResult read = fixture::ReadStore((kCorpus / name).string());
        EXPECT_TRUE(read.opened) << name;
        EXPECT_EQ(read.header_count, 0u) << name;
        EXPECT_TRUE(read.messages.empty()) << name;
    }
}

}  // namespace
