#include "tests/windows/scenario_setup.h"

#include <cstring>

#include "tests/windows/checks.h"
#include "tests/windows/expected_texts.h"

namespace driver {
namespace {

const PluginTexts* Writer(const char* plugin_file)
{
    for (const PluginTexts& plugin : kPluginTexts)
        if (std::strcmp(plugin.file, plugin_file) == 0) return &plugin;
    return &kPluginTexts[0];
}

}  // namespace

Program StartIn(const Setup& setup, const std::string& directory) { return StartDovan(setup.exe, directory); }

Program Start(const Setup& setup)
{
    Program program = StartIn(setup, setup.plugins);
    Check(program.main != nullptr, "the main dialog opens");
    return program;
}

void Shot(const Setup& setup, HWND window, const std::string& name)
{
    if (!setup.shots.empty()) Screenshot(window, setup.shots + "\\" + name + (setup.japanese ? "-ja.bmp" : "-en.bmp"));
}

std::string NoteFor(const Setup& setup, const char* plugin_file)
{
    const PluginTexts* plugin = Writer(plugin_file);
    return ProgramText(6, setup.japanese) + Ansi(setup.japanese ? plugin->note.japanese : plugin->note.english);
}

std::string WriterName(const Setup& setup, const char* plugin_file)
{
    const PluginTexts* plugin = Writer(plugin_file);
    return Ansi(setup.japanese ? plugin->name.japanese : plugin->name.english);
}

void PrepareRun(const Setup& setup, const Program& program, const std::string& source, const std::string& destination,
                const char* plugin_file)
{
    SendDlgItemMessageA(program.main, kSource, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    SetItemText(program.main, kSource, source);
    ChooseComboItem(program.main, kFormat, WriterName(setup, plugin_file));
    WaitFor([&] { return IsItemEnabled(program.main, kStart); });
    SetItemText(program.main, kDestination, destination);
}

HWND WaitForBox(const Program& program, DWORD timeout_ms)
{
    return FindMessageBox(program.process.dwProcessId, timeout_ms);
}

bool WaitForIdle(const Program& program, DWORD timeout_ms)
{
    return WaitFor([&] { return IsItemEnabled(program.main, kStart) && !IsItemEnabled(program.main, kAbort); },
                   timeout_ms);
}

}  // namespace driver
