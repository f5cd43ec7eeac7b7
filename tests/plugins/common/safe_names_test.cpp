// The safe-name rule on its own, and the engine's folder names that are made by it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/folder_names.h"
#include "plugins/common/safe_names.h"

namespace {

struct NameCase {
    const char* name;
    const char* safe;
};

// Each case: a name and what the rule makes of it.
const NameCase kFolderCases[] = {
    {"Inbox", "Inbox"},
    {"", "="},
    {".", ".="},
    {"..", "..="},
    {"Inbox.", "Inbox.="},
    {"Sent ", "Sent ="},
    {"a/b", "a=b"},
    {"c\\d", "c=d"},
    {"../x", "..=x"},
    {"CON", "CON="},
    {"con", "con="},
    {"nul.txt", "nul=.txt"},
    {"NUL .x", "NUL= .x"},
    {"Aux.", "Aux=.="},
    {"PRN..", "PRN=..="},
    {"CONIN$", "CONIN$="},
    {"conout$.log", "conout$=.log"},
    {"COM1", "COM1="},
    {"lpt9.a.b", "lpt9=.a.b"},
    {"COM0", "COM0="},
    {"COM10", "COM10"},
    {"COMX", "COMX"},
    {"CONSOLE", "CONSOLE"},
    {"NULL.txt", "NULL.txt"},
    {"a CON", "a CON"},
    {" CON", " CON"},
};

TEST(SafeNamesTest, FolderNamesFollowTheRule)
{
    for (const NameCase& c : kFolderCases) {
        char out[names::kMaxNameLength + 1];
        ASSERT_TRUE(names::MakeFolderName(c.name, out, sizeof out)) << c.name;
        EXPECT_STREQ(out, c.safe) << c.name;
        // The engine hands the writers the same name, and a safe name passes the rule unchanged.
        EXPECT_EQ(engine::WriterFolderName(c.name), c.safe) << c.name;
        char again[names::kMaxNameLength + 1];
        ASSERT_TRUE(names::MakeFolderName(out, again, sizeof again)) << c.safe;
        EXPECT_STREQ(again, c.safe) << c.safe;
    }
}

TEST(SafeNamesTest, LengthLimits)
{
    // The writers' buffer takes a name of up to 253 bytes with both "=" the rule may add and the NUL.
    std::string longest(names::kMaxNameLength - 2, 'n');
    char out[names::kMaxNameLength + 1];
    EXPECT_TRUE(names::MakeFolderName(longest.c_str(), out, sizeof out));
    EXPECT_FALSE(names::MakeFolderName((longest + "n").c_str(), out, sizeof out));
    // The engine has no such limit: a long name is handed on whole.
    std::string long_name(300, 's');
    EXPECT_EQ(engine::WriterFolderName(long_name + "."), long_name + ".=");
}

TEST(SafeNamesTest, ReservedNameInPlace)
{
    const NameCase kCases[] = {
        {"CON", "CON="}, {"aux.eml", "aux=.eml"}, {"Com3 .x", "Com3= .x"}, {"CONSOLE", "CONSOLE"}, {"", ""},
    };
    for (const NameCase& c : kCases) {
        char buffer[16];
        std::strcpy(buffer, c.name);
        size_t length = names::AdjustReservedName(buffer, std::strlen(buffer), sizeof buffer);
        EXPECT_EQ(length, std::strlen(c.safe)) << c.name;
        EXPECT_STREQ(buffer, c.safe) << c.name;
    }
    // Without room for the "=" the name stays as it is.
    char full[4] = "NUL";
    EXPECT_EQ(names::AdjustReservedName(full, 3, sizeof full), 3u);
    EXPECT_STREQ(full, "NUL");
}

}  // namespace
