#include "cli/progress_line.h"

#include <cstdint>

namespace cli {
namespace {

// One UTF-8 character at text[i]: its length in bytes and its code point; 0 for a malformed sequence.
size_t DecodeUtf8(const std::string& text, size_t i, uint32_t& code_point)
{
    unsigned char lead = static_cast<unsigned char>(text[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    code_point = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        unsigned char next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        code_point = (code_point << 6) | (next & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code_point < kSmallest[length] || code_point > 0x10FFFF || (code_point >= 0xD800 && code_point <= 0xDFFF))
        return 0;
    return length;
}

bool IsWide(uint32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) || (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsControl(uint32_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

}  // namespace

std::string PrintableText(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size();) {
        uint32_t code_point = 0;
        size_t length = DecodeUtf8(text, i, code_point);
        if (length == 0 || IsControl(code_point)) {
            result += '?';
            i += length == 0 ? 1 : length;
            continue;
        }
        result.append(text, i, length);
        i += length;
    }
    return result;
}

size_t DisplayWidth(const std::string& text)
{
    size_t width = 0;
    for (size_t i = 0; i < text.size();) {
        uint32_t code_point = 0;
        size_t length = DecodeUtf8(text, i, code_point);
        if (length == 0) {
            width += 1;
            i += 1;
            continue;
        }
        width += IsWide(code_point) ? 2 : 1;
        i += length;
    }
    return width;
}

std::string FitToWidth(const std::string& text, size_t width)
{
    if (DisplayWidth(text) <= width) return text;
    if (width < 3) return std::string(width, '.');
    std::string result;
    size_t used = 0;
    for (size_t i = 0; i < text.size();) {
        uint32_t code_point = 0;
        size_t length = DecodeUtf8(text, i, code_point);
        size_t columns = length == 0 ? 1 : IsWide(code_point) ? 2 : 1;
        if (length == 0) length = 1;
        if (used + columns > width - 3) break;
        result.append(text, i, length);
        used += columns;
        i += length;
    }
    return result + "...";
}

std::string RenderProgressLine(const std::string& position, const std::string& folder, unsigned percent, size_t columns)
{
    if (percent > 100) percent = 100;
    size_t room = columns > 1 ? columns - 1 : 0;
    std::string digits = std::to_string(percent);
    std::string tail = std::string(4 - digits.size(), ' ') + digits + "%";
    size_t bar_width = room >= 60 ? 20 : room >= 40 ? 10 : 0;
    std::string bar;
    if (bar_width > 0) {
        size_t filled = bar_width * percent / 100;
        bar = "  [" + std::string(filled, '#') + std::string(bar_width - filled, '-') + "]";
    }
    std::string head = position + "  ";
    size_t fixed = DisplayWidth(head) + bar.size() + tail.size();
    std::string name = room > fixed ? FitToWidth(PrintableText(folder), room - fixed) : std::string();
    return FitToWidth(head + name + bar + tail, room);
}

std::string RenderFolderLine(const std::string& position, const std::string& folder)
{
    return position + "  " + PrintableText(folder);
}

}  // namespace cli
