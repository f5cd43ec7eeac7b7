// The conversion run: one source folder of .dbx files through one writer plugin into one destination.
#pragma once

#include <string>

#include "engine/front_end.h"
#include "engine/plugin_host.h"

namespace engine {

// Where the folders go: each .dbx file as one top-level folder, or the store's folder tree (folder_tree.h).
enum class FolderLayout { Flat, Tree };

struct RunOptions {
    FolderLayout layout = FolderLayout::Flat;  // Tree falls back to Flat when the source has no readable list
    std::string code_page = "windows-1252";    // of the folder names in the list
    bool recover = false;                      // after each folder, the texts outside its index into "NAME (recovered)"
};

// The run proper, on the calling thread: lists and sorts the source's .dbx files, creates the destination,
// starts the plugin, converts every folder, finishes the plugin and reports through the front end (messages
// 1, 2, 3 and 5, progress, questions, and RunFinished last). Saves the current directory and restores it
// before RunFinished.
RunOutcome RunConversion(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end,
                         const RunOptions& options = RunOptions());

// Starts RunConversion on a detached worker thread with copies of both texts. False (message 14 shown
// through the front end) when the thread cannot be started.
bool StartConversion(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end);

}  // namespace engine
