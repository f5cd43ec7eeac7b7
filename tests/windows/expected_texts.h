// The texts the program and the writers must show, in both languages (UTF-8): the tables texts/*.texts that
// their string resources are made from.
#pragma once

#include <windows.h>

#include <span>
#include <string>

namespace driver {

struct ExpectedText {
    UINT id;
    const char* english;
    const char* japanese;
};

// Every string of the program's table.
extern const std::span<const ExpectedText> kProgramTexts;

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
