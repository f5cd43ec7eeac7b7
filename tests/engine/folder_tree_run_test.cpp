// Runs that keep the store's folder tree: what the writer is told, in which order, and what the texts name;
// the flat run beside them; and hostile folder lists that must still convert every message.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "engine/conversion_run.h"
#include "fixtures/folder_list_builder.h"
#include "tests/engine/support/language.h"
#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/recording_front_end.h"
#include "tests/engine/support/scratch.h"

using Trace = std::vector<std::string>;
using fixture::FixtureFolder;
namespace fs = std::filesystem;

namespace {

constexpr uint32_t kRootParent = fixture::kFolderListRootParent;

class FolderTreeRun : public testing::Test {
protected:
    engine::RunOutcome Run(const engine::WriterPlugin& plugin, engine::FolderLayout layout = engine::FolderLayout::Tree,
                           const std::string& code_page = "windows-1252")
    {
        engine::RunOptions options;
        options.layout = layout;
        options.code_page = code_page;
        return engine::RunConversion(scratch.Path("source").c_str(), scratch.Path("out").c_str(), plugin, front_end,
                                     options);
    }
    engine::RunOutcome Run(engine::FolderLayout layout = engine::FolderLayout::Tree,
                           const std::string& code_page = "windows-1252")
    {
        return Run(recorded.plugin(), layout, code_page);
    }

    void List(const std::vector<FixtureFolder>& folders)
    {
        scratch.File("source/Folders.dbx", fixture::BuildFolderList(folders));
    }
    void Mail(const std::string& file, int count = 1)
    {
        std::vector<std::string> texts;
        for (int i = 0; i < count; ++i) texts.push_back("Subject: " + file + "\r\n\r\nbody\r\n");
        scratch.Store("source/" + file, enginetest::Mails(texts));
    }

    // The calls that open and close folders.
    Trace FolderCalls() const
    {
        Trace calls;
        for (const std::string& line : recorded.Trace())
            if (line.rfind("NewFolder", 0) == 0 || line.rfind("NewTreeFolder", 0) == 0 || line == "FinishFolder")
                calls.push_back(line);
        return calls;
    }

    enginetest::LanguageScope language{"C"};
    enginetest::Scratch scratch;
    enginetest::RecordedPlugin recorded;
    enginetest::RecordingFrontEnd front_end;
};

// The list with every shape (fixtures/folder_list_builder.h); Outbox.dbx is listed but missing here.
std::vector<FixtureFolder> TestStoreList() { return fixture::SeveralLevelsFolders(); }

TEST_F(FolderTreeRun, TheStoresTreeReachesTheWriterParentsFirst)
{
    List(TestStoreList());
    for (const char* file : {"Inbox.dbx", "Entwurf.dbx", "Deep.dbx", "Jp.dbx", "Archive.dbx", "Archive1.dbx",
                             "Archive2.dbx", "IMAP INBOX.dbx", "Notes.dbx"})
        Mail(file);
    Mail("2026.dbx", 0);  // subfolders but no message: still announced

    EXPECT_EQ(Run(), engine::RunOutcome::Completed);
    EXPECT_EQ(
        front_end.EventsStartingWith("folder "),
        (Trace{"folder Inbox 1/10 [1 / 10]", "folder Entwürfe 2/10 [2 / 10]", "folder Projects/2026 3/10 [3 / 10]",
               "folder Projects/2026/Deep 4/10 [4 / 10]", "folder Žó?M 5/10 [5 / 10]", "folder Archive 6/10 [6 / 10]",
               "folder ARCHIVE (2) 7/10 [7 / 10]", "folder archive (3) 8/10 [8 / 10]",
               "folder mail.example.com/INBOX 9/10 [9 / 10]", "folder Notes 10/10 [10 / 10]"}));
    EXPECT_EQ(FolderCalls(), (Trace{"NewTreeFolder Inbox",
                                    "FinishFolder",
                                    "NewTreeFolder Entwürfe",
                                    "FinishFolder",
                                    "NewTreeFolder Projects +subfolders",
                                    "FinishFolder",
                                    "NewTreeFolder Projects/2026 +subfolders",
                                    "FinishFolder",
                                    "NewTreeFolder Projects/2026/Deep",
                                    "FinishFolder",
                                    "NewTreeFolder Žó_M",
                                    "FinishFolder",
                                    "NewTreeFolder Archive",
                                    "FinishFolder",
                                    "NewTreeFolder ARCHIVE (2)",
                                    "FinishFolder",
                                    "NewTreeFolder archive (3)",
                                    "FinishFolder",
                                    "NewTreeFolder mail.example.com +subfolders",
                                    "FinishFolder",
                                    "NewTreeFolder mail.example.com/INBOX",
                                    "FinishFolder",
                                    "NewTreeFolder Notes",
                                    "FinishFolder"}));
    EXPECT_EQ(front_end.messages, Trace{"9 message(s) were converted."});

    // In Japanese: the names decode from cp932.
    recorded.Reset();
    front_end = {};
    EXPECT_EQ(Run(engine::FolderLayout::Tree, "cp932"), engine::RunOutcome::Completed);
    EXPECT_EQ(front_end.EventsStartingWith("folder ")[4], "folder 受信 5/10 [5 / 10]");

    // A writer without NewTreeFolder: NewFolder with the path in one name.
    recorded.Reset();
    engine::WriterPlugin flat_writer = recorded.plugin();
    flat_writer.NewTreeFolder = nullptr;
    EXPECT_EQ(Run(flat_writer), engine::RunOutcome::Completed);
    Trace opened;
    for (const std::string& call : FolderCalls())
        if (call != "FinishFolder") opened.push_back(call);
    EXPECT_EQ(opened, (Trace{"NewFolder Inbox", "NewFolder Entwürfe", "NewFolder Projects=2026=Deep", "NewFolder Žó_M",
                             "NewFolder Archive", "NewFolder ARCHIVE (2)", "NewFolder archive (3)",
                             "NewFolder mail.example.com=INBOX", "NewFolder Notes"}));

    // Flat: the list is not read; every file at the top, sorted, as before.
    recorded.Reset();
    front_end = {};
    EXPECT_EQ(Run(engine::FolderLayout::Flat), engine::RunOutcome::Completed);
    opened.clear();
    for (const std::string& call : FolderCalls())
        if (call != "FinishFolder") opened.push_back(call);
    EXPECT_EQ(opened, (Trace{"NewFolder Archive", "NewFolder Archive1", "NewFolder Archive2", "NewFolder Deep",
                             "NewFolder Entwurf", "NewFolder IMAP INBOX", "NewFolder Inbox", "NewFolder Jp",
                             "NewFolder Notes"}));
}

// The real store's list, rebuilt: Inbox and Outbox under the local folders, special folders without files, and
// an account with nothing below it.
TEST_F(FolderTreeRun, TheRealStoresShapeGivesInboxAndOutboxAtTheTop)
{
    std::vector<FixtureFolder> list = fixture::StandardFolders();
    list.push_back({9, 0, "Hotmail", "", 0, 2});
    List(list);
    Mail("Inbox.dbx");
    Mail("Outbox.dbx", 0);
    EXPECT_EQ(Run(), engine::RunOutcome::Completed);
    EXPECT_EQ(front_end.EventsStartingWith("folder "),
              (Trace{"folder Inbox 1/2 [1 / 2]", "folder Outbox 2/2 [2 / 2]"}));
    EXPECT_EQ(FolderCalls(), (Trace{"NewTreeFolder Inbox", "FinishFolder"}));

    const fs::path corpus = fs::path(DOVAN_SOURCE_DIR) / ".." / "shared" / "corpus";
    if (!fs::exists(corpus / "Folders.dbx")) GTEST_SKIP() << "no real stores at " << corpus;
    recorded.Reset();
    front_end = {};
    engine::RunOptions options;
    options.layout = engine::FolderLayout::Tree;
    EXPECT_EQ(
        engine::RunConversion(corpus.c_str(), scratch.Path("real").c_str(), recorded.plugin(), front_end, options),
        engine::RunOutcome::Completed);
    EXPECT_EQ(front_end.EventsStartingWith("folder "),
              (Trace{"folder Inbox 1/2 [1 / 2]", "folder Outbox 2/2 [2 / 2]"}));
    EXPECT_EQ(FolderCalls(), (Trace{"NewTreeFolder Inbox", "FinishFolder"}));
}

// Damaged lists: the run finishes quickly and converts every message of every file.
TEST_F(FolderTreeRun, HostileListsStillConvertEveryMessage)
{
    auto chain = [](uint32_t levels) {
        std::vector<FixtureFolder> list;
        for (uint32_t i = 0; i < levels; ++i)
            list.push_back({100 + i, i == 0 ? 1 : 99 + i, "L", i + 1 == levels ? "a.dbx" : "", 0, 3});
        return list;
    };
    // 20,000 levels here (each announced to the writer); folder_tree_test builds 100,000.
    std::vector<FixtureFolder> deep_cycle = chain(20000);
    deep_cycle[0].parent_id = 20000 + 99;
    struct Case {
        const char* what;
        std::string list;
    } cases[] = {
        {"its own parent", fixture::BuildFolderList({{5, 5, "Self", "a.dbx", 0, 3}, {6, 5, "Kid", "b.dbx", 0, 3}})},
        {"a cycle", fixture::BuildFolderList({{5, 6, "A", "a.dbx", 0, 3}, {6, 5, "B", "b.dbx", 0, 3}})},
        {"a missing parent", fixture::BuildFolderList({{5, 77, "A", "a.dbx", 0, 3}})},
        {"names of any bytes",
         fixture::BuildFolderList({{5, 0, "..", "a.dbx", 0, 1}, {6, 5, "/\\\xff\x01", "b.dbx", 0, 1}})},
        {"20,000 levels", fixture::BuildFolderList(chain(20000))},
        {"20,000 levels in a cycle", fixture::BuildFolderList(deep_cycle)},
        {"a cut list", fixture::BuildFolderList(TestStoreList()).substr(0, 0x2600)},
        {"a message file", fixture::BuildDbx({{"Subject: not a list\r\n\r\n"}})},
    };
    Mail("a.dbx", 2);
    Mail("b.dbx", 3);
    for (const Case& c : cases) {
        scratch.File("source/Folders.dbx", c.list);
        recorded.Reset();
        front_end = {};
        auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(), engine::RunOutcome::Completed) << c.what;
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 30.0) << c.what;
        EXPECT_EQ(front_end.messages, Trace{"5 message(s) were converted."}) << c.what;
    }
}

}  // namespace
