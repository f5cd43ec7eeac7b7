// What every main-dialog scenario works with: the program, its plugins, a work folder, where screenshots go,
// and the language the program runs in.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/gui.h"
#include "tests/windows/program.h"

namespace driver {

struct Setup {
    std::string exe;      // Dovan.exe
    std::string plugins;  // the folder the program starts in
    std::string work;     // holds "store" and "store-large"; destinations are made in it
    std::string shots;    // screenshots
    bool japanese = false;
};

Program StartIn(const Setup& setup, const std::string& directory);
Program Start(const Setup& setup);
void Shot(const Setup& setup, HWND window, const std::string& name);

// The Note box's text for a writer: the program's fixed lines, then the writer's note.
std::string NoteFor(const Setup& setup, const char* plugin_file);
std::string WriterName(const Setup& setup, const char* plugin_file);

// Types a source path (no Source entry selected) and a destination, and chooses a format by its file.
void PrepareRun(const Setup& setup, const Program& program, const std::string& source, const std::string& destination,
                const char* plugin_file);

// The open question or message box of the program; nullptr when none comes within the time.
HWND WaitForBox(const Program& program, DWORD timeout_ms = kWaitMs);

// Waits for the end of a run: the inputs unlocked again.
bool WaitForIdle(const Program& program, DWORD timeout_ms = 120000);

// The scenarios, each ending with Summary().
int ScenarioFormats(const Setup& setup);
int ScenarioStartChecks(const Setup& setup);
int ScenarioNoPlugins(const Setup& setup);
int ScenarioIdentities(const Setup& setup);
int ScenarioRun(const Setup& setup);
int ScenarioAbort(const Setup& setup);
int ScenarioErrors(const Setup& setup);
int ScenarioCloseDuringRun(const Setup& setup);

}  // namespace driver
