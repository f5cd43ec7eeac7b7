#include "app/message_boxes.h"

#include <vector>

namespace app {
namespace {

constexpr const char* kCaption = "Dovan";

}  // namespace

HINSTANCE g_instance = nullptr;

std::string LoadProgramText(UINT id, int buffer_size)
{
    std::vector<char> buffer(static_cast<size_t>(buffer_size), '\0');
    int length = LoadStringA(g_instance, id, buffer.data(), buffer_size);
    return std::string(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

int ShowMessage(HWND owner, UINT id, UINT style) { return ShowText(owner, LoadProgramText(id, 1024), style); }

int ShowErrorMessage(HWND owner, UINT id, DWORD code, UINT style)
{
    return ShowErrorText(owner, LoadProgramText(id, 256), code, style);
}

int ShowErrorText(HWND owner, const std::string& text, DWORD code, UINT style)
{
    char* system_text = nullptr;
    DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
                       nullptr, code, LANG_USER_DEFAULT, reinterpret_cast<char*>(&system_text), 0, nullptr);
    std::string message = text + "\r\n";
    if (length > 0 && system_text) {
        message.append(system_text, length);
    } else {
        // The system has no words for this code: show the code itself, so that it can still be looked up.
        message += '(';
        message += std::to_string(code);
        message += ')';
    }
    if (system_text) LocalFree(system_text);
    return ShowText(owner, message, style);
}

int ShowText(HWND owner, const std::string& text, UINT style)
{
    return MessageBoxA(owner, text.c_str(), kCaption, style);
}

void EnableItem(HWND dialog, int id, bool enable) { EnableWindow(GetDlgItem(dialog, id), enable ? TRUE : FALSE); }

}  // namespace app
