// Fixture stores: message records and block chains, the whole image in memory, and the streaming writer.
#include "tests/support/dbx_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace fixture {
namespace {

constexpr uint32_t kDefaultBlockText = 512;
constexpr uint32_t kLargestDirectValue = 0xFFFFFF;  // a direct attribute keeps 24 bits
constexpr uint64_t kLargestOffset = 0xFFFFFFFFull;

// Attribute ids as Outlook Express uses them in message records; only the low four bits of 0x84/0x04 matter
// to the reader, the others fill the record as a real one is filled.
constexpr uint8_t kIdIndex = 0x00;
constexpr uint8_t kIdFlags = 0x01;
constexpr uint8_t kIdTime = 0x02;
constexpr uint8_t kIdMessageData = 0x04;
constexpr uint8_t kIdSubject = 0x05;
constexpr uint8_t kIdNormalSubject = 0x08;

[[noreturn]] void FixtureFault(const char* what)
{
    std::fprintf(stderr, "fixture: %s\n", what);
    std::abort();
}

std::vector<uint32_t> CutText(const FixtureMessage& message)
{
    if (!message.block_sizes.empty()) {
        uint64_t total = 0;
        for (uint32_t size : message.block_sizes) total += size;
        if (total != message.text.size()) FixtureFault("block sizes do not add up to the text length");
        return message.block_sizes;
    }
    // As Outlook Express cuts: 512-byte blocks, the last shorter; an empty text still gets one empty block.
    std::vector<uint32_t> sizes;
    size_t left = message.text.size();
    do {
        uint32_t size = static_cast<uint32_t>(std::min<size_t>(left, kDefaultBlockText));
        sizes.push_back(size);
        left -= size;
    } while (left != 0);
    return sizes;
}

uint32_t RoundUp4(uint32_t value) { return (value + 3) & ~3u; }

// The Subject header's value, short enough for the record's data area.
std::string SubjectOf(const std::string& text)
{
    size_t header_end = std::min(text.find("\r\n\r\n"), text.size());
    size_t start = std::string::npos;
    if (text.rfind("Subject: ", 0) == 0) {
        start = 9;
    } else {
        size_t at = text.find("\nSubject: ");
        if (at != std::string::npos && at < header_end) start = at + 10;
    }
    if (start == std::string::npos) return std::string();
    size_t end = std::min(text.find_first_of("\r\n", start), text.size());
    return text.substr(start, std::min<size_t>(end - start, 80));
}

std::string Record(const FixtureMessage& message, uint32_t index, uint32_t self, uint32_t first_block)
{
    RecordSpec record;
    record.self = self;
    uint32_t flags = 0x81;
    uint64_t filetime = 0x01C3A2B4C5D6E7F0ull + uint64_t(index) * 600000000ull;  // ten minutes apart
    record.data_area += Le32(flags);
    record.data_area += Le32(static_cast<uint32_t>(filetime)) + Le32(static_cast<uint32_t>(filetime >> 32));
    uint32_t data_attribute = 0;
    if (message.indirect || first_block > kLargestDirectValue) {
        data_attribute = IndirectAttribute(kIdMessageData, static_cast<uint32_t>(record.data_area.size()));
        record.data_area += Le32(first_block);
    } else {
        data_attribute = DirectAttribute(kIdMessageData, first_block);
    }
    std::string subject = SubjectOf(message.text);
    uint32_t subject_attribute = IndirectAttribute(kIdSubject, static_cast<uint32_t>(record.data_area.size()));
    record.data_area += subject + '\0';
    uint32_t normal_attribute = IndirectAttribute(kIdNormalSubject, static_cast<uint32_t>(record.data_area.size()));
    record.data_area += subject + '\0';

    record.attributes = {DirectAttribute(kIdIndex, index + 1), IndirectAttribute(kIdFlags, 0),
                         IndirectAttribute(kIdTime, 4)};
    if (message.no_data) {
        record.attributes.push_back(subject_attribute);
        record.attributes.push_back(normal_attribute);
    } else if (message.kind == 2) {
        record.attributes.push_back(subject_attribute);
        record.attributes.push_back(data_attribute);
        record.attributes.push_back(normal_attribute);
    } else {
        record.attributes.push_back(data_attribute);
        record.attributes.push_back(subject_attribute);
        record.attributes.push_back(normal_attribute);
    }
    // Outlook Express pads the record's data area to whole double words.
    record.data_area.resize(RoundUp4(static_cast<uint32_t>(record.data_area.size())), '\0');
    return EncodeRecord(record);
}

}  // namespace

EncodedMessage EncodeMessage(const FixtureMessage& message, uint32_t index, uint64_t at)
{
    EncodedMessage encoded;
    uint64_t position = at;
    if (!message.no_text && !message.no_data) {
        std::vector<uint32_t> sizes = CutText(message);
        bool as_written = message.block_sizes.empty();
        std::vector<uint32_t> allocated;
        for (uint32_t size : sizes) {
            allocated.push_back(as_written ? kDefaultBlockText : RoundUp4(size));
            encoded.blocks.push_back(static_cast<uint32_t>(position));
            position += kBlockHeadSize + allocated.back();
        }
        size_t text_at = 0;
        for (size_t i = 0; i < sizes.size(); ++i) {
            BlockSpec block;
            block.self = encoded.blocks[i];
            block.text_length = sizes[i];
            block.next = i + 1 < sizes.size() ? encoded.blocks[i + 1] : 0;
            block.text = std::string_view(message.text).substr(text_at, sizes[i]);
            block.allocated = allocated[i];
            encoded.bytes += EncodeBlock(block);
            text_at += sizes[i];
        }
    }
    encoded.record = static_cast<uint32_t>(position);
    uint32_t first_block = encoded.blocks.empty() ? 0 : encoded.blocks.front();
    encoded.bytes += Record(message, index, encoded.record, first_block);
    return encoded;
}

std::string BuildDbx(const std::vector<FixtureMessage>& messages, const FixtureOptions& options,
                     StoreLayout* layout)
{
    StoreLayout local;
    StoreLayout& where = layout ? *layout : local;
    where = StoreLayout{};
    uint32_t count = static_cast<uint32_t>(messages.size());
    uint32_t header_size = std::max<uint32_t>(options.header_size, kHeaderRootNode + 4);
    uint64_t messages_at = header_size + IndexSize(count, options.entries_per_node);

    std::string body;
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t at = messages_at + body.size();
        EncodedMessage encoded = EncodeMessage(messages[i], i, at);
        if (at + encoded.bytes.size() > kLargestOffset) FixtureFault("an in-memory store must stay below 4 GiB");
        body += encoded.bytes;
        where.records.push_back(encoded.record);
        where.blocks.push_back(encoded.blocks);
        where.message_begin.push_back(at);
        where.message_end.push_back(messages_at + body.size());
    }
    std::string index;
    where.root = EncodeIndex(where.records, options.entries_per_node, header_size, index, &where.nodes);
    std::string image = EncodeHeader(options.zero_header_count ? 0 : count, where.root, header_size);
    image.reserve(image.size() + index.size() + body.size());
    image += index;
    image += body;
    return image;
}

bool WriteFixture(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

bool StoreWriter::Open(const std::string& path, const FixtureOptions& options)
{
    options_ = options;
    records_.clear();
    size_ = 0;
    out_.open(path, std::ios::binary | std::ios::trunc);
    ok_ = static_cast<bool>(out_);
    // The header is written again with its real values by Finish.
    return ok_ && Append(EncodeHeader(0, 0, options.header_size));
}

bool StoreWriter::Append(const std::string& bytes)
{
    if (!ok_ || size_ + bytes.size() > kLargestOffset) return ok_ = false;
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    size_ += bytes.size();
    return ok_ = static_cast<bool>(out_);
}

bool StoreWriter::Add(const FixtureMessage& message)
{
    if (!ok_) return false;
    EncodedMessage encoded = EncodeMessage(message, message_count(), size_);
    if (!Append(encoded.bytes)) return false;
    records_.push_back(encoded.record);
    return true;
}

bool StoreWriter::Finish()
{
    if (!ok_) return false;
    std::string index;
    uint32_t root = EncodeIndex(records_, options_.entries_per_node, size_, index);
    if (Append(index)) {
        uint32_t count = options_.zero_header_count ? 0 : message_count();
        std::string header = EncodeHeader(count, root, options_.header_size);
        out_.seekp(0);
        out_.write(header.data(), static_cast<std::streamsize>(header.size()));
        ok_ = static_cast<bool>(out_);
    }
    out_.close();
    return ok_ = ok_ && !out_.fail();
}

}  // namespace fixture
