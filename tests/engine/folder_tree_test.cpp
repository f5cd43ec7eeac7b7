// The folder tree of a run built from folder lists: placement, pruning, names, and every hostile shape.
#include "engine/folder_tree.h"

#include <gtest/gtest.h>

#include <chrono>

using Lines = std::vector<std::string>;
using dbx::FolderRecord;

namespace {

constexpr uint32_t kRootParent = dbx::kNoParent;

std::vector<engine::SourceFolder> Files(const std::vector<std::string>& names)
{
    std::vector<engine::SourceFolder> files;
    for (const std::string& name : names) files.push_back({name, name.substr(0, name.size() - 4)});
    return files;
}

// One line per folder in run order: the writer path, then "[file]" and " +sub" where they apply; the shown path
// after " | " when it differs.
Lines Render(const std::vector<engine::TreeFolder>& tree)
{
    Lines lines;
    for (size_t i = 0; i < tree.size(); ++i) {
        std::string writer;
        for (const std::string& part : engine::WriterPath(tree, i)) writer += (writer.empty() ? "" : "/") + part;
        std::string line = writer;
        if (!tree[i].file_name.empty()) line += " [" + tree[i].file_name + "]";
        if (tree[i].has_subfolders) line += " +sub";
        if (engine::ShownPathText(tree, i) != writer) line += " | " + engine::ShownPathText(tree, i);
        lines.push_back(line);
    }
    return lines;
}

Lines Tree(const std::vector<FolderRecord>& list, const std::vector<std::string>& files,
           const std::string& code_page = "windows-1252")
{
    return Render(engine::BuildFolderTree(list, Files(files), {code_page}));
}

std::vector<FolderRecord> Standard()
{
    return {{0, kRootParent, "Outlook Express", "", 0, 4},
            {1, 0, "Local Folders", "", 0, 3},
            {4, 1, "Inbox", "Inbox.dbx", 1, 3},
            {5, 1, "Outbox", "Outbox.dbx", 2, 3},
            {6, 1, "Sent Items", "", 3, 3},
            {7, 1, "Deleted Items", "", 4, 3},
            {8, 1, "Drafts", "", 5, 3},
            {9, 0, "Hotmail", "", 0, 2}};
}

TEST(FolderTree, PlacesFoldersAsTheListSays)
{
    std::vector<FolderRecord> list = Standard();
    list.push_back({11, 1, "Projects", "", 0, 3});
    list.push_back({13, 12, "Deep", "deep.DBX", 0, 3});  // listed before its parent
    list.push_back({12, 11, "2026", "2026.dbx", 0, 3});
    list.push_back({15, 1, "Archive", "Archive.dbx", 0, 3});
    list.push_back({16, 1, "ARCHIVE", "Archive1.dbx", 0, 3});
    list.push_back({17, 1, "archive", "Archive2.dbx", 0, 3});
    list.push_back({20, 0, "mail.example.com", "", 0, 1});
    list.push_back({21, 20, "INBOX", "IMAP INBOX.dbx", 0, 1});
    list.push_back({22, 21, "Old", "gone.dbx", 0, 1});  // its file is missing
    struct Case {
        const char* what;
        std::vector<std::string> files;
        Lines expected;  // the files are given as the run lists them: sorted, letter case aside
    } cases[] = {
        {"as in the real store", {"Inbox.dbx", "Outbox.dbx"}, {"Inbox [Inbox.dbx]", "Outbox [Outbox.dbx]"}},
        {"a missing file and an unlisted one",
         {"Inbox.dbx", "Notes.dbx", "Outbox.dbx.dbx"},
         {"Inbox [Inbox.dbx]", "Notes [Notes.dbx]", "Outbox.dbx [Outbox.dbx.dbx]"}},
        {"every shape",
         {"2026.dbx", "Archive.dbx", "Archive1.dbx", "Archive2.dbx", "Deep.dbx", "IMAP INBOX.dbx", "Inbox.dbx",
          "Inbox (2).dbx", "Outbox.dbx"},
         {"Inbox [Inbox.dbx]", "Outbox [Outbox.dbx]", "Projects +sub", "Projects/2026 [2026.dbx] +sub",
          "Projects/2026/Deep [Deep.dbx]", "Archive [Archive.dbx]", "ARCHIVE (2) [Archive1.dbx]",
          "archive (3) [Archive2.dbx]", "mail.example.com +sub", "mail.example.com/INBOX [IMAP INBOX.dbx]",
          "Inbox (2) [Inbox (2).dbx]"}},
        {"an unlisted file named like a listed folder",
         {"ARCHIVE.dbx", "archive2.dbx", "IMAP INBOX.dbx", "inbox.dbx", "mail.example.com.dbx", "Old.dbx"},
         {"Inbox [inbox.dbx]", "Archive [ARCHIVE.dbx]", "archive (2) [archive2.dbx]", "mail.example.com +sub",
          "mail.example.com/INBOX [IMAP INBOX.dbx]", "mail.example.com (2) [mail.example.com.dbx]", "Old [Old.dbx]"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Tree(list, c.files), c.expected) << c.what;
}

TEST(FolderTree, NamesDecodeFromTheCodePage)
{
    std::vector<FolderRecord> list = {{0, kRootParent, "", "", 0, 4},
                                      {1, 0, "Lokale Ordner", "", 0, 3},
                                      {4, 1,
                                       "Entw\xfc"
                                       "rfe",
                                       "Entwurf.dbx", 5, 3},
                                      {5, 1, "\x8e\xf3\x90M", "Jp.dbx", 0, 3},
                                      {6, 1, "\x8e\xf3\x90\x4d", "Jp2.dbx", 0, 3},
                                      {7, 1, "", "Nameless.dbx", 0, 3}};
    std::vector<std::string> files = {"Entwurf.dbx", "Jp.dbx", "Jp2.dbx", "Nameless.dbx"};
    // 0x90 has no character in windows-1252: "?" in the shown name, "_" in the writer's.
    EXPECT_EQ(Tree(list, files), (Lines{"Entwürfe [Entwurf.dbx]", "Žó_M [Jp.dbx] | Žó?M",
                                        "Žó_M (2) [Jp2.dbx] | Žó?M (2)", "Nameless [Nameless.dbx]"}));
    Lines japanese = Tree(list, files, "cp932");
    ASSERT_EQ(japanese.size(), 4u);
    EXPECT_EQ(japanese[1], "受信 [Jp.dbx]");
    EXPECT_EQ(japanese[2], "受信 (2) [Jp2.dbx]");
    // A code page the system does not know keeps ASCII only.
    EXPECT_EQ(Tree(list, files, "no-such-code-page")[0], "Entw_rfe [Entwurf.dbx] | Entw?rfe");
}

// Damaged and hostile lists: every folder with a file still comes out, once, and quickly.
TEST(FolderTree, HostileListsFinishWithEveryFile)
{
    auto chain = [](uint32_t levels, uint32_t first_parent, const char* file_at_bottom) {
        std::vector<FolderRecord> list;
        for (uint32_t i = 0; i < levels; ++i)
            list.push_back({100 + i, i == 0 ? first_parent : 99 + i, "L", i + 1 == levels ? file_at_bottom : "", 0, 1});
        return list;
    };
    std::vector<FolderRecord> cycle = chain(100000, 0, "a.dbx");
    cycle[0].parent_id = 100000 + 99;  // the top of the chain hangs from its bottom
    std::vector<FolderRecord> siblings;
    for (uint32_t i = 0; i < 100000; ++i) siblings.push_back({10 + i, 0, "Same", i == 99999 ? "a.dbx" : "", 0, 1});
    std::vector<FolderRecord> all_roots = {{0, kRootParent, "R", "a.dbx", 0, 4}, {0, kRootParent, "R", "b.dbx", 0, 4}};
    struct Case {
        const char* what;
        std::vector<FolderRecord> list;
        Lines first;  // the first lines of the tree
        size_t folders;
    } cases[] = {
        {"its own parent",
         {{5, 5, "Self", "a.dbx", 0, 3}, {6, 5, "Child", "b.dbx", 0, 3}},
         {"Self [a.dbx] +sub", "Self/Child [b.dbx]"},
         3},
        {"a cycle of two",
         {{5, 6, "A", "a.dbx", 0, 3}, {6, 5, "B", "b.dbx", 0, 3}},
         {"B [b.dbx] +sub", "B/A [a.dbx]"},
         3},
        {"a parent that is not listed",
         {{5, 77, "Orphan", "a.dbx", 0, 3}, {6, 5, "Child", "b.dbx", 0, 3}},
         {"Orphan [a.dbx] +sub", "Orphan/Child [b.dbx]"},
         3},
        {"repeated ids",
         {{5, 0, "First", "", 0, 1}, {5, 0, "Second", "a.dbx", 0, 1}, {6, 5, "Child", "b.dbx", 0, 1}},
         {"First +sub", "First/Child [b.dbx]", "Second [a.dbx]"},
         4},
        {"roots with files", all_roots, {"a [a.dbx]", "b [b.dbx]"}, 3},
        {"names of any bytes",
         {{5, 0, "..", "a.dbx", 0, 1},
          {6, 0, "a/b\\c", "b.dbx", 0, 1},
          {7, 0, std::string("nul\0x", 5), "", 0, 1},
          {8, 7, "CON.txt", "c.dbx", 0, 1}},
         {"..= [a.dbx] | ..", "a=b=c [b.dbx] | a/b\\c", "nul= +sub | nul", "nul=/CON=.txt [c.dbx] | nul/CON.txt"},
         4},
        {"100,000 levels", chain(100000, 0, "a.dbx"), {"L +sub", "L/L +sub"}, 100002},
        {"100,000 levels in a cycle", cycle, {"L +sub", "L/L +sub"}, 100001},
        {"100,000 siblings of one name", siblings, {"Same [a.dbx]"}, 3},  // only the one with a file
    };
    for (const Case& c : cases) {
        auto start = std::chrono::steady_clock::now();
        std::vector<engine::TreeFolder> tree = engine::BuildFolderTree(c.list, Files({"a.dbx", "b.dbx", "c.dbx"}), {});
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 20.0) << c.what;
        EXPECT_EQ(tree.size(), c.folders) << c.what;
        Lines lines = Render(tree);
        lines.resize(std::min(lines.size(), c.first.size()));
        EXPECT_EQ(lines, c.first) << c.what;
        // Each file once; those the list does not reach at the end, at the top level.
        Lines files;
        for (const engine::TreeFolder& folder : tree) {
            EXPECT_LE(folder.depth, engine::kMaxFolderDepth) << c.what;
            if (!folder.file_name.empty()) files.push_back(folder.file_name);
        }
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, (Lines{"a.dbx", "b.dbx", "c.dbx"})) << c.what;
    }
}

}  // namespace
