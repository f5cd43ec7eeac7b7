// Real Outlook Express stores through Dovanmbox: every message read from the store comes back from the mbox
// file, through Python's mailbox module, as it was stored. Skipped where the store files are not at hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "tests/plugins/mbox/mbox_test_support.h"
#include "tests/support/store_reading.h"

namespace mbox_test {
namespace {

struct Store {
    const char* file;                  // relative to the corpus folder
    std::vector<std::string> senders;  // one per message, as the From_ line must name it
};

class MboxCorpus : public MboxTest, public ::testing::WithParamInterface<Store> {};

TEST_P(MboxCorpus, StoredMessagesComeBackUnchanged)
{
    const std::string corpus = std::string(DOVAN_SOURCE_DIR) + "/../shared/corpus";
    const Store& store = GetParam();
    const std::string path = corpus + "/" + store.file;
    if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " is not at hand";
    if (!writer_test::HavePython()) GTEST_SKIP() << writer_test::kPython << " is missing";

    fixture::ReadStoreResult read = fixture::ReadStore(path);
    ASSERT_TRUE(read.opened);
    std::vector<std::string> texts;
    for (const fixture::ReadMessage& message : read.messages)
        if (message.found && !message.text.empty()) texts.push_back(message.text);
    ASSERT_EQ(texts.size(), store.senders.size());

    // ignore-case: its quoting is undone exactly, whatever the bodies hold.
    UseSetting("ignore-case");
    std::string expected = Scratch("expected");
    ASSERT_TRUE(std::filesystem::create_directory(expected));
    for (size_t i = 0; i < texts.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%03zu", i);
        std::string given = texts[i].back() == '\n' ? texts[i] : texts[i] + "\r\n";
        ASSERT_TRUE(writer_test::WriteWholeFile(expected + "/" + name + ".txt", given));
        ASSERT_TRUE(writer_test::WriteWholeFile(expected + "/" + name + ".sender", store.senders[i]));
    }
    // The stores' data blocks hold 512 text bytes each: the host's pieces.
    ASSERT_TRUE(writer_test::RunConversion(writer_, scratch_, {{"Store", texts}}, 512));

    std::string command = std::string(writer_test::kPython) + " " + DOVAN_SOURCE_DIR +
                          "/tests/plugins/mbox/check_mbox.py '" + Scratch("Store.mbx") + "' ignore-case '" + expected +
                          "'";
    EXPECT_EQ(writer_test::RunCommand(command), 0) << command;
}

void PrintTo(const Store& store, std::ostream* out) { *out << store.file; }

INSTANTIATE_TEST_SUITE_P(RealStores, MboxCorpus,
                         ::testing::Values(Store{"Inbox.dbx", {"msoe@microsoft.com"}},
                                           Store{"extra/kde-test4.dbx", {"root", "root", "root"}},
                                           Store{"extra/perl-test.dbx", {"off_1@webstation.com"}},
                                           Store{"extra/perl-test1.dbx", {"noreply@freshmeat.net"}}));

}  // namespace
}  // namespace mbox_test
