// A front end that writes down everything a run reports and answers error questions from a script.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/front_end.h"

namespace enginetest {

// A question as it was asked; the folder name copied, since the engine only lends it for the call.
struct AskedQuestion {
    bool file_level = false;
    std::string folder;
    platform::ErrorCode code = 0;
    engine::ErrorChoice default_choice = engine::ErrorChoice::NotShown;
};

class RecordingFrontEnd : public engine::FrontEnd {
public:
    // Events in order: "folder archive 1/3 [1 / 3]", "progress 33", "ask message Inbox code=5 default=1028",
    // "message 5 <text>", "skipped Inbox #4", "folder skipped Inbox", "damaged Inbox", "recovered Inbox 2" (with
    // " cut short" when the search was), "finished Completed".
    std::vector<std::string> events;
    std::vector<AskedQuestion> questions;
    std::vector<unsigned> progress;     // every position sent, in order
    std::vector<std::string> messages;  // the texts of ShowMessage, in order
    std::thread::id finished_on;        // the thread that reported the end of the run

    // Answers for the questions to come, in order; without one left, the question is not shown.
    std::deque<engine::ErrorAnswer> answers;
    std::function<void(const engine::ErrorQuestion&)> on_ask;  // runs before the answer is taken
    std::function<void(engine::RunOutcome)> on_finished;

    void Answer(engine::ErrorChoice choice, bool after_all = false) { answers.push_back({choice, after_all}); }
    std::vector<std::string> EventsStartingWith(const std::string& prefix) const;

    void FolderStarted(const char* folder_name, int number, int total, const std::string& position) override;
    void ProgressChanged(unsigned position) override;
    engine::ErrorAnswer AskError(const engine::ErrorQuestion& question) override;
    void ShowMessage(int string_id, const std::string& text) override;
    void MessageSkipped(const char* folder_name, uint32_t index) override;
    void FolderSkipped(const char* folder_name) override;
    void FolderDamaged(const char* folder_name) override;
    void MessagesRecovered(const char* folder_name, uint32_t count, bool complete) override;
    void RunFinished(engine::RunOutcome outcome) override;
};

const char* OutcomeName(engine::RunOutcome outcome);

}  // namespace enginetest
