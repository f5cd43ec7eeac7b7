// Builds store folder lists (Folders.dbx) for tests: the folder list's signature, the header, one record per
// folder with its attributes as Outlook Express writes them (ids and kinds in the entry, texts and the root's
// parent in the data area), and the index tree over the records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fixture {

inline constexpr uint32_t kFolderListRootParent = 0xFFFFFFFF;

struct FixtureFolder {
    uint32_t id = 0;           // 0: no id attribute (the root)
    uint32_t parent_id = 0;    // 0: no parent attribute (a child of the root)
    std::string name{};        // bytes as stored; empty: no name attribute
    std::string file_name{};   // empty: no file attribute
    uint32_t special = 0;      // 0: no special attribute
    uint32_t store_kind = 3;   // kind of store, always written
};

// One folder record placed at `self`: the 12-byte head (body length at 4) and the body.
std::string EncodeFolderRecord(const FixtureFolder& folder, uint32_t self);

// A whole folder list whose index walk lists the folders in the given order.
std::string BuildFolderList(const std::vector<FixtureFolder>& folders, uint32_t entries_per_node = 51);

// The list of a store as Outlook Express starts it: root (0), Local Folders (1) and the special folders 4 to 8
// (Inbox, Outbox, Sent Items, Deleted Items, Drafts), with files for Inbox and Outbox only.
std::vector<FixtureFolder> StandardFolders();

}  // namespace fixture
