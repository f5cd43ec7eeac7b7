#include "tests/support/folder_list_builder.h"

#include "fixtures/dbx_builder.h"
#include "fixtures/dbx_pieces.h"

namespace fixture {
namespace {

constexpr uint32_t kFolderListSignatureWord = 0x6F74FDC6;

// Texts are kept in the data area, NUL-terminated and padded to 4 bytes.
uint32_t AddText(std::string& data_area, const std::string& text)
{
    uint32_t at = static_cast<uint32_t>(data_area.size());
    data_area += text;
    data_area += '\0';
    while (data_area.size() % 4 != 0) data_area += '\0';
    return at;
}

}  // namespace

std::string EncodeFolderRecord(const FixtureFolder& folder, uint32_t self)
{
    RecordSpec record;
    record.self = self;
    if (folder.id != 0) record.attributes.push_back(DirectAttribute(0x00, folder.id));
    if (folder.parent_id == kFolderListRootParent) {
        record.attributes.push_back(IndirectAttribute(0x01, static_cast<uint32_t>(record.data_area.size())));
        record.data_area += Le32(kFolderListRootParent);
    } else if (folder.parent_id != 0) {
        record.attributes.push_back(DirectAttribute(0x01, folder.parent_id));
    }
    if (!folder.name.empty())
        record.attributes.push_back(IndirectAttribute(0x02, AddText(record.data_area, folder.name)));
    if (!folder.file_name.empty())
        record.attributes.push_back(IndirectAttribute(0x03, AddText(record.data_area, folder.file_name)));
    if (folder.special != 0) record.attributes.push_back(DirectAttribute(0x09, folder.special));
    record.attributes.push_back(DirectAttribute(0x0A, folder.store_kind));
    std::string bytes = EncodeRecord(record);
    PatchLe32(bytes, 4, static_cast<uint32_t>(bytes.size() - kRecordAttributesAt));  // the body's length
    return bytes;
}

std::string BuildFolderList(const std::vector<FixtureFolder>& folders, uint32_t entries_per_node)
{
    std::string image(kHeaderSize, '\0');
    std::vector<uint32_t> records;
    for (const FixtureFolder& folder : folders) {
        uint32_t self = static_cast<uint32_t>(image.size());
        records.push_back(self);
        image += EncodeFolderRecord(folder, self);
    }
    uint32_t root = EncodeIndex(records, entries_per_node, image.size(), image);
    Place(image, 0, EncodeHeader(static_cast<uint32_t>(folders.size()), root));
    PatchLe32(image, 4, kFolderListSignatureWord);
    return image;
}

std::vector<FixtureFolder> StandardFolders()
{
    return {{0, kFolderListRootParent, "Outlook Express", "", 0, 4},
            {1, 0, "Local Folders", "", 0, 3},
            {4, 1, "Inbox", "Inbox.dbx", 1, 3},
            {5, 1, "Outbox", "Outbox.dbx", 2, 3},
            {6, 1, "Sent Items", "", 3, 3},
            {7, 1, "Deleted Items", "", 4, 3},
            {8, 1, "Drafts", "", 5, 3}};
}

}  // namespace fixture
