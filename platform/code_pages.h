// Text in a code page that the system does not use: the folder names of a store, written in the code page of
// the Windows that wrote it.
#pragma once

#include <string>

namespace platform {

// True when the system can decode text of the code page `name` (an iconv name on POSIX: "windows-1252",
// "cp932", "windows-1251"; on Windows the same names or a code page number).
bool IsKnownCodePage(const char* name);

// Decodes 8-bit text of code page `name` into the program's own text: UTF-8 on POSIX, the ANSI code page on
// Windows. A byte that does not decode, or a character the program's text cannot hold, becomes `replacement`;
// an unknown code page decodes every byte above 0x7F that way. Never fails.
std::string DecodeCodePage(const char* name, const std::string& bytes, char replacement);

// A key for comparing names in any letter case, as a case-insensitive file system would: letters of the
// program's own text folded to lower case (UTF-8 on POSIX: ASCII, Latin-1, Greek and Cyrillic letters).
std::string FoldNameCase(const std::string& name);

}  // namespace platform
