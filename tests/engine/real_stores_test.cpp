// Whole runs over stores that Outlook Express wrote itself, when they are at hand beside the checkout.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/conversion_run.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/support/sha256.h"

using Trace = std::vector<std::string>;
namespace fs = std::filesystem;

namespace {

const fs::path kCorpus = fs::path(DOVAN_SOURCE_DIR) / ".." / "shared" / "corpus";

struct Digest {
    size_t length;
    std::string sha256;
};

// The digest of the stored text: without the CR LF that the run adds to a text not ending in a line feed.
Digest StoredText(const std::string& handed, bool line_end_added)
{
    std::string stored = line_end_added ? handed.substr(0, handed.size() - 2) : handed;
    return {stored.size(), fixture::Sha256Hex(stored)};
}

TEST(RealStores, TheTopFolderConvertsInboxAndLeavesTheStoreFilesOut)
{
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "no real stores at " << kCorpus;
    enginetest::LanguageScope language("C");
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
    EXPECT_EQ(engine::RunConversion(kCorpus.c_str(), scratch.Path("out").c_str(), recorded.plugin(), front_end),
              engine::RunOutcome::Completed);
    // Outbox counts no message; Folders and Offline are never opened.
    EXPECT_EQ(front_end.EventsStartingWith("folder "),
              (Trace{"folder Inbox 1/2 [1 / 2]", "folder Outbox 2/2 [2 / 2]"}));
    Trace texts = recorded.MessageTexts();
    ASSERT_EQ(texts.size(), 1u);
    Digest inbox = StoredText(texts[0], texts[0].back() != '\n');
    EXPECT_EQ(inbox.length, 10139u);
    EXPECT_EQ(inbox.sha256, "5690ac3f898d12554c351767385901b1281720a1b485b08057b47ced59891ec9");
    EXPECT_EQ(front_end.messages, Trace{"1 message(s) were converted."});
    EXPECT_TRUE(front_end.EventsStartingWith("damaged").empty());
}

TEST(RealStores, TheOtherStoresGiveTheirTextsByteForByte)
{
    if (!fs::is_directory(kCorpus / "extra")) GTEST_SKIP() << "no real stores at " << kCorpus;
    enginetest::LanguageScope language("C");
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
    fs::path extra = kCorpus / "extra";
    EXPECT_EQ(engine::RunConversion(extra.c_str(), scratch.Path("out").c_str(), recorded.plugin(), front_end),
              engine::RunOutcome::Completed);

    // kde-test4's texts do not end in a line feed: each gets the closing CR LF as a piece of its own.
    Trace texts = recorded.MessageTexts();
    ASSERT_EQ(texts.size(), 5u);
    std::vector<Digest> expected{
        {6485, "628c5017317fd9414e5f7624dd0e108a2bb02cf7d09b89d73152ed7d549e9da8"},
        {5168, "1c46bcfed096853d373bb777a99fd0b24496edb9edf86d00503154debfa08b58"},
        {3204, "6971fd3b053418a03f0e7348c30fa01aff8e21ce59ad18bbae1d7e4ec9cff781"},
        {16993, "34934eb0b6b7bac25f3f3cfce518ae63102863b5c60cb74755d04b174121c43d"},
        {2710, "83f7d590d15ca661b4fddf23d73f3ec2f6ae1a49465bda277b3f5c02250be26f"},
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        bool added = i < 3;
        if (added) {
            EXPECT_EQ(texts[i].substr(texts[i].size() - 2), "\r\n");
        }
        Digest digest = StoredText(texts[i], added);
        EXPECT_EQ(digest.length, expected[i].length) << i;
        EXPECT_EQ(digest.sha256, expected[i].sha256) << i;
    }
    // The older-format file renamed .dbx holds nothing readable: reported as damaged, nothing handed on.
    EXPECT_EQ(front_end.EventsStartingWith("damaged"), Trace{"damaged not-oe5-test2"});
    EXPECT_EQ(front_end.messages, Trace{"5 message(s) were converted."});
}

}  // namespace
