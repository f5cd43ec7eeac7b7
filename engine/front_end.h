// The front end of a conversion run: everything a run shows or asks goes through this interface, so that the
// engine never touches a window or a terminal. The Windows dialog, the command line and the tests' recording
// fake each implement it. All calls come from the run's worker thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace engine {

// The answer to an error; the values are the control ids of the error dialog's radio buttons.
enum class ErrorChoice : int {
    NotShown = -1,  // the question could not be asked: treated like SkipMail, or as a stop at file level
    Retry = 1028,
    SkipMail = 1017,
    SkipFolder = 1004,
    AbortProcessing = 1008,
};

struct ErrorQuestion {
    bool file_level = false;                          // the .dbx file itself cannot be opened: SkipMail is not offered
    const char* folder_name = "";                     // the folder being converted
    platform::ErrorCode code = 0;                     // the failing step's last-error code
    ErrorChoice default_choice = ErrorChoice::Retry;  // the choice selected when the question opens
};

struct ErrorAnswer {
    ErrorChoice choice = ErrorChoice::NotShown;
    bool after_all = false;  // answer every later error of this run the same way (skip answers only)
};

// How a run ended.
enum class RunOutcome {
    NothingToConvert,   // message 1 was shown
    DestinationFailed,  // message 2 was shown
    StartFailed,        // message 3 was shown
    Completed,          // the summary, message 5, was shown
    Stopped,            // stopped by the user (abort flag or Abort Processing): no message
};

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // A folder begins: its name, its number (1-based) of the total and the text "%d / %d"; progress is 0.
    virtual void FolderStarted(const char* folder_name, int number, int total, const std::string& position) = 0;

    // The position within the current folder, 0 to 100.
    virtual void ProgressChanged(unsigned position) = 0;

    // Asked only when no remembered After All answer applies. The engine keeps the default and After All
    // memory; the front end only shows the question.
    virtual ErrorAnswer AskError(const ErrorQuestion& question) = 0;

    // A message of the run (string ids 1, 2, 3 and 5), formatted, with the system's text for an error code
    // already added on the next line where the message takes one.
    virtual void ShowMessage(int string_id, const std::string& text) = 0;

    // What the run gave up on, answered by the user or by a remembered answer: message `index` (0-based, in
    // index order) of a folder, or the rest of a folder.
    virtual void MessageSkipped(const char* folder_name, uint32_t index) = 0;
    virtual void FolderSkipped(const char* folder_name) = 0;

    // The reader met damage in this folder's store: some of it may not have been reachable.
    virtual void FolderDamaged(const char* folder_name) = 0;

    // A run with recovery: how many texts found outside this folder's index went into its recovered folder
    // (0 when none was found: the folder was then not made); `complete` false when the search had to stop short
    // (the memory budget, or a failed read). Front ends that do not show it need not implement it.
    virtual void MessagesRecovered(const char* folder_name, uint32_t count, bool complete)
    {
        (void)folder_name;
        (void)count;
        (void)complete;
    }

    // The end of every run, whatever its outcome; sent after the current directory has been restored.
    virtual void RunFinished(RunOutcome outcome) = 0;
};

// The two run-control flags, written by the front end and polled by the worker before each message.
struct RunControl {
    std::atomic<bool> pause{false};
    std::atomic<bool> abort{false};
};

RunControl& TheRunControl();

}  // namespace engine
