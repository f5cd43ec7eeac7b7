#include "tests/support/recovery_pieces.h"

#include <algorithm>

#include "fixtures/dbx_pieces.h"

namespace fixture {
namespace {

constexpr uint32_t kText = 0x200;

std::vector<std::string> Cut(const std::string& text)
{
    std::vector<std::string> parts;
    for (size_t at = 0; at < text.size(); at += kText) parts.push_back(text.substr(at, kText));
    return parts;
}

}  // namespace

std::string LiveChain(uint32_t at, const std::string& text, uint32_t shift)
{
    std::vector<std::string> parts = Cut(text);
    std::string bytes;
    for (size_t i = 0; i < parts.size(); ++i) {
        uint32_t self = at + static_cast<uint32_t>(i) * kBlockStride;
        uint32_t next = i + 1 < parts.size() ? self + kBlockStride + shift : 0;
        bytes += EncodeBlock({self + shift, static_cast<uint32_t>(parts[i].size()), next, parts[i], kText});
    }
    return bytes;
}

std::string FreedChain(uint32_t at, const std::string& text, const std::vector<uint32_t>& free_links)
{
    std::vector<std::string> parts = Cut(text);
    std::string bytes;
    for (size_t i = 0; i < parts.size(); ++i) {
        uint32_t self = at + static_cast<uint32_t>(i) * kBlockStride;
        std::string block(kBlockStride, '\0');
        PatchLe32(block, 0, self);
        PatchLe32(block, 4, 0x1FC);
        PatchLe32(block, 8, 0x210);
        PatchLe32(block, 12, i + 1 < parts.size() ? self + kBlockStride : 0);
        std::copy(parts[i].begin(), parts[i].end(), block.begin() + 16);
        PatchLe32(block, 16, i < free_links.size() ? free_links[i] : 0);
        bytes += block;
    }
    return bytes;
}

void PlaceBlocks(std::string& image, const std::vector<uint32_t>& positions, const std::string& text,
                 uint32_t last_next)
{
    std::vector<std::string> parts = Cut(text);
    for (size_t i = 0; i < parts.size() && i < positions.size(); ++i) {
        uint32_t next = i + 1 < positions.size() ? positions[i + 1] : last_next;
        Place(image, positions[i],
              EncodeBlock({positions[i], static_cast<uint32_t>(parts[i].size()), next, parts[i], kText}));
    }
}

std::string WithLostBytes(const std::string& text)
{
    std::string lost = text;
    for (size_t at = 0; at < lost.size(); at += kText)
        for (size_t i = at; i < std::min(lost.size(), at + 4); ++i) lost[i] = '?';
    return lost;
}

std::string MailText(const std::string& subject, size_t size)
{
    std::string text = "From: someone@example.org\r\nSubject: " + subject + "\r\n\r\n";
    for (int line = 1; text.size() < size; ++line) text += "line " + std::to_string(line) + " of " + subject + "\r\n";
    text.resize(size);
    return text;
}

}  // namespace fixture
