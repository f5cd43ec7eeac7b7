// The conversion run: one source folder of .dbx files through one writer plugin into one destination.
#pragma once

#include <string>

#include "engine/front_end.h"
#include "engine/plugin_host.h"

namespace engine {

// The run proper, on the calling thread: lists and sorts the source's .dbx files, creates the destination,
// starts the plugin, converts every folder, finishes the plugin and reports through the front end (messages
// 1, 2, 3 and 5, progress, questions, and RunFinished last). Saves the current directory and restores it
// before RunFinished.
RunOutcome RunConversion(const char* source, const char* destination, const WriterPlugin& plugin,
                         FrontEnd& front_end);

// Choices of a run beyond its source, destination and writer.
struct RunOptions {
    bool recover = false;  // after each folder, the texts outside its index into "NAME (recovered)"
};

RunOutcome RunConversion(const char* source, const char* destination, const WriterPlugin& plugin,
                         FrontEnd& front_end, const RunOptions& options);

// Starts RunConversion on a detached worker thread with copies of both texts. False (message 14 shown
// through the front end) when the thread cannot be started.
bool StartConversion(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end);

// Creates every missing directory of an absolute path, outermost first, and rewrites `path` with the
// platform's separator throughout and no trailing separator. False with the reason in the last-error code:
// kErrorBadPathname for a path that is not absolute, kErrorAlreadyExists when a level exists as a file.
bool CreateDirectoryPath(std::string& path);

}  // namespace engine
