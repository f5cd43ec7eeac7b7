// The main dialog as the front end of a run: the worker writes the progress controls, asks the error dialog
// and shows the run's messages, all owned by the main dialog.
#pragma once

#include <windows.h>

#include <atomic>

#include "engine/front_end.h"

namespace app {

class DialogFrontEnd : public engine::FrontEnd {
public:
    explicit DialogFrontEnd(HWND dialog) : dialog_(dialog) {}

    // The dialog is closing during a run: from now on the worker touches no window, answers every question
    // with Abort Processing and shows nothing.
    void BeginClosing() { closing_ = true; }

    void FolderStarted(const char* folder_name, int number, int total, const std::string& position) override;
    void ProgressChanged(unsigned position) override;
    engine::ErrorAnswer AskError(const engine::ErrorQuestion& question) override;
    void ShowMessage(int string_id, const std::string& text) override;
    void MessageSkipped(const char*, uint32_t) override {}
    void FolderSkipped(const char*) override {}
    void FolderDamaged(const char*) override {}
    void RunFinished(engine::RunOutcome outcome) override;

private:
    HWND dialog_;
    std::atomic<bool> closing_{false};
};

}  // namespace app
