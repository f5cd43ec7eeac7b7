// The console on Windows. A console is written in UTF-16 (WriteConsoleW), so that English and Japanese show
// whatever its code page; redirected output gets bytes in the console's code page with CR LF line breaks, as
// other console programs write them. Answers are read from the console while the wake-up event is watched.
#include <windows.h>

#include <vector>

#include "cli/console.h"
#include "cli/interrupts.h"
#include "cli/progress_line.h"
#include "cli/win32/wake_ups.h"

namespace cli {
namespace {

HANDLE Handle(Stream stream) { return GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE); }

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) != 0;
}

std::wstring Wide(const std::string& text, UINT code_page)
{
    if (text.empty()) return std::wstring();
    int length = MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

std::string Narrow(const std::wstring& wide, UINT code_page)
{
    if (wide.empty()) return std::string();
    int length =
        WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                            nullptr);
    return text;
}

std::string WithCrLf(const std::string& text)
{
    std::string result;
    result.reserve(text.size() + text.size() / 32);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
        result += text[i];
    }
    return result;
}

// The code page of redirected text: the console's, or the ANSI code page where the program has no console.
UINT RedirectedCodePage(bool output)
{
    UINT code_page = output ? GetConsoleOutputCP() : GetConsoleCP();
    return code_page != 0 ? code_page : GetACP();
}

void WriteBytes(HANDLE handle, const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = bytes.size() - done > 0x10000 ? 0x10000 : static_cast<DWORD>(bytes.size() - done);
        DWORD written = 0;
        // A closed pipe or a full disk: nothing better to do with the text.
        if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

// True when a key press waits in the console's input; other input records (focus, mouse, key releases) in
// front of it are dropped, so that they never wake the reader in vain.
bool KeyPressWaiting(HANDLE input)
{
    for (;;) {
        INPUT_RECORD record;
        DWORD count = 0;
        if (!PeekConsoleInputW(input, &record, 1, &count) || count == 0) return false;
        if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown) return true;
        ReadConsoleInputW(input, &record, 1, &count);
    }
}

// Without a console (input from a file or a pipe): bytes up to the line break, in the console's code page.
ReadOutcome ReadRedirectedLine(HANDLE input, std::string& line)
{
    std::string bytes;
    for (;;) {
        char c = 0;
        DWORD got = 0;
        if (!ReadFile(input, &c, 1, &got, nullptr) || got == 0) {
            if (bytes.empty()) return ReadOutcome::EndOfInput;
            break;
        }
        if (c == '\n') break;
        if (c != '\r') bytes += c;
    }
    line = Narrow(Wide(bytes, RedirectedCodePage(false)), CP_UTF8);
    return ReadOutcome::Line;
}

}  // namespace

void WriteText(Stream stream, const std::string& text)
{
    HANDLE handle = Handle(stream);
    if (!handle || handle == INVALID_HANDLE_VALUE) return;
    std::string lines = WithCrLf(text);
    if (!IsConsole(handle)) {
        WriteBytes(handle, Narrow(Wide(lines, CP_UTF8), RedirectedCodePage(true)));
        return;
    }
    std::wstring wide = Wide(lines, CP_UTF8);
    size_t done = 0;
    while (done < wide.size()) {
        DWORD chunk = wide.size() - done > 0x4000 ? 0x4000 : static_cast<DWORD>(wide.size() - done);
        DWORD written = 0;
        if (!WriteConsoleW(handle, wide.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

bool IsTerminal(Stream stream) { return IsConsole(Handle(stream)); }

bool InputIsTerminal() { return IsConsole(GetStdHandle(STD_INPUT_HANDLE)); }

size_t TerminalColumns()
{
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(Handle(Stream::Error), &info) && info.srWindow.Right > info.srWindow.Left)
        return static_cast<size_t>(info.srWindow.Right - info.srWindow.Left + 1);
    return 80;
}

std::string LiveLineText(const std::string& line, size_t columns)
{
    // Blanks over the rest of the old line, short of the last column, where the console would wrap.
    size_t width = DisplayWidth(line);
    size_t blanks = columns > width + 1 ? columns - width - 1 : 0;
    return "\r" + line + std::string(blanks, ' ');
}

std::string Utf8FromSystem(const std::string& text) { return Narrow(Wide(text, CP_ACP), CP_UTF8); }

void PrepareStandardStreams() {}

ReadOutcome ReadAnswer(std::string& line, const std::function<bool()>& cancel)
{
    line.clear();
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (!IsConsole(input)) return ReadRedirectedLine(input, line);
    std::wstring typed;
    for (;;) {
        HANDLE watched[2] = {static_cast<HANDLE>(WakeEventHandle()), input};
        DWORD count = watched[0] ? 2 : 1;
        DWORD which = WaitForMultipleObjects(count, watched[0] ? watched : watched + 1, FALSE, INFINITE);
        if (which == WAIT_FAILED) return ReadOutcome::EndOfInput;
        if (count == 2 && which == WAIT_OBJECT_0) {
            for (char tag : TakeWakeUps()) {
                if (tag == kWakeInterrupt) return ReadOutcome::Interrupt;
                if (tag == kWakeTerminate) return ReadOutcome::Terminate;
            }
            if (cancel && cancel()) return ReadOutcome::Cancelled;
            continue;
        }
        if (!KeyPressWaiting(input)) continue;
        // The console edits the line itself; a Ctrl-C meanwhile ends the read early, and the handler's wake-up
        // is then found above.
        wchar_t buffer[256];
        DWORD got = 0;
        if (!ReadConsoleW(input, buffer, 256, &got, nullptr)) continue;
        typed.append(buffer, got);
        size_t end = typed.find(L'\n');
        if (end == std::wstring::npos) continue;
        typed.resize(end);
        if (!typed.empty() && typed.back() == L'\r') typed.pop_back();
        line = Narrow(typed, CP_UTF8);
        return ReadOutcome::Line;
    }
}

void DiscardTypeAhead()
{
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (IsConsole(input)) FlushConsoleInputBuffer(input);
}

}  // namespace cli
