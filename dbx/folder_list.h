// The folder list of a store (Folders.dbx): the same header, index tree and record scheme as a message file, but
// each record describes a folder. The reader gives the records as they are; building the tree is the engine's.
//
// Everything is untrusted: a record's attributes are decoded from its bytes alone, values that lie outside the
// record read as missing, and the records read from one file never add up to more bytes than the file holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dbx/dbx_file.h"

namespace dbx {

// The second 32-bit word of a folder list (a message file has 0x6F74FDC5).
inline constexpr uint32_t kFolderListSignature = 0x6F74FDC6;
inline constexpr uint32_t kHeaderSignature = 4;

// The parent id that the root of the folder tree stores.
inline constexpr uint32_t kNoParent = 0xFFFFFFFF;

// Values of the special-folder attribute (0 = an ordinary folder).
enum class SpecialFolder : uint32_t { None = 0, Inbox = 1, Outbox = 2, Sent = 3, Deleted = 4, Drafts = 5 };

// Values of the kind-of-store attribute.
inline constexpr uint32_t kStoreNews = 0;
inline constexpr uint32_t kStoreImap = 1;
inline constexpr uint32_t kStoreHttpMail = 2;
inline constexpr uint32_t kStoreLocal = 3;

// One folder as listed. A missing attribute reads as 0 or as an empty text.
struct FolderRecord {
    uint32_t id = 0;          // 0 on the root
    uint32_t parent_id = 0;   // kNoParent on the root; 0 for the children of the root
    std::string name;         // the name shown to the user: 8-bit text in an unrecorded code page
    std::string file_name;    // the folder's .dbx file, no path; empty for containers and folders without a file
    uint32_t special = 0;     // a SpecialFolder value
    uint32_t store_kind = 0;  // kStoreNews, kStoreImap, kStoreHttpMail, kStoreLocal (others seen on the root)
};

// The bytes of a record that hold its attributes: the 12-byte head and what follows, `size` bytes in all.
// The attribute count comes from the head; the body length is the caller's business (it decides `size`).
// False when the bytes do not hold the head and every attribute entry; values outside `size` read as missing
// and make the result false as well, but `record` still holds everything that could be read.
bool DecodeFolderRecord(const unsigned char* bytes, size_t size, FolderRecord& record);

// How many bytes a record at this head takes: the head plus its body length, from the first 12 bytes.
uint32_t FolderRecordSize(const unsigned char* head);

// True when the file's header carries the folder list's signature.
bool IsFolderList(DbxFile& dbx);

// Every record of the index tree at the header's root, in the order of the walk; a record listed twice is read
// once. Marks the file damaged where a record cannot be read whole.
std::vector<FolderRecord> ReadFolderList(DbxFile& dbx);

}  // namespace dbx
