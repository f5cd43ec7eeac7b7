// Code pages through the system's conversions, decoding into the ANSI code page.
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/code_pages.h"

namespace platform {
namespace {

bool StartsWithNoCase(const char* text, const char* prefix, size_t length)
{
    return _strnicmp(text, prefix, length) == 0;
}

// The code page number of a name: "1252", "windows-1252", "cp1252", "cp932", "shift_jis"; 0 when unknown.
UINT CodePageNumber(const char* name)
{
    if (!name) return 0;
    if (_stricmp(name, "shift_jis") == 0 || _stricmp(name, "sjis") == 0) return 932;
    const char* digits = name;
    if (StartsWithNoCase(name, "windows-", 8)) digits = name + 8;
    else if (StartsWithNoCase(name, "cp", 2)) digits = name + 2;
    if (!*digits) return 0;
    for (const char* p = digits; *p; ++p)
        if (!std::isdigit(static_cast<unsigned char>(*p))) return 0;
    unsigned long number = std::strtoul(digits, nullptr, 10);
    if (number == 0 || number > 65535) return 0;
    CPINFO info;
    return GetCPInfo(static_cast<UINT>(number), &info) ? static_cast<UINT>(number) : 0;
}

// One character of the text: one byte, or two where the code page has lead bytes.
size_t CharacterLength(UINT code_page, const std::string& bytes, size_t at)
{
    if (at + 1 < bytes.size() && IsDBCSLeadByteEx(code_page, static_cast<BYTE>(bytes[at]))) return 2;
    return 1;
}

}  // namespace

bool IsKnownCodePage(const char* name) { return CodePageNumber(name) != 0; }

std::string DecodeCodePage(const char* name, const std::string& bytes, char replacement)
{
    UINT code_page = CodePageNumber(name);
    std::wstring wide;
    for (size_t at = 0; at < bytes.size();) {
        size_t length = code_page ? CharacterLength(code_page, bytes, at) : 1;
        wchar_t decoded[2];
        int count = code_page ? MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data() + at,
                                                    static_cast<int>(length), decoded, 2)
                              : 0;
        if (count <= 0 && static_cast<unsigned char>(bytes[at]) < 0x80) {
            decoded[0] = static_cast<wchar_t>(bytes[at]);
            count = 1;
            length = 1;
        }
        if (count <= 0) {
            wide += static_cast<wchar_t>(static_cast<unsigned char>(replacement));
            at += 1;
            continue;
        }
        wide.append(decoded, static_cast<size_t>(count));
        at += length;
    }
    if (wide.empty()) return {};
    // Characters that the ANSI code page cannot hold take the replacement as the system's default character.
    char fallback[2] = {replacement, '\0'};
    int size =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, fallback, nullptr);
    if (size <= 0) return std::string(bytes.size(), replacement);
    std::string text(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &text[0], size, fallback, nullptr);
    return text;
}

std::string FoldNameCase(const std::string& name)
{
    std::vector<char> folded(name.begin(), name.end());
    if (!folded.empty()) CharLowerBuffA(folded.data(), static_cast<DWORD>(folded.size()));
    return std::string(folded.begin(), folded.end());
}

}  // namespace platform
