// Decoding of the store's structures from bytes in memory (see decode.h).
#include "dbx/decode.h"

#include "dbx/little_endian.h"

namespace dbx {

using namespace layout;

Header DecodeHeader(const unsigned char* bytes)
{
    return {LoadLe32(bytes + kHeaderMessageCount), LoadLe32(bytes + kHeaderRootNode)};
}

NodeHead DecodeNodeHead(const unsigned char* bytes)
{
    return {LoadLe32(bytes + kNodeFirstChild), LoadLe32(bytes + kNodeEntryCount) & 0x00FFFFFF,
            LoadLe32(bytes + kNodeFirstChildCount)};
}

NodeEntry DecodeNodeEntry(const unsigned char* bytes)
{
    return {LoadLe32(bytes + kEntryRecord), LoadLe32(bytes + kEntryChild), LoadLe32(bytes + kEntryChildCount)};
}

RecordHead DecodeRecordHead(const unsigned char* bytes)
{
    return {LoadLe32(bytes + kRecordAttributeCount) & 0xFF, LoadLe32(bytes + kRecordEntry3),
            LoadLe32(bytes + kRecordEntry4)};
}

MessageDataEntry ChooseMessageData(const RecordHead& head)
{
    auto is_message_data = [](uint32_t attribute) { return (attribute & 0xF) == kMessageDataId; };
    MessageDataEntry result;
    uint32_t chosen;
    if (is_message_data(head.entry4)) {
        chosen = head.entry4;
        result.kind = kKindNews;
    } else if (is_message_data(head.entry3)) {
        chosen = head.entry3;
        result.kind = kKindMail;
    } else {
        return result;
    }
    result.found = true;
    result.direct = (chosen & 0xFF) >= kAttributeDirect;
    result.value = result.direct ? chosen >> 8 : (chosen >> 8) & 0xFF;
    return result;
}

uint64_t DataAreaValueOffset(uint32_t record_offset, uint32_t attribute_count, uint32_t place)
{
    return uint64_t(record_offset) + kRecordAttributes + 4ull * attribute_count + place;
}

BlockHead DecodeBlockHead(const unsigned char* bytes)
{
    return {LoadLe32(bytes + kBlockTextLength), LoadLe32(bytes + kBlockNext)};
}

}  // namespace dbx
