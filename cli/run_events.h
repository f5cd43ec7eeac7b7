// The worker's side of a conversion on the command line. The engine calls the front end on its worker thread;
// this front end never writes to the terminal itself but queues what happened for the main thread, which owns
// all output and input. Only the error question waits: for the main thread's answer, or for none when the
// answers come from --on-error.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "cli/threads.h"
#include "engine/front_end.h"

namespace cli {

struct RunEvent {
    enum class Kind {
        FolderStarted,
        Progress,
        Message,
        Question,
        AutoAnswered,
        MessageSkipped,
        FolderSkipped,
        FolderDamaged,
        MessagesRecovered,
        Finished
    };
    Kind kind = Kind::Progress;
    // Texts in UTF-8: QueueFrontEnd converts what the engine hands over in the system's code page.
    std::string folder;              // FolderStarted, Question, AutoAnswered, *Skipped, FolderDamaged
    std::string text;                // FolderStarted: "k / n"; Message: the message
    int number = 0;                  // FolderStarted: k; Message: string id
    int total = 0;                   // FolderStarted: n
    unsigned position = 0;           // Progress
    uint32_t index = 0;              // MessageSkipped; MessagesRecovered: the count (`number` 1: search complete)
    engine::ErrorQuestion question;  // Question, AutoAnswered (folder_name points into `folder`)
    engine::ErrorChoice answer = engine::ErrorChoice::NotShown;  // AutoAnswered
    engine::RunOutcome outcome = engine::RunOutcome::Completed;  // Finished
};

// The queue between the two threads. The worker pushes; the main thread takes everything at once. The first
// event pushed into an empty queue writes a wake-up byte, so the main thread can sleep in poll().
class RunEventQueue {
public:
    void Push(RunEvent event);
    std::deque<RunEvent> TakeAll();
    bool HasFinished();

    // The question protocol: the worker waits in WaitForAnswer until the main thread calls Answer.
    engine::ErrorAnswer WaitForAnswer();
    void Answer(const engine::ErrorAnswer& answer);

private:
    Mutex mutex_;
    Signal answered_;
    std::deque<RunEvent> events_;
    bool has_answer_ = false;
    engine::ErrorAnswer answer_;
};

// What an --on-error choice answers, for errors that are not asked on the terminal.
enum class AutoAnswer { None, SkipMail, SkipFolder, Abort };
engine::ErrorChoice AutomaticChoice(AutoAnswer policy, bool file_level);

class QueueFrontEnd : public engine::FrontEnd {
public:
    QueueFrontEnd(RunEventQueue& queue, AutoAnswer policy) : queue_(queue), policy_(policy) {}

    void FolderStarted(const char* folder_name, int number, int total, const std::string& position) override;
    void ProgressChanged(unsigned position) override;
    engine::ErrorAnswer AskError(const engine::ErrorQuestion& question) override;
    void ShowMessage(int string_id, const std::string& text) override;
    void MessageSkipped(const char* folder_name, uint32_t index) override;
    void FolderSkipped(const char* folder_name) override;
    void FolderDamaged(const char* folder_name) override;
    void MessagesRecovered(const char* folder_name, uint32_t count, bool complete) override;
    void RunFinished(engine::RunOutcome outcome) override;

private:
    RunEventQueue& queue_;
    AutoAnswer policy_;
    unsigned last_position_ = 101;  // none yet: a folder's first position is always passed on
};

}  // namespace cli
