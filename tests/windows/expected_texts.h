// The texts the program and the writers must show, as their authors wrote them (UTF-8), in both languages.
#pragma once

#include <windows.h>

#include <string>

namespace driver {

struct ExpectedText {
    UINT id;
    const char* english;
    const char* japanese;
};

// Strings 1 to 10 and 12 to 14 of the program's table.
extern const ExpectedText kProgramTexts[13];

struct PluginTexts {
    const char* file;
    ExpectedText name;
    ExpectedText note;
};

// The three writers' names (string 1) and notes (string 2).
extern const PluginTexts kPluginTexts[4];

// A program string as the program shows it: in the ANSI code page of this process (which runs in the
// program's locale), with "%d" or "%s" filled in when given.
std::string ProgramText(UINT id, bool japanese, const std::string& fill = std::string());

}  // namespace driver
