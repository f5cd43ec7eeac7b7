// The folder list reader: the real store's list, built lists through a many-level index, and damaged records.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "dbx/folder_list.h"
#include "fixtures/dbx_builder.h"
#include "fixtures/dbx_pieces.h"
#include "fixtures/folder_list_builder.h"
#include "tests/dbx/store_image.h"

namespace {

std::string Describe(const dbx::FolderRecord& r)
{
    std::ostringstream text;
    text << r.id << " " << std::hex << r.parent_id << std::dec << " [" << r.name << "] [" << r.file_name << "] "
         << r.special << " " << r.store_kind;
    return text.str();
}

std::vector<std::string> ReadList(const std::string& image, bool* is_list = nullptr, bool* damaged = nullptr)
{
    OpenedImage opened(image);
    if (is_list) *is_list = dbx::IsFolderList(opened.store());
    std::vector<std::string> lines;
    for (const dbx::FolderRecord& record : dbx::ReadFolderList(opened.store())) lines.push_back(Describe(record));
    if (damaged) *damaged = opened.store().damaged;
    return lines;
}

TEST(FolderList, TheRealStoresList)
{
    const std::filesystem::path path = DOVAN_SOURCE_DIR "/../shared/corpus/Folders.dbx";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no corpus at " << path;
    std::ifstream in(path, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bool is_list = false, damaged = true;
    EXPECT_EQ(ReadList(image, &is_list, &damaged),
              (std::vector<std::string>{"0 ffffffff [Outlook Express] [] 0 4", "1 0 [Local Folders] [] 0 3",
                                        "4 1 [Inbox] [Inbox.dbx] 1 3", "5 1 [Outbox] [Outbox.dbx] 2 3",
                                        "6 1 [Sent Items] [] 3 3", "7 1 [Deleted Items] [] 4 3", "8 1 [Drafts] [] 5 3",
                                        "9 0 [Hotmail] [] 0 2"}));
    EXPECT_TRUE(is_list);
    EXPECT_FALSE(damaged);
}

TEST(FolderList, BuiltListsReadBackThroughEveryIndexShape)
{
    std::vector<fixture::FixtureFolder> folders = fixture::StandardFolders();
    for (uint32_t i = 0; i < 40; ++i) folders.push_back({100 + i, 4, "F\xe4" + std::to_string(i), "", 0, 3});
    for (uint32_t fan_out : {1u, 2u, 3u, 51u}) {
        bool is_list = false, damaged = true;
        std::vector<std::string> lines = ReadList(fixture::BuildFolderList(folders, fan_out), &is_list, &damaged);
        ASSERT_EQ(lines.size(), folders.size()) << fan_out;
        EXPECT_EQ(lines[2], "4 1 [Inbox] [Inbox.dbx] 1 3");
        EXPECT_EQ(lines.back(),
                  "139 4 [F\xe4"
                  "39] [] 0 3");
        EXPECT_TRUE(is_list);
        EXPECT_FALSE(damaged);
    }
}

TEST(FolderList, AMessageFileAndAnEmptyListAreTellable)
{
    bool is_list = true;
    EXPECT_TRUE(ReadList(fixture::BuildDbx({{"Subject: x\r\n\r\n"}}), &is_list).size() <= 1);
    EXPECT_FALSE(is_list);
    EXPECT_TRUE(ReadList(fixture::BuildFolderList({}), &is_list).empty());
    EXPECT_TRUE(is_list);
}

// Damaged records decode what lies inside them and say they are not sound.
TEST(FolderList, DamagedRecordsReadAsFarAsTheyGo)
{
    std::string sound = fixture::EncodeFolderRecord({4, 1, "Inbox", "Inbox.dbx", 1, 3}, 0x100);
    auto with_entry = [&](size_t index, uint32_t entry) {
        std::string bytes = sound;
        fixture::PatchLe32(bytes, 12 + 4 * index, entry);
        return bytes;
    };
    std::string many_entries = sound;
    many_entries[10] = static_cast<char>(200);
    struct Case {
        const char* what;
        std::string bytes;
        bool sound;
        std::string expected;
    } cases[] = {
        {"sound", sound, true, "4 1 [Inbox] [Inbox.dbx] 1 3"},
        {"shorter than a head", sound.substr(0, 11), false, "0 0 [] [] 0 0"},
        {"entries past the end", many_entries, false, "4 1 [] [] 1 3"},  // the data area lies beyond
        {"text cut by the end", sound.substr(0, sound.size() - 6), false, "4 1 [Inbox] [Inbox.] 1 3"},
        {"text past the end", with_entry(2, fixture::IndirectAttribute(0x02, 0xFFFF)), false, "4 1 [] [Inbox.dbx] 1 3"},
        {"text in the entry", with_entry(2, fixture::DirectAttribute(0x02, 5)), false, "4 1 [] [Inbox.dbx] 1 3"},
        {"number past the end", with_entry(0, fixture::IndirectAttribute(0x00, 0xFFFFFF)), false,
         "0 1 [Inbox] [Inbox.dbx] 1 3"},
    };
    for (const Case& c : cases) {
        dbx::FolderRecord record;
        bool decoded =
            dbx::DecodeFolderRecord(reinterpret_cast<const unsigned char*>(c.bytes.data()), c.bytes.size(), record);
        EXPECT_EQ(decoded, c.sound) << c.what;
        EXPECT_EQ(Describe(record), c.expected) << c.what;
    }
}

TEST(FolderList, RecordsThatClaimMoreThanTheFileAreCut)
{
    std::string image = fixture::BuildFolderList(fixture::StandardFolders());
    // Every record's body length made huge: each is read to the end of the file at most, and the whole list
    // never reads more than the file holds.
    for (uint32_t at = fixture::kHeaderSize; at < image.size();) {
        uint32_t body = fixture::GetLe32(image, at + 4);
        if (fixture::GetLe32(image, at) != at) break;
        fixture::PatchLe32(image, at + 4, 0xFFFFFFF0);
        at += 12 + body;
    }
    bool damaged = false;
    std::vector<std::string> lines = ReadList(image, nullptr, &damaged);
    EXPECT_TRUE(damaged);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "0 ffffffff [Outlook Express] [] 0 4");
}

}  // namespace
