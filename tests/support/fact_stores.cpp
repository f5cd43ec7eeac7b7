#include "tests/support/fact_stores.h"

#include "fixtures/dbx_pieces.h"

namespace fixture {
namespace {

constexpr uint8_t kIdIndex = 0x00;
constexpr uint8_t kIdFlags = 0x01;
constexpr uint8_t kIdSent = 0x02;
constexpr uint8_t kIdData = 0x04;
constexpr uint8_t kIdSubject = 0x08;
constexpr uint8_t kIdReceived = 0x12;
constexpr uint32_t kFarOffset = 0xFFF0;  // past any record's data area

void AddValue(RecordSpec& record, uint8_t id, FactShape shape, const std::string& bytes, uint32_t direct)
{
    switch (shape) {
    case FactShape::Absent:
        return;
    case FactShape::Direct:
        record.attributes.push_back(DirectAttribute(id, direct & 0xFFFFFF));
        return;
    case FactShape::OutOfRange:
        record.attributes.push_back(IndirectAttribute(id, kFarOffset));
        return;
    case FactShape::InData:
        record.attributes.push_back(IndirectAttribute(id, static_cast<uint32_t>(record.data_area.size())));
        record.data_area += bytes;
        return;
    }
}

std::string Le64(uint64_t value)
{
    return Le32(static_cast<uint32_t>(value)) + Le32(static_cast<uint32_t>(value >> 32));
}

}  // namespace

std::string EncodeFactRecord(const FixtureFacts& facts, uint32_t kind, uint32_t first_block, uint32_t self)
{
    RecordSpec record;
    record.self = self;
    // The reader finds the text at entry 3 (mail) or entry 4 (news): the facts come after it.
    record.attributes.push_back(DirectAttribute(kIdIndex, 1));
    record.attributes.push_back(DirectAttribute(kIdSubject, 0));
    record.attributes.push_back(DirectAttribute(kIdSubject, 0));
    if (kind == 2) record.attributes.push_back(DirectAttribute(kIdSubject, 0));
    record.attributes.push_back(DirectAttribute(kIdData, first_block));
    if (kind != 2) record.attributes.push_back(DirectAttribute(kIdSubject, 0));  // entry 4 is read too
    AddValue(record, kIdFlags, facts.flags_shape, Le32(facts.flags), facts.flags);
    AddValue(record, kIdSent, facts.sent_shape, Le64(facts.sent_time), 0x123456);
    AddValue(record, kIdReceived, facts.received_shape, Le64(facts.received_time), 0x123456);
    return EncodeRecord(record);
}

std::string BuildDbxWithFacts(const std::vector<FixtureMessage>& messages, const std::vector<FixtureFacts>& facts,
                              const FixtureOptions& options)
{
    StoreLayout layout;
    std::string image = BuildDbx(messages, options, &layout);
    for (size_t i = 0; i < facts.size() && i < messages.size(); ++i) {
        uint32_t old_record = layout.records[i];
        uint32_t first_block = messages[i].no_text || layout.blocks[i].empty() ? 0 : layout.blocks[i][0];
        uint32_t self = static_cast<uint32_t>(image.size());
        image += EncodeFactRecord(facts[i], messages[i].kind, first_block, self);
        // The index names the new record wherever it named the old one.
        for (uint32_t node : layout.nodes) {
            uint32_t count = GetLe32(image, node + 16) >> 8;
            for (uint32_t entry = 0; entry < count; ++entry) {
                uint64_t at = uint64_t(node) + 24 + 12ull * entry;
                if (GetLe32(image, at) == old_record) PatchLe32(image, at, self);
            }
        }
    }
    return image;
}

}  // namespace fixture
