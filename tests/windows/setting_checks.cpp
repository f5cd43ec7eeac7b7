// The writers' settings dialogs and bmf's registry read, driven inside this process through the DLLs' exports.
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/checks.h"
#include "tests/windows/driver.h"
#include "tests/windows/gui.h"

namespace driver {
namespace {

using SettingDlgFn = int(WINAPI*)(HWND);
using TextResultFn = UINT_PTR(WINAPI*)(void);

// Through void*: GetProcAddress's FARPROC names no real signature.
template <typename Entry>
Entry Export(HMODULE library, const char* name)
{
    return library ? reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(library, name))) : nullptr;
}

struct SettingsWindow {
    SettingDlgFn show;
    HANDLE thread = nullptr;
    int result = 0;
    HWND dialog = nullptr;
};

DWORD WINAPI ShowSettings(void* argument)
{
    auto* window = static_cast<SettingsWindow*>(argument);
    window->result = window->show(nullptr);
    return 0;
}

// Opens the dialog on a thread of its own (it is modal) and finds it by its caption.
bool Open(SettingsWindow& window, const std::string& caption)
{
    window.thread = CreateThread(nullptr, 0, ShowSettings, &window, 0, nullptr);
    window.dialog = FindDialog(GetCurrentProcessId(), caption, IDOK);
    return window.dialog != nullptr;
}

// Presses a button of the open dialog and returns the dialog's result (-2 when it did not close).
int Close(SettingsWindow& window, int button)
{
    Click(window.dialog, button);
    if (WaitForSingleObject(window.thread, kWaitMs) != WAIT_OBJECT_0) return -2;
    CloseHandle(window.thread);
    return window.result;
}

struct RadioSetting {
    const char* file;
    const char* caption_en;
    const char* caption_ja;
    std::vector<int> radios;  // the default first
    std::vector<const char*> texts_en;
    std::vector<const char*> texts_ja;
};

const RadioSetting kRadioSettings[] = {
    {"Dovanmbox.dll",
     "Dovanmbox Setting",
     "Dovanmbox 設定",
     {1003, 1001, 1002},
     {"&From quoting", "&Ignore case", "&Pass through"},
     {"From クオートを行う(&F)", "大文字小文字を無視する(&I)", "そのまま(&P)"}},
    {"Dovaneml.dll",
     "Dovaneml Setting",
     "Dovaneml 設定",
     {1000, 1001, 1002},
     {"&Sequence", "Sequence (without &extension)", "Sub&ject"},
     {"連番(&S)", "連番(拡張子無し)(&E)", "Subject(&J)"}},
};

std::vector<int> CheckedRadios(HWND dialog, const std::vector<int>& radios)
{
    std::vector<int> checked;
    for (int id : radios)
        if (IsItemChecked(dialog, id)) checked.push_back(id);
    return checked;
}

void CheckRadioSetting(const std::string& plugin_dir, const RadioSetting& setting, bool japanese,
                       const std::string& shots)
{
    std::string name = setting.file;
    HMODULE library = LoadLibraryA((plugin_dir + "\\" + name).c_str());
    SettingsWindow window{Export<SettingDlgFn>(library, "SettingDlg")};
    if (!Check(window.show != nullptr, name + " exports SettingDlg")) return;
    std::string caption = Ansi(japanese ? setting.caption_ja : setting.caption_en);
    const std::vector<int>& radios = setting.radios;

    if (!Check(Open(window, caption), name + ": the dialog opens with its caption")) return;
    if (!shots.empty()) Screenshot(window.dialog, shots + "\\" + name + (japanese ? "-ja.bmp" : "-en.bmp"));
    for (size_t i = 0; i < radios.size(); ++i)
        CheckEqual(ItemText(window.dialog, radios[i]), Ansi(japanese ? setting.texts_ja[i] : setting.texts_en[i]),
                   name + ": text of choice " + std::to_string(radios[i]));
    CheckEqual(ItemText(window.dialog, IDCANCEL), Ansi(japanese ? "キャンセル" : "CANCEL"), name + ": cancel button");
    Check(CheckedRadios(window.dialog, radios) == std::vector<int>{radios[0]}, name + ": the default is selected");
    Click(window.dialog, radios[1]);
    Check(Close(window, IDOK) == IDOK, name + ": OK ends the dialog with IDOK");

    Open(window, caption);
    Check(CheckedRadios(window.dialog, radios) == std::vector<int>{radios[1]}, name + ": OK kept the new choice");
    Click(window.dialog, radios[2]);
    Check(Close(window, IDCANCEL) == IDCANCEL, name + ": CANCEL ends the dialog with IDCANCEL");

    Open(window, caption);
    Check(CheckedRadios(window.dialog, radios) == std::vector<int>{radios[1]}, name + ": CANCEL changed nothing");
    Click(window.dialog, radios[2]);
    Check(Close(window, IDOK) == IDOK && (Open(window, caption), true) &&
              CheckedRadios(window.dialog, radios) == std::vector<int>{radios[2]},
          name + ": the third choice is kept too");
    Click(window.dialog, radios[0]);
    Close(window, IDOK);
    FreeLibrary(library);
}

void CheckSizeSetting(const std::string& plugin_dir, bool japanese, const std::string& shots)
{
    HMODULE library = LoadLibraryA((plugin_dir + "\\Dovanbmf.dll").c_str());
    SettingsWindow window{Export<SettingDlgFn>(library, "SettingDlg")};
    if (!Check(window.show != nullptr, "Dovanbmf.dll exports SettingDlg")) return;
    std::string caption = Ansi(japanese ? "Dovanbmf 設定" : "Dovanbmf Setting");
    constexpr int kSize = 1001;

    if (!Check(Open(window, caption), "Dovanbmf.dll: the dialog opens with its caption")) return;
    if (!shots.empty())
        Screenshot(window.dialog, shots + (japanese ? "\\Dovanbmf.dll-ja.bmp" : "\\Dovanbmf.dll-en.bmp"));
    CheckEqual(ItemText(window.dialog, kSize), "640", "Dovanbmf.dll: the size starts at 640");
    CheckEqual(ItemText(window.dialog, IDCANCEL), Ansi(japanese ? "キャンセル" : "CANCEL"), "Dovanbmf.dll: cancel");
    SetItemText(window.dialog, kSize, "123");
    Check(Close(window, IDOK) == IDOK, "Dovanbmf.dll: OK ends the dialog with IDOK");

    Open(window, caption);
    CheckEqual(ItemText(window.dialog, kSize), "123", "Dovanbmf.dll: OK kept 123");
    SetItemText(window.dialog, kSize, "77");
    Check(Close(window, IDCANCEL) == IDCANCEL, "Dovanbmf.dll: CANCEL ends the dialog with IDCANCEL");

    Open(window, caption);
    CheckEqual(ItemText(window.dialog, kSize), "123", "Dovanbmf.dll: CANCEL changed nothing");
    SetItemText(window.dialog, kSize, "");
    Close(window, IDOK);
    Open(window, caption);
    CheckEqual(ItemText(window.dialog, kSize), "0", "Dovanbmf.dll: an empty field gives 0");
    SetItemText(window.dialog, kSize, "640");
    Close(window, IDOK);
    FreeLibrary(library);
}

}  // namespace

int CheckSettingDialogs(const std::string& plugin_dir, bool japanese, const std::string& shots)
{
    for (const RadioSetting& setting : kRadioSettings) CheckRadioSetting(plugin_dir, setting, japanese, shots);
    CheckSizeSetting(plugin_dir, japanese, shots);
    return Summary();
}

int CheckDefaultDestination(const std::string& plugin_dir)
{
    HMODULE library = LoadLibraryA((plugin_dir + "\\Dovanbmf.dll").c_str());
    auto get = Export<TextResultFn>(library, "GetDefaultDestDir");
    if (!Check(get != nullptr, "Dovanbmf.dll exports GetDefaultDestDir")) return Summary();
    const char* kKey = "Software\\RimArts\\B2\\Settings";
    auto text_of = [&]() -> std::string {
        UINT_PTR result = get();
        if (result == 0) return "<none>";
        if (result <= 0xFFFF) return "<string id>";
        std::string text = reinterpret_cast<const char*>(result);
        GlobalFree(reinterpret_cast<HGLOBAL>(result));
        return text;
    };
    auto set_value = [&](DWORD type, const std::string& bytes) {
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
        RegSetValueExA(key, "DataDir", 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
    };

    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    CheckEqual(text_of(), "<none>", "no Becky! key: no default destination");
    set_value(REG_SZ, std::string("C:\\Becky!\\Data\0", 16));
    CheckEqual(text_of(), "C:\\Becky!\\Data", "DataDir as REG_SZ is the default destination");
    set_value(REG_SZ, "D:\\no terminator");
    CheckEqual(text_of(), "D:\\no terminator", "a REG_SZ stored without its terminator ends where it ends");
    set_value(REG_EXPAND_SZ, std::string("%TEMP%\\Becky\0", 13));
    CheckEqual(text_of(), "<none>", "DataDir as REG_EXPAND_SZ is not taken");
    set_value(REG_SZ, std::string("\0", 1));
    CheckEqual(text_of(), "", "an empty DataDir comes back empty (the host shows none)");
    RegDeleteKeyA(HKEY_CURRENT_USER, kKey);
    FreeLibrary(library);
    return Summary();
}

}  // namespace driver
