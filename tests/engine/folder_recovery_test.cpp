// Recovery of the texts a store's index does not reach: built stores with deleted, reused, shifted, looping and
// copied chains, a run with and without --recover, and the real store that holds one text outside its index.
#include "engine/folder_recovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "engine/conversion_run.h"
#include "engine/folder_conversion.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"
#include "tests/support/recovery_pieces.h"

using fixture::kBlockStride;
using Trace = std::vector<std::string>;

namespace {

const std::filesystem::path kCorpus = DOVAN_SOURCE_DIR "/../shared/corpus";

// Pieces go behind the indexed part of an image, 4-byte aligned.
uint32_t End(const std::string& image) { return static_cast<uint32_t>((image.size() + 3) / 4 * 4); }

// A text as the conversion hands it on: CR LF added when it does not end with a line feed.
std::string Passed(const std::string& text) { return !text.empty() && text.back() == '\n' ? text : text + "\r\n"; }

std::string HeaderLine(const std::string& text) { return text.substr(0, text.find("\r\n") + 2); }
std::string Body(const std::string& text) { return text.substr(text.find("\r\n") + 2); }

std::string DeletedHeader(uint32_t at, uint32_t blocks)
{
    char line[160];
    std::snprintf(line, sizeof line,
                  "X-Dovan-Recovered: deleted text at 0x%08X, %u block%s, %u bytes lost (each "
                  "shown as ?)\r\n",
                  at, blocks, blocks == 1 ? "" : "s", blocks * 4);
    return line;
}

std::string OutsideHeader(uint32_t at, uint32_t blocks)
{
    char line[160];
    std::snprintf(line, sizeof line,
                  "X-Dovan-Recovered: text outside the index at 0x%08X, %u block%s, 0 bytes lost\r\n", at, blocks,
                  blocks == 1 ? "" : "s");
    return line;
}

std::string Store(const std::vector<std::string>& texts, fixture::StoreLayout* layout = nullptr)
{
    std::vector<fixture::FixtureMessage> messages;
    for (const std::string& text : texts) messages.push_back(fixture::FixtureMessage{text});
    return fixture::BuildDbx(messages, {}, layout);
}

class FolderRecovery : public testing::Test {
protected:
    bool Recover(const std::string& image)
    {
        std::string path = scratch.File("Inbox.dbx", image);
        return engine::RecoverFolder(front_end, path.c_str(), "Inbox", "Inbox", nullptr, recorded.plugin());
    }

    Trace Headers() const
    {
        Trace headers;
        for (const std::string& text : recorded.MessageTexts()) headers.push_back(HeaderLine(text));
        return headers;
    }
    Trace Bodies() const
    {
        Trace bodies;
        for (const std::string& text : recorded.MessageTexts()) bodies.push_back(Body(text));
        return bodies;
    }

    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
};

TEST_F(FolderRecovery, ADeletedMessageOnTheFreeListComesBackWithItsLostBytesMarked)
{
    std::string image = Store({"kept\r\n"});
    uint32_t at = End(image);
    std::string deleted = fixture::MailText("deleted", 1200);
    fixture::Place(image, at, fixture::FreedChain(at, deleted, {at + kBlockStride, at + 2 * kBlockStride, 0}));
    fixture::PatchLe32(image, fixture::kHeaderFirstFreedBlock, at);

    EXPECT_TRUE(Recover(image));
    // The header line, then per block the placeholder for its lost bytes and the rest of its text.
    Trace expected{"NewFolder Inbox (recovered)",
                   "NewMessage 1",
                   "AppendBuffer " + std::to_string(DeletedHeader(at, 3).size()),
                   "AppendBuffer 4",
                   "AppendBuffer 508",
                   "AppendBuffer 4",
                   "AppendBuffer 508",
                   "AppendBuffer 4",
                   "AppendBuffer 172"};
    if (deleted.back() != '\n') expected.push_back("AppendBuffer 2");
    expected.insert(expected.end(), {"FinishMessage", "FinishFolder"});
    EXPECT_EQ(recorded.Trace(), expected);
    EXPECT_EQ(Headers(), Trace{DeletedHeader(at, 3)});
    EXPECT_EQ(Bodies(), Trace{Passed(fixture::WithLostBytes(deleted))});
    EXPECT_EQ(front_end.EventsStartingWith("recovered"), Trace{"recovered Inbox 1"});
}

TEST_F(FolderRecovery, AFreedChainReusedInPartGivesBackTheRunsAroundTheReusedBlock)
{
    fixture::StoreLayout layout;
    std::string image = Store({"kept\r\n", "a later message in a reused block\r\n"}, &layout);
    uint32_t reused = layout.blocks[1][0];
    std::string deleted = fixture::MailText("deleted", 1400);
    std::string head = deleted.substr(0, 512);
    std::string tail = deleted.substr(1024);
    uint32_t first = End(image);
    uint32_t last = first + kBlockStride;
    fixture::Place(image, first, fixture::FreedChain(first, head));
    fixture::PatchLe32(image, first + 12, reused);  // its old next block now holds the later message
    fixture::Place(image, last, fixture::FreedChain(last, tail));

    EXPECT_TRUE(Recover(image));
    // The text before the reused block, and the headerless fragment after it; the later message is not touched.
    EXPECT_EQ(Headers(), (Trace{DeletedHeader(first, 1), DeletedHeader(last, 1)}));
    EXPECT_EQ(Bodies(), (Trace{Passed(fixture::WithLostBytes(head)), Passed(fixture::WithLostBytes(tail))}));
}

TEST_F(FolderRecovery, AnOrphanedChainWithShiftedWordsComesBackWhole)
{
    std::string image = Store({"kept\r\n"});
    uint32_t at = End(image);
    std::string orphan = fixture::MailText("orphan", 1300);
    fixture::Place(image, at, fixture::LiveChain(at, orphan, 0x8000));

    EXPECT_TRUE(Recover(image));
    EXPECT_EQ(Headers(), Trace{OutsideHeader(at, 3)});
    EXPECT_EQ(Bodies(), Trace{Passed(orphan)});
}

TEST_F(FolderRecovery, AChainThatLoopsIsRecoveredOnceAround)
{
    std::string image = Store({"kept\r\n"});
    uint32_t at = End(image);
    std::string text = fixture::MailText("looping", 1500);
    // Laid out out of order, the last block linking back to the first: every block has a link to it.
    fixture::PlaceBlocks(image, {at, at + 2 * kBlockStride, at + kBlockStride}, text, at);

    EXPECT_TRUE(Recover(image));
    EXPECT_EQ(Headers(), Trace{OutsideHeader(at, 3)});
    EXPECT_EQ(Bodies(), Trace{Passed(text)});
}

TEST_F(FolderRecovery, ACopyOfAnIndexedMessageIsNotWrittenTwice)
{
    std::string indexed = fixture::MailText("indexed", 900);
    std::string same_length = fixture::MailText("xndexed", 900);
    std::string image = Store({"kept\r\n", indexed});
    uint32_t copy = End(image);
    fixture::Place(image, copy, fixture::LiveChain(copy, indexed));
    uint32_t other = copy + 2 * kBlockStride;
    fixture::Place(image, other, fixture::LiveChain(other, same_length));

    EXPECT_TRUE(Recover(image));
    EXPECT_EQ(Bodies(), Trace{Passed(same_length)});
    EXPECT_EQ(front_end.EventsStartingWith("recovered"), Trace{"recovered Inbox 1"});
}

// A message cut by damage is taken back by the conversion; recovery then gives back what could be read of it,
// its header line naming the cut. A message damaged at its first block gives back nothing.
TEST_F(FolderRecovery, WhatCouldBeReadOfAMessageCutByDamageGoesToTheRecoveredFolder)
{
    struct CutCase {
        const char* name;
        uint32_t block;  // the block of the first message whose head is damaged
        uint32_t word;   // which word of its head: 8 the text length, 12 the next block
        bool loop;       // the next word points back to the first block; else the word is made too large
        uint32_t blocks_read;
    };
    const CutCase kCases[] = {
        {"the second block holds more than the file", 1, 8, false, 1},
        {"the third block leads out of the file", 2, 12, false, 3},
        {"the third block leads back to the first", 2, 12, true, 3},
        {"the first block holds more than the file", 0, 8, false, 0},
    };
    const std::string cut_text = fixture::MailText("cut", 1200);  // 3 blocks
    for (const CutCase& test : kCases) {
        SCOPED_TRACE(test.name);
        fixture::StoreLayout layout;
        std::string image = Store({cut_text, "two\r\n"}, &layout);
        uint32_t value = test.loop ? layout.blocks[0][0] : 0x7FFFFFF0;
        fixture::PatchLe32(image, layout.blocks[0][test.block] + test.word, value);
        std::string path = scratch.File("Inbox.dbx", image);

        enginetest::RecordedPlugin converting;
        enginetest::RecordingFrontEnd events;
        events.Answer(engine::ErrorChoice::SkipMail);
        engine::FolderScope scope = engine::MakeFolderScope(converting.plugin(), "Inbox");
        uint32_t total = 0;
        EXPECT_TRUE(engine::ConvertFolder(events, path.c_str(), scope, total));
        engine::EndFolder(scope);
        EXPECT_EQ(total, 1u);

        enginetest::RecordedPlugin recovering;
        EXPECT_TRUE(engine::RecoverFolder(events, path.c_str(), "Inbox", "Inbox", nullptr, recovering.plugin(),
                                          scope.cut_by_damage));
        if (test.blocks_read == 0) {  // only the blocks past the damage come back, as a text outside the index
            for (const std::string& text : recovering.MessageTexts())
                EXPECT_EQ(text.find("cut by damage"), std::string::npos);
            continue;
        }
        uint64_t bytes = std::min<uint64_t>(cut_text.size(), uint64_t(512) * test.blocks_read);
        std::string header = engine::CutMessageHeaderLine(layout.blocks[0][0], test.blocks_read, bytes);
        EXPECT_NE(header.find("cut by damage after " + std::to_string(test.blocks_read)), std::string::npos);
        // First, before the texts the scan finds (the blocks past a broken link come back as one of those).
        ASSERT_FALSE(recovering.MessageTexts().empty());
        EXPECT_EQ(recovering.MessageTexts()[0], header + Passed(cut_text.substr(0, bytes)));
        EXPECT_EQ(events.EventsStartingWith("recovered"),
                  Trace{"recovered Inbox " + std::to_string(recovering.MessageTexts().size())});
    }
}

TEST_F(FolderRecovery, NothingToRecoverMakesNoFolder)
{
    struct Case {
        const char* name;
        std::string image;
    };
    std::vector<Case> cases;
    cases.push_back({"a sound store", Store({"one\r\n", fixture::MailText("two", 3000)})});
    cases.push_back({"an empty store", Store({})});

    std::string lone = Store({"kept\r\n"});
    fixture::Place(lone, End(lone), fixture::LiveChain(End(lone), "a lone head with a shift\r\n", 0x8000));
    cases.push_back({"a lone head with a shift", lone});

    // A message whose text holds the bytes of a block head, own offset and all, as an attached store would.
    fixture::StoreLayout layout;
    std::string carrier = std::string(40, 'x') + fixture::LiveChain(0, "inner text\r\n") + "\r\n";
    std::string inside = Store({carrier}, &layout);
    uint32_t inner = layout.blocks[0][0] + 16 + 40;
    fixture::PatchLe32(inside, inner, inner);
    cases.push_back({"a head inside an indexed text", inside});

    std::string cut = Store({"kept\r\n"});
    uint32_t cut_at = End(cut);
    fixture::Place(cut, cut_at, fixture::LiveChain(cut_at, std::string(300, 'c')).substr(0, 100));
    cases.push_back({"a block whose text runs past the end of the file", cut});

    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        enginetest::RecordedPlugin plugin;
        enginetest::RecordingFrontEnd events;
        std::string path = scratch.File("Inbox.dbx", test.image);
        EXPECT_TRUE(engine::RecoverFolder(events, path.c_str(), "Inbox", "Inbox", nullptr, plugin.plugin()));
        EXPECT_EQ(plugin.Trace(), Trace{});
        EXPECT_EQ(events.EventsStartingWith("recovered"), Trace{"recovered Inbox 0"});
    }
}

TEST_F(FolderRecovery, TheAbortFlagStopsTheRunBeforeAnythingIsRecovered)
{
    std::string image = Store({"kept\r\n"});
    uint32_t at = End(image);
    fixture::Place(image, at, fixture::LiveChain(at, "orphan\r\n"));
    engine::TheRunControl().abort = true;
    EXPECT_FALSE(Recover(image));
    enginetest::ResetEngineState();
    // Stopping: the plugin is finished, as the run does on its own stop path, and no folder was begun.
    EXPECT_EQ(recorded.Trace(), Trace{"FinishConvert"});
}

TEST_F(FolderRecovery, ATooSmallMemoryBudgetIsReportedAsASearchCutShort)
{
    std::string image = Store({fixture::MailText("big", 5000)});
    std::string path = scratch.File("Inbox.dbx", image);
    platform::FileHandle file = platform::OpenForReading(path.c_str());
    ASSERT_NE(file, platform::kNoFile);
    dbx::DbxFile store;
    ASSERT_TRUE(dbx::OpenDbxFile(store, file));
    engine::RecoveryFindings found = engine::FindRecoverableTexts(store, 4);  // 10 blocks, room for 4
    EXPECT_FALSE(found.complete);
    EXPECT_EQ(found.table.blocks.size(), 4u);
    platform::CloseFile(file);
}

TEST_F(FolderRecovery, TheRunWritesTheRecoveredFolderAfterItsFolderOnlyWhenAsked)
{
    enginetest::LanguageScope language{"C"};
    std::string image = Store({"kept\r\n"});
    uint32_t at = End(image);
    std::string orphan = fixture::MailText("orphan", 700);
    fixture::Place(image, at, fixture::LiveChain(at, orphan));
    scratch.File("source/Inbox.dbx", image);
    scratch.Store("source/Sent.dbx", enginetest::Mails({"sent\r\n"}));
    std::string source = scratch.Path("source");
    std::string destination = scratch.Path("out");

    EXPECT_EQ(engine::RunConversion(source.c_str(), destination.c_str(), recorded.plugin(), front_end),
              engine::RunOutcome::Completed);
    Trace plain = recorded.Trace();
    EXPECT_EQ(front_end.EventsStartingWith("recovered"), Trace{});

    enginetest::RecordedPlugin again;
    enginetest::RecordingFrontEnd events;
    engine::RunOptions options;
    options.recover = true;
    EXPECT_EQ(engine::RunConversion(source.c_str(), destination.c_str(), again.plugin(), events, options),
              engine::RunOutcome::Completed);
    Trace folders;
    for (const std::string& call : again.Trace())
        if (call.rfind("NewFolder", 0) == 0 || call == "FinishFolder") folders.push_back(call);
    EXPECT_EQ(folders, (Trace{"NewFolder Inbox", "FinishFolder", "NewFolder Inbox (recovered)", "FinishFolder",
                              "NewFolder Sent", "FinishFolder"}));
    EXPECT_EQ(again.MessageTexts(), (Trace{"kept\r\n", OutsideHeader(at, 2) + Passed(orphan), "sent\r\n"}));
    EXPECT_EQ(events.EventsStartingWith("recovered"), (Trace{"recovered Inbox 1", "recovered Sent 0"}));
    // The count of converted messages leaves the recovered ones out.
    EXPECT_EQ(events.messages, Trace{"2 message(s) were converted."});
    // Apart from the recovered folder's calls, the two runs made the same calls: without the option, nothing
    // of recovery happens.
    Trace without_recovered;
    bool in_recovered = false;
    for (const std::string& call : again.Trace()) {
        if (call == "NewFolder Inbox (recovered)") in_recovered = true;
        if (!in_recovered) without_recovered.push_back(call);
        if (call == "FinishFolder") in_recovered = false;
    }
    EXPECT_EQ(without_recovered, plain);
}

TEST_F(FolderRecovery, TheRealStoreGivesBackTheTextOutsideItsIndex)
{
    std::filesystem::path outside = kCorpus / "extra" / "perl-test.dbx";
    std::filesystem::path plain = kCorpus / "extra" / "perl-test1.dbx";
    if (!std::filesystem::exists(outside) || !std::filesystem::exists(plain)) GTEST_SKIP() << "no corpus";

    // perl-test1.dbx's one message as the conversion hands it on; that store holds nothing else.
    engine::FolderScope scope = engine::MakeFolderScope(recorded.plugin(), "perl-test1");
    uint32_t total = 0;
    ASSERT_TRUE(engine::ConvertFolder(front_end, plain.string().c_str(), scope, total));
    engine::EndFolder(scope);
    ASSERT_EQ(recorded.MessageTexts().size(), 1u);
    std::string message = recorded.MessageTexts()[0];
    size_t calls = recorded.Calls().size();
    EXPECT_TRUE(engine::RecoverFolder(front_end, plain.string().c_str(), "perl-test1", "perl-test1", nullptr,
                                      recorded.plugin()));
    EXPECT_EQ(recorded.Calls().size(), calls);

    EXPECT_TRUE(engine::RecoverFolder(front_end, outside.string().c_str(), "perl-test", "perl-test", nullptr,
                                      recorded.plugin()));
    Trace texts = recorded.MessageTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1], OutsideHeader(0x6AD4, 6) + message);
    EXPECT_EQ(front_end.EventsStartingWith("recovered"), (Trace{"recovered perl-test1 0", "recovered perl-test 1"}));
}

}  // namespace
