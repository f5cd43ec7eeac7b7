#include "tests/windows/expected_texts.h"

#include "tests/windows/gui.h"

namespace driver {

namespace {

// The tables the program and the writers are built from (texts/*.texts), so that these checks see what the
// resource compiler made of them. Of the writers' tables the checks need the names and notes.
constexpr ExpectedText kProgramTable[] = {
#include "texts/program_strings.inc"
};

constexpr ExpectedText kMboxTexts[] = {
#include "texts/mbox_strings.inc"
};
constexpr ExpectedText kEmlTexts[] = {
#include "texts/eml_strings.inc"
};
constexpr ExpectedText kBmfTexts[] = {
#include "texts/bmf_strings.inc"
};
constexpr ExpectedText kMaildirTexts[] = {
#include "texts/maildir_strings.inc"
};

template <size_t count>
constexpr ExpectedText Find(const ExpectedText (&table)[count], UINT id)
{
    for (const ExpectedText& text : table)
        if (text.id == id) return text;
    return ExpectedText{id, "", ""};
}

}  // namespace

const std::span<const ExpectedText> kProgramTexts(kProgramTable);

const PluginTexts kPluginTexts[4] = {
    {"Dovanmbox.dll", Find(kMboxTexts, 1), Find(kMboxTexts, 2)},
    {"Dovaneml.dll", Find(kEmlTexts, 1), Find(kEmlTexts, 2)},
    {"Dovanbmf.dll", Find(kBmfTexts, 1), Find(kBmfTexts, 2)},
    {"Dovanmaildir.dll", Find(kMaildirTexts, 1), Find(kMaildirTexts, 2)},
};

std::string ProgramText(UINT id, bool japanese, const std::string& fill)
{
    std::string text;
    for (const ExpectedText& expected : kProgramTexts)
        if (expected.id == id) text = Ansi(japanese ? expected.japanese : expected.english);
    for (const char* code : {"%d", "%s"}) {
        size_t at = text.find(code);
        if (at != std::string::npos && !fill.empty()) text.replace(at, 2, fill);
    }
    return text;
}

}  // namespace driver
