#include "cli/run_events.h"

#include "cli/console.h"
#include "cli/interrupts.h"

namespace cli {

void RunEventQueue::Push(RunEvent event)
{
    Locked lock(mutex_);
    // Positions are only drawn, never listed: a newer one replaces one not drawn yet.
    if (event.kind == RunEvent::Kind::Progress && !events_.empty() && events_.back().kind == RunEvent::Kind::Progress) {
        events_.back().position = event.position;
        return;
    }
    bool was_empty = events_.empty();
    events_.push_back(std::move(event));
    if (was_empty) Wake(kWakeEvent);
}

std::deque<RunEvent> RunEventQueue::TakeAll()
{
    Locked lock(mutex_);
    std::deque<RunEvent> taken;
    taken.swap(events_);
    return taken;
}

bool RunEventQueue::HasFinished()
{
    Locked lock(mutex_);
    for (const RunEvent& event : events_)
        if (event.kind == RunEvent::Kind::Finished) return true;
    return false;
}

engine::ErrorAnswer RunEventQueue::WaitForAnswer()
{
    for (;;) {
        answered_.Wait();
        Locked lock(mutex_);
        if (!has_answer_) continue;
        has_answer_ = false;
        return answer_;
    }
}

void RunEventQueue::Answer(const engine::ErrorAnswer& answer)
{
    {
        Locked lock(mutex_);
        answer_ = answer;
        has_answer_ = true;
    }
    answered_.Set();
}

engine::ErrorChoice AutomaticChoice(AutoAnswer policy, bool file_level)
{
    switch (policy) {
    // A file that cannot be opened has no message to skip: skipping it whole is the nearest answer.
    case AutoAnswer::SkipMail:
        return file_level ? engine::ErrorChoice::SkipFolder : engine::ErrorChoice::SkipMail;
    case AutoAnswer::SkipFolder:
        return engine::ErrorChoice::SkipFolder;
    case AutoAnswer::Abort:
        return engine::ErrorChoice::AbortProcessing;
    case AutoAnswer::None:
        break;
    }
    return engine::ErrorChoice::NotShown;
}

void QueueFrontEnd::FolderStarted(const char* folder_name, int number, int total, const std::string& position)
{
    RunEvent event;
    event.kind = RunEvent::Kind::FolderStarted;
    event.folder = Utf8FromSystem(folder_name ? folder_name : "");
    event.text = position;
    event.number = number;
    event.total = total;
    last_position_ = 0;
    queue_.Push(std::move(event));
}

void QueueFrontEnd::ProgressChanged(unsigned position)
{
    // The engine reports before every message; only a change is worth a redraw.
    if (position == last_position_) return;
    last_position_ = position;
    RunEvent event;
    event.kind = RunEvent::Kind::Progress;
    event.position = position;
    queue_.Push(std::move(event));
}

engine::ErrorAnswer QueueFrontEnd::AskError(const engine::ErrorQuestion& question)
{
    RunEvent event;
    event.folder = Utf8FromSystem(question.folder_name ? question.folder_name : "");
    event.question = question;
    event.question.folder_name = nullptr;  // the main thread points it at its own copy
    if (policy_ != AutoAnswer::None) {
        engine::ErrorAnswer answer;
        answer.choice = AutomaticChoice(policy_, question.file_level);
        event.kind = RunEvent::Kind::AutoAnswered;
        event.answer = answer.choice;
        queue_.Push(std::move(event));
        return answer;
    }
    event.kind = RunEvent::Kind::Question;
    queue_.Push(std::move(event));
    return queue_.WaitForAnswer();
}

void QueueFrontEnd::ShowMessage(int string_id, const std::string& text)
{
    RunEvent event;
    event.kind = RunEvent::Kind::Message;
    event.number = string_id;
    event.text = Utf8FromSystem(text);
    queue_.Push(std::move(event));
}

void QueueFrontEnd::MessageSkipped(const char* folder_name, uint32_t index)
{
    RunEvent event;
    event.kind = RunEvent::Kind::MessageSkipped;
    event.folder = Utf8FromSystem(folder_name ? folder_name : "");
    event.index = index;
    queue_.Push(std::move(event));
}

void QueueFrontEnd::FolderSkipped(const char* folder_name)
{
    RunEvent event;
    event.kind = RunEvent::Kind::FolderSkipped;
    event.folder = Utf8FromSystem(folder_name ? folder_name : "");
    queue_.Push(std::move(event));
}

void QueueFrontEnd::FolderDamaged(const char* folder_name)
{
    RunEvent event;
    event.kind = RunEvent::Kind::FolderDamaged;
    event.folder = Utf8FromSystem(folder_name ? folder_name : "");
    queue_.Push(std::move(event));
}

void QueueFrontEnd::MessagesRecovered(const char* folder_name, uint32_t count, bool complete)
{
    RunEvent event;
    event.kind = RunEvent::Kind::MessagesRecovered;
    event.folder = folder_name ? folder_name : "";
    event.index = count;
    event.number = complete ? 1 : 0;
    queue_.Push(std::move(event));
}

void QueueFrontEnd::RunFinished(engine::RunOutcome)
{
    // The Finished event is queued by the thread that ran the conversion, once RunConversion has returned:
    // only then is nothing of the worker left that the main thread could race with.
}

}  // namespace cli
