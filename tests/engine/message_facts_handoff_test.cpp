// The facts of each message reach a plugin that takes them, right before every NewMessage, in the plugin's
// terms; a plugin without SetMessageFacts sees the same run as before.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/conversion_run.h"
#include "engine/folder_scope.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/support/fact_stores.h"

namespace {

using fixture::FactShape;

TEST(MessageFactsHandoff, EveryStoreFlagCombinationMapsToThePluginsBits)
{
    const struct {
        uint32_t store;
        uint32_t plugin;
    } kBits[] = {{dbx::kStoreFlagRead, DOVAN_MESSAGE_READ},
                 {dbx::kStoreFlagAnswered, DOVAN_MESSAGE_ANSWERED},
                 {dbx::kStoreFlagForwarded, DOVAN_MESSAGE_FORWARDED},
                 {dbx::kStoreFlagFlagged, DOVAN_MESSAGE_FLAGGED},
                 {dbx::kStoreFlagDraft, DOVAN_MESSAGE_DRAFT}};
    for (uint32_t combination = 0; combination < 32; ++combination) {
        dbx::MessageFacts facts;
        facts.has_flags = true;
        facts.flags = 0x4000 | 0x100;  // attachment and marked for download: no plugin bit
        uint32_t expected = 0;
        for (int bit = 0; bit < 5; ++bit) {
            if (!(combination & (1u << bit))) continue;
            facts.flags |= kBits[bit].store;
            expected |= kBits[bit].plugin;
        }
        DovanMessageFacts mapped = engine::MakePluginFacts(facts);
        EXPECT_EQ(mapped.present, DOVAN_FACT_FLAGS);
        EXPECT_EQ(mapped.flags, expected) << combination;
        EXPECT_EQ(mapped.size, sizeof(DovanMessageFacts));
    }
    dbx::MessageFacts header_only;
    header_only.has_flags = true;
    header_only.header_only = true;
    EXPECT_EQ(engine::MakePluginFacts(header_only).flags, DOVAN_MESSAGE_HEADER_ONLY);
    EXPECT_EQ(engine::MakePluginFacts(dbx::MessageFacts{}).present, 0u);
}

std::vector<DovanMessageFacts> RecordedFacts(const engine::WriterPlugin& plugin)
{
    auto count = reinterpret_cast<RecordFactsCountFn>(platform::FindSymbol(plugin.library, "RecordFactsCount"));
    auto at = reinterpret_cast<RecordFactsAtFn>(platform::FindSymbol(plugin.library, "RecordFactsAt"));
    std::vector<DovanMessageFacts> facts;
    if (!count || !at) {
        ADD_FAILURE() << "the recording writer keeps no facts";
        return facts;
    }
    for (size_t i = 0; i < count(); ++i) {
        DovanMessageFacts one{};
        at(i, &one);
        facts.push_back(one);
    }
    return facts;
}

TEST(MessageFactsHandoff, BeforeEveryNewMessageIncludingRetries)
{
    enginetest::LanguageScope language("C");
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
    std::vector<fixture::FixtureMessage> messages = enginetest::Mails({"A\r\n", "BB\r\n", "CCC\r\n"});
    std::vector<fixture::FixtureFacts> facts = {
        {FactShape::InData, 0x80 | 0x80000 | 0x01, FactShape::InData, 0x01C3A2B4C5D6E7F0ull, FactShape::InData,
         0x01C3A2B5D0000000ull},
        {FactShape::Direct, 0x20 | 0x08 | 0x01, FactShape::Absent, 0, FactShape::OutOfRange, 0},
        {},
    };
    scratch.File("source/Inbox.dbx", fixture::BuildDbxWithFacts(messages, facts));
    recorded.Fail("NewMessage", 2, ENOSPC);  // the second message is tried twice
    front_end.Answer(engine::ErrorChoice::Retry);

    engine::RunConversion(scratch.Path("source").c_str(), scratch.Path("out").c_str(), recorded.plugin(), front_end);

    std::vector<DovanMessageFacts> handed = RecordedFacts(recorded.plugin());
    ASSERT_EQ(handed.size(), 4u);
    EXPECT_EQ(handed[0].present, DOVAN_FACT_RECEIVED_TIME | DOVAN_FACT_SENT_TIME | DOVAN_FACT_FLAGS);
    EXPECT_EQ(handed[0].received_time, 0x01C3A2B5D0000000ull);
    EXPECT_EQ(handed[0].sent_time, 0x01C3A2B4C5D6E7F0ull);
    EXPECT_EQ(handed[0].flags, DOVAN_MESSAGE_READ | DOVAN_MESSAGE_ANSWERED);
    for (size_t retry : {1, 2}) {
        EXPECT_EQ(handed[retry].present, DOVAN_FACT_FLAGS);
        EXPECT_EQ(handed[retry].flags, DOVAN_MESSAGE_FLAGGED | DOVAN_MESSAGE_DRAFT);
        EXPECT_EQ(handed[retry].received_time, 0u);
    }
    EXPECT_EQ(handed[3].present, 0u);
    for (const DovanMessageFacts& one : handed) EXPECT_EQ(one.size, sizeof(DovanMessageFacts));

    // The calls themselves are those of a plugin without the export.
    std::vector<std::string> trace = recorded.Trace();
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "NewMessage 1"), 3);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "NewMessage 1 FAILED"), 1);
}

}  // namespace
