// Code pages through iconv, decoding into UTF-8.
#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "platform/code_pages.h"

namespace platform {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);  // what iconv_open returns on failure

std::string AsciiOnly(const std::string& bytes, char replacement)
{
    std::string text = bytes;
    for (char& c : text)
        if (static_cast<unsigned char>(c) > 0x7F) c = replacement;
    return text;
}

// Appends a code point as UTF-8.
void AppendUtf8(std::string& text, uint32_t code)
{
    if (code < 0x80) {
        text += static_cast<char>(code);
    } else if (code < 0x800) {
        text += static_cast<char>(0xC0 | code >> 6);
        text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        text += static_cast<char>(0xE0 | code >> 12);
        text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        text += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Upper-case letters of two-byte UTF-8 that have a plain lower-case partner.
uint32_t LowerCodePoint(uint32_t code)
{
    if ((code >= 0xC0 && code <= 0xDE && code != 0xD7) || (code >= 0x391 && code <= 0x3AB && code != 0x3A2) ||
        (code >= 0x410 && code <= 0x42F))
        return code + 0x20;
    if (code >= 0x400 && code <= 0x40F) return code + 0x50;
    return code;
}

// The converter of the code page asked last on this thread: opening one costs far more than a short name.
struct CachedConverter {
    std::string name;
    iconv_t converter = kNoConverter;
    ~CachedConverter()
    {
        if (converter != kNoConverter) iconv_close(converter);
    }
};

iconv_t ConverterFor(const char* name)
{
    thread_local CachedConverter cached;
    if (cached.converter == kNoConverter || cached.name != name) {
        if (cached.converter != kNoConverter) iconv_close(cached.converter);
        cached.name = name;
        cached.converter = iconv_open("UTF-8", name);
    }
    if (cached.converter != kNoConverter) iconv(cached.converter, nullptr, nullptr, nullptr, nullptr);
    return cached.converter;
}

}  // namespace

bool IsKnownCodePage(const char* name)
{
    iconv_t converter = iconv_open("UTF-8", name ? name : "");
    if (converter == kNoConverter) return false;
    iconv_close(converter);
    return true;
}

std::string DecodeCodePage(const char* name, const std::string& bytes, char replacement)
{
    iconv_t converter = ConverterFor(name ? name : "");
    if (converter == kNoConverter) return AsciiOnly(bytes, replacement);
    std::string text;
    char output[256];
    char* in = const_cast<char*>(bytes.data());
    size_t in_left = bytes.size();
    while (in_left != 0) {
        char* out = output;
        size_t out_left = sizeof output;
        size_t result = iconv(converter, &in, &in_left, &out, &out_left);
        int error = errno;
        text.append(output, static_cast<size_t>(out - output));
        if (result != static_cast<size_t>(-1) || error == E2BIG) continue;
        // A byte that starts no character (EILSEQ) or a character cut by the end (EINVAL): one byte is dropped.
        text += replacement;
        ++in;
        --in_left;
        iconv(converter, nullptr, nullptr, nullptr, nullptr);
    }
    char* out = output;
    size_t out_left = sizeof output;
    iconv(converter, nullptr, nullptr, &out, &out_left);  // a stateful code page's closing sequence
    text.append(output, static_cast<size_t>(out - output));
    return text;
}

std::string FoldNameCase(const std::string& name)
{
    std::string folded;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c >= 'A' && c <= 'Z') {
            folded += static_cast<char>(c - 'A' + 'a');
        } else if ((c & 0xE0) == 0xC0 && i + 1 < name.size() && (name[i + 1] & 0xC0) == 0x80) {
            uint32_t code = uint32_t(c & 0x1F) << 6 | (static_cast<unsigned char>(name[i + 1]) & 0x3F);
            AppendUtf8(folded, LowerCodePoint(code));
            ++i;
        } else {
            folded += static_cast<char>(c);
        }
    }
    return folded;
}

}  // namespace platform
