// Store discovery: identities seeded into the registry appear in the Source list, and START uses the path of
// the chosen one.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/checks.h"
#include "tests/windows/expected_texts.h"
#include "tests/windows/scenario_setup.h"

namespace driver {
namespace {

struct Identity {
    const char* key;
    const char* user_name;
    DWORD user_name_type;
    bool has_store_key;
    const char* store_root;  // nullptr: no value
    DWORD store_root_type;
};

void SetValue(HKEY key, const char* name, DWORD type, const char* text)
{
    if (type == REG_DWORD) {
        DWORD number = 7;
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(&number), sizeof number);
        return;
    }
    RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text), static_cast<DWORD>(strlen(text) + 1));
}

void Seed(const std::vector<Identity>& identities)
{
    RegDeleteTreeA(HKEY_CURRENT_USER, "Identities");
    for (const Identity& identity : identities) {
        std::string path = std::string("Identities\\") + identity.key;
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        SetValue(key, "UserName", identity.user_name_type, identity.user_name);
        if (identity.has_store_key) {
            HKEY store = nullptr;
            RegCreateKeyExA(key, "Software\\Microsoft\\Outlook Express\\5.0", 0, nullptr, 0, KEY_WRITE, nullptr, &store,
                            nullptr);
            if (identity.store_root) SetValue(store, "Store Root", identity.store_root_type, identity.store_root);
            RegCloseKey(store);
        }
        RegCloseKey(key);
    }
}

// The store path an entry carries: a text in the program's memory.
std::string EntryPath(const Program& program, int index)
{
    LRESULT data = SendDlgItemMessageA(program.main, kSource, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    if (data == CB_ERR || data == 0) return "<none>";
    char buffer[1024] = {};
    SIZE_T got = 0;
    ReadProcessMemory(program.process.hProcess, reinterpret_cast<const void*>(data), buffer, sizeof buffer - 1, &got);
    return std::string(buffer);
}

}  // namespace

int ScenarioIdentities(const Setup& setup)
{
    std::string store = setup.work + "\\store";
    // Dovan.exe inherits this variable, so an expandable Store Root can name the test store.
    SetEnvironmentVariableA("DOVAN_TEST_STORE", store.c_str());
    Seed({
        {"{00000001-0000-0000-0000-000000000000}", "Zed", REG_SZ, true, "C:\\Stores\\Zed", REG_SZ},
        {"{00000002-0000-0000-0000-000000000000}", "Main Identity", REG_SZ, true, "%DOVAN_TEST_STORE%", REG_EXPAND_SZ},
        {"{00000003-0000-0000-0000-000000000000}", "Amy", REG_SZ, true, "C:\\Stores\\100%DOVAN_TEST_STORE%", REG_SZ},
        {"{00000004-0000-0000-0000-000000000000}", "Expandable name", REG_EXPAND_SZ, true, "C:\\x", REG_SZ},
        {"{00000005-0000-0000-0000-000000000000}", "No store key", REG_SZ, false, nullptr, REG_SZ},
        {"{00000006-0000-0000-0000-000000000000}", "No store root", REG_SZ, true, nullptr, REG_SZ},
        {"{00000007-0000-0000-0000-000000000000}", "Amy", REG_SZ, true, "C:\\Stores\\Amy two", REG_SZ},
        {"{00000008-0000-0000-0000-000000000000}", "Number root", REG_SZ, true, "", REG_DWORD},
    });
    Program program = Start(setup);
    HWND main = program.main;
    if (!main) return Summary();
    std::vector<std::string> names;
    for (int i = 0; i < ComboCount(main, kSource); ++i) names.push_back(ComboItem(main, kSource, i));
    Check(names == std::vector<std::string>{"Amy", "Amy", "Main Identity", "Zed"},
          "complete identities are listed, sorted by name; the others are left out");
    Check(ComboSelection(main, kSource) == 0 && ItemText(main, kSource) == "Amy", "the first entry is selected");
    std::vector<std::string> amy_paths{EntryPath(program, 0), EntryPath(program, 1)};
    Check((amy_paths[0] == "C:\\Stores\\100%DOVAN_TEST_STORE%" && amy_paths[1] == "C:\\Stores\\Amy two") ||
              (amy_paths[1] == "C:\\Stores\\100%DOVAN_TEST_STORE%" && amy_paths[0] == "C:\\Stores\\Amy two"),
          "equal names keep their own paths; a REG_SZ path keeps its percent signs");
    CheckEqual(EntryPath(program, 2), store, "a REG_EXPAND_SZ path is expanded");
    CheckEqual(EntryPath(program, 3), "C:\\Stores\\Zed", "a REG_SZ path is taken as stored");
    Shot(setup, main, "main-identities");

    // START converts the chosen identity's store.
    ChooseComboItem(main, kSource, "Main Identity");
    ChooseComboItem(main, kFormat, WriterName(setup, "Dovanmbox.dll"));
    WaitFor([&] { return IsItemEnabled(main, kStart); });
    SetItemText(main, kDestination, setup.work + "\\identity-out");
    Click(main, kStart);
    CheckEqual(ConfirmMessage(program, IDOK, 60000), ProgramText(5, setup.japanese, "307"),
               "START converts the chosen identity's store");
    WaitForIdle(program);
    Check(CloseDovan(program) == 0, "the program exits with 0");
    KillDovan(program);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Identities");
    return Summary();
}

}  // namespace driver
