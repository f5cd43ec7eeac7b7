// `dovan convert`: runs one conversion on a worker thread while the main thread shows progress, asks the error
// question and the Ctrl-C question on the terminal, and reports at the end.
#pragma once

#include <string>

#include "cli/run_events.h"
#include "engine/conversion_run.h"
#include "engine/plugin_host.h"

namespace cli {

// Exit statuses of the program.
inline constexpr int kExitCompleted = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitStopped = 3;

struct ConvertOptions {
    std::string source;                     // made absolute here: the writers move the current directory during a run
    std::string destination;                // handed on as typed; the run refuses a relative one
    AutoAnswer policy = AutoAnswer::Abort;  // None: ask on the terminal
    bool can_ask = false;                   // standard input and standard error are a terminal
    engine::RunOptions run;                 // a tree run becomes flat, with a note, without a readable list
};

// Runs the conversion and returns the exit status.
int RunConvertCommand(const ConvertOptions& options, const engine::WriterPlugin& plugin);

}  // namespace cli
