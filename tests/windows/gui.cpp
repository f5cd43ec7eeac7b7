#include "tests/windows/gui.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace driver {
namespace {

constexpr int kMessageBoxTextId = 0xFFFF;  // the static control that holds a message box's text

std::string Convert(const std::string& utf8, UINT code_page)
{
    int wide_length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(wide_length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), wide_length);
    int length = WideCharToMultiByte(code_page, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(code_page, 0, wide.data(), wide_length, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

struct DialogSearch {
    DWORD process_id;
    const std::string* caption;
    int marker_id;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM argument)
{
    auto* search = reinterpret_cast<DialogSearch*>(argument);
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    if (process_id != search->process_id || !IsWindowVisible(window)) return TRUE;
    char class_name[32] = {};
    GetClassNameA(window, class_name, sizeof class_name);
    if (std::string(class_name) != "#32770") return TRUE;
    if (!search->caption->empty() && WindowText(window) != *search->caption) return TRUE;
    if (search->marker_id != 0 && !GetDlgItem(window, search->marker_id)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string Ansi(const std::string& utf8) { return Convert(utf8, CP_ACP); }

std::string CodePage932(const std::string& utf8) { return Convert(utf8, 932); }

bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > timeout_ms) return false;
        Sleep(30);
    }
}

HWND FindDialog(DWORD process_id, const std::string& caption, int marker_id, DWORD timeout_ms)
{
    DialogSearch search{process_id, &caption, marker_id, nullptr};
    WaitFor(
        [&] {
            EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeout_ms);
    return search.found;
}

HWND FindMessageBox(DWORD process_id, DWORD timeout_ms)
{
    return FindDialog(process_id, "", kMessageBoxTextId, timeout_ms);
}

std::string MessageBoxText(HWND box)
{
    // A box that has just appeared may not hold its text yet.
    std::string text;
    WaitFor([&] { return !(text = ItemText(box, kMessageBoxTextId)).empty(); }, 3000);
    return text;
}

std::string WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return "";
    std::vector<char> buffer(length + 2, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                        5000, &copied);
    return std::string(buffer.data(), copied);
}

std::string ItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    return item ? WindowText(item) : std::string("<no control>");
}

bool IsItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool IsItemChecked(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool HasFocus(HWND dialog, int id)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return false;
    HWND item = GetDlgItem(dialog, id);
    // A combo box with an edit field gives the focus to its edit child.
    return info.hwndFocus == item || (info.hwndFocus && GetParent(info.hwndFocus) == item);
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void SetItemText(HWND dialog, int id, const std::string& text)
{
    SendMessageA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool ChooseComboItem(HWND dialog, int id, const std::string& text)
{
    HWND combo = GetDlgItem(dialog, id);
    LRESULT index =
        SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    if (index == CB_ERR) return false;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    // Posted: the dialog may answer with a modal question.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
    return true;
}

std::string ComboItem(HWND dialog, int id, int index)
{
    // The wide messages: Wine marshals the ANSI ones between processes as wide text, cut at the first character.
    HWND combo = GetDlgItem(dialog, id);
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return "<none>";
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.data()));
    int size = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(size > 0 ? size : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
    text.resize(std::strlen(text.c_str()));
    return text;
}

int ComboCount(HWND dialog, int id) { return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCOUNT, 0, 0)); }

int ComboSelection(HWND dialog, int id)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0));
}

bool WaitUntilGone(HWND window, DWORD timeout_ms)
{
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout_ms);
}

bool Screenshot(HWND window, const std::string& path)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    Sleep(300);
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD row = static_cast<DWORD>((width * 3 + 3) & ~3);
    std::vector<char> pixels(static_cast<size_t>(row) * static_cast<size_t>(height));
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), reinterpret_cast<BITMAPINFO*>(&info),
              DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof file, 1, out);
    std::fwrite(&info, sizeof info, 1, out);
    std::fwrite(pixels.data(), 1, pixels.size(), out);
    return std::fclose(out) == 0;
}

}  // namespace driver
