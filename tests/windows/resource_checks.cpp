// The resources of Dovan.exe and the writer DLLs as the system loads them: every string of both languages byte
// for byte, the dialogs, the icon, the manifest and the version.
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/windows/checks.h"
#include "tests/windows/driver.h"
#include "tests/windows/expected_texts.h"
#include "tests/windows/gui.h"

namespace driver {
namespace {

std::string LoadText(HMODULE module, UINT id)
{
    char buffer[1024];
    int length = LoadStringA(module, id, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<size_t>(length) : 0);
}

std::string Expected(const ExpectedText& text, bool japanese)
{
    // LoadStringA gives the system's ANSI code page: 932 on a Japanese system.
    return japanese ? CodePage932(text.japanese) : std::string(text.english);
}

bool HasResource(HMODULE module, LPCSTR type, WORD id, WORD language)
{
    return FindResourceExA(module, type, MAKEINTRESOURCEA(id), language) != nullptr;
}

std::string ResourceBytes(HMODULE module, LPCSTR type, WORD id)
{
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found) return "";
    HGLOBAL loaded = LoadResource(module, found);
    const void* data = LockResource(loaded);
    return data ? std::string(static_cast<const char*>(data), SizeofResource(module, found)) : "";
}

void CheckIcon(HMODULE module)
{
    // The icon group: a 6-byte header, then 14 bytes per image (width, height, colours, ..., bit count at 6).
    std::string group = ResourceBytes(module, MAKEINTRESOURCEA(14), 128);  // RT_GROUP_ICON
    bool shape = group.size() >= 6 + 2 * 14 && group[4] == 2;
    bool has32 = false;
    bool has16 = false;
    for (size_t i = 0; shape && i < 2; ++i) {
        const unsigned char* entry = reinterpret_cast<const unsigned char*>(group.data()) + 6 + 14 * i;
        bool sixteen_colours = entry[2] == 16 && entry[6] == 4;
        has32 = has32 || (entry[0] == 32 && entry[1] == 32 && sixteen_colours);
        has16 = has16 || (entry[0] == 16 && entry[1] == 16 && sixteen_colours);
    }
    Check(shape && has32 && has16, "icon 128 holds 32 x 32 and 16 x 16 images of 16 colours");
    Check(HasResource(module, MAKEINTRESOURCEA(14), 128, MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)),
          "icon 128 is a Japanese resource");
}

void CheckVersion(const std::string& exe)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    std::vector<char> info(size);
    if (!Check(size > 0 && GetFileVersionInfoA(exe.c_str(), 0, size, info.data()), "version resource")) return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length);
    Check(fixed && fixed->dwFileVersionMS == 0x00010001 && fixed->dwFileVersionLS == 0x00000006 &&
              fixed->dwProductVersionMS == 0x00010001 && fixed->dwProductVersionLS == 0x00000006,
          "file and product version 1.1.0.6");
    Check(fixed && fixed->dwFileOS == VOS__WINDOWS32 && fixed->dwFileType == VFT_APP, "VOS__WINDOWS32, VFT_APP");
    for (const char* name : {"FileVersion", "ProductVersion", "ProductName", "FileDescription"}) {
        char* value = nullptr;
        std::string path = std::string("\\StringFileInfo\\041104b0\\") + name;
        VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
        std::string expected = std::strstr(name, "Version") ? "1.1.0" : "Dovan";
        CheckEqual(value ? std::string(value) : "", expected, std::string("version string ") + name);
    }
}

}  // namespace

int CheckResources(const std::string& exe, const std::string& plugin_dir, bool japanese)
{
    Check((PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE) == japanese,
          japanese ? "the user interface is Japanese" : "the user interface is not Japanese");
    HMODULE program = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!Check(program != nullptr, "Dovan.exe loads as data")) return Summary();
    for (const ExpectedText& text : kProgramTexts)
        CheckEqual(LoadText(program, text.id), Expected(text, japanese), "program string " + std::to_string(text.id));
    Check(LoadText(program, 11).empty(), "program string 11 does not exist");
    for (WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)}) {
        std::string which = language == 0x0409 ? " (0x0409)" : " (0x0411)";
        Check(HasResource(program, MAKEINTRESOURCEA(5), 101, language), "error dialog 101" + which);
        Check(HasResource(program, MAKEINTRESOURCEA(5), 102, language), "main dialog 102" + which);
    }
    CheckIcon(program);
    std::string manifest = ResourceBytes(program, MAKEINTRESOURCEA(24), 1);
    Check(manifest.find("Microsoft.Windows.Common-Controls") != std::string::npos &&
              manifest.find("version=\"6.0.0.0\"") != std::string::npos,
          "the manifest asks for common controls 6");
    Check(HasResource(program, MAKEINTRESOURCEA(24), 1, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)),
          "the manifest is an English resource");
    FreeLibrary(program);
    CheckVersion(exe);

    for (const PluginTexts& plugin : kPluginTexts) {
        std::string path = plugin_dir + "\\" + plugin.file;
        HMODULE library = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!Check(library != nullptr, std::string(plugin.file) + " loads as data")) continue;
        CheckEqual(LoadText(library, 1), Expected(plugin.name, japanese), std::string(plugin.file) + " string 1");
        CheckEqual(LoadText(library, 2), Expected(plugin.note, japanese), std::string(plugin.file) + " string 2");
        bool has_setting = std::string(plugin.file) != "Dovanmaildir.dll";  // the Maildir writer has none
        for (WORD language : {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)})
            Check(HasResource(library, MAKEINTRESOURCEA(5), 101, language) == has_setting,
                  std::string(plugin.file) + (has_setting ? " settings dialog 101" : " no settings dialog") +
                      " in language " + std::to_string(language));
        FreeLibrary(library);
    }
    return Summary();
}

}  // namespace driver
