#include "tests/windows/checks.h"

#include <cstdio>

namespace driver {
namespace {

int g_passed = 0;
int g_failed = 0;

std::string Escaped(const std::string& bytes)
{
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        }
    }
    return out;
}

}  // namespace

bool Check(bool ok, const std::string& what)
{
    ++(ok ? g_passed : g_failed);
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", what.c_str());
    std::fflush(stdout);
    return ok;
}

bool CheckEqual(const std::string& actual, const std::string& expected, const std::string& what)
{
    if (Check(actual == expected, what)) return true;
    std::printf("    expected \"%s\"\n    actual   \"%s\"\n", Escaped(expected).c_str(), Escaped(actual).c_str());
    std::fflush(stdout);
    return false;
}

int Summary()
{
    std::printf("%d passed, %d failed\n", g_passed, g_failed);
    std::fflush(stdout);
    return g_failed == 0 ? 0 : 1;
}

}  // namespace driver
