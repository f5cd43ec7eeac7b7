#include "plugins/eml/file_names.h"

#include <cstdio>
#include <cstring>

#include "plugins/common/safe_names.h"
#include "plugins/eml/setting.h"

namespace eml {

// Allowed: the blank and every printable character but " * / : ; < = > ? \ | (which some file system refuses,
// or which marks a replaced byte). Control characters and DEL are never allowed. Sixteen values a row.
// clang-format off
const bool kFileNameSafe[128] = {
    // 0x00 - 0x1F: control characters
    false, false, false, false, false, false, false, false, false, false, false, false, false, false, false, false,
    false, false, false, false, false, false, false, false, false, false, false, false, false, false, false, false,
    // 0x20 - 0x2F:  ! " # $ % & ' ( ) * + , - . /
    true, true, false, true, true, true, true, true, true, true, false, true, true, true, true, false,
    // 0x30 - 0x3F: 0-9 : ; < = > ?
    true, true, true, true, true, true, true, true, true, true, false, false, false, false, false, false,
    // 0x40 - 0x4F: @ A-O
    true, true, true, true, true, true, true, true, true, true, true, true, true, true, true, true,
    // 0x50 - 0x5F: P-Z [ \ ] ^ _
    true, true, true, true, true, true, true, true, true, true, true, true, false, true, true, true,
    // 0x60 - 0x6F: ` a-o
    true, true, true, true, true, true, true, true, true, true, true, true, true, true, true, true,
    // 0x70 - 0x7F: p-z { | } ~ DEL
    true, true, true, true, true, true, true, true, true, true, true, true, false, true, true, false,
};
// clang-format on

const char* ExtensionFor(uint32_t kind) { return kind == 1 ? "eml" : "nws"; }

namespace {

// The decimal digits of number, at least min_digits of them (zeros in front), as "%0*u" gives them; returns
// the end. Names are formed once per message, where printf would cost more than the name is worth.
char* PutNumber(char* out, uint32_t number, int min_digits)
{
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    } while (number != 0);
    for (int i = count; i < min_digits; ++i) *out++ = '0';
    while (count > 0) *out++ = digits[--count];
    return out;
}

char* PutText(char* out, const char* text)
{
    size_t length = std::strlen(text);
    std::memcpy(out, text, length);
    return out + length;
}

}  // namespace

void FormMessageName(uint32_t rule, uint32_t number, uint32_t kind, char* out)
{
    if (rule == kSequence) {
        out = PutNumber(out, number, 8);
        *out++ = '.';
        out = PutText(out, ExtensionFor(kind));
    } else if (rule == kSequenceNoExtension) {
        out = PutNumber(out, number, 1);
    } else {
        out = PutNumber(PutText(out, "temp"), number, 1);
        out = PutText(out, ".eml");
    }
    *out = '\0';
}

void FormOtherWorkingName(uint32_t number, uint32_t attempt, char* out)
{
    std::snprintf(out, kNameBufferSize, "temp%u (%u).eml", number, attempt);
}

size_t MakeBaseName(const char* subject, size_t length, char* out)
{
    if (length == 0) {
        std::memcpy(out, "noname", 7);
        return 6;
    }
    if (length > kNameBufferSize - 2) length = kNameBufferSize - 2;  // subjects are at most 120 bytes
    for (size_t i = 0; i < length; ++i) {
        auto byte = static_cast<unsigned char>(subject[i]);
        out[i] = (byte < 0x80 && kFileNameSafe[byte]) ? static_cast<char>(byte) : '=';
    }
    out[length] = '\0';
    return names::AdjustReservedName(out, length, kNameBufferSize);
}

void FormSubjectName(const char* base, uint32_t k, const char* extension, char* out)
{
    if (k == 0) std::snprintf(out, kNameBufferSize, "%s.%s", base, extension);
    else std::snprintf(out, kNameBufferSize, "%s (%u).%s", base, k, extension);
}

}  // namespace eml
