#include "tests/engine/support/recording_front_end.h"

namespace enginetest {

const char* OutcomeName(engine::RunOutcome outcome)
{
    switch (outcome) {
    case engine::RunOutcome::NothingToConvert:
        return "NothingToConvert";
    case engine::RunOutcome::DestinationFailed:
        return "DestinationFailed";
    case engine::RunOutcome::StartFailed:
        return "StartFailed";
    case engine::RunOutcome::Completed:
        return "Completed";
    case engine::RunOutcome::Stopped:
        return "Stopped";
    }
    return "?";
}

std::vector<std::string> RecordingFrontEnd::EventsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> found;
    for (const std::string& event : events)
        if (event.compare(0, prefix.size(), prefix) == 0) found.push_back(event);
    return found;
}

void RecordingFrontEnd::FolderStarted(const char* folder_name, int number, int total, const std::string& position)
{
    events.push_back("folder " + std::string(folder_name) + " " + std::to_string(number) + "/" + std::to_string(total) +
                     " [" + position + "]");
}

void RecordingFrontEnd::MessagesRecovered(const char* folder_name, uint32_t count, bool complete)
{
    events.push_back("recovered " + std::string(folder_name) + " " + std::to_string(count) +
                     (complete ? "" : " cut short"));
}

void RecordingFrontEnd::ProgressChanged(unsigned position)
{
    progress.push_back(position);
    events.push_back("progress " + std::to_string(position));
}

engine::ErrorAnswer RecordingFrontEnd::AskError(const engine::ErrorQuestion& question)
{
    questions.push_back({question.file_level, question.folder_name, question.code, question.default_choice});
    events.push_back(std::string("ask ") + (question.file_level ? "file " : "message ") + question.folder_name +
                     " code=" + std::to_string(question.code) +
                     " default=" + std::to_string(static_cast<int>(question.default_choice)));
    if (on_ask) on_ask(question);
    if (answers.empty()) return {};
    engine::ErrorAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

void RecordingFrontEnd::ShowMessage(int string_id, const std::string& text)
{
    messages.push_back(text);
    events.push_back("message " + std::to_string(string_id) + " " + text);
}

void RecordingFrontEnd::MessageSkipped(const char* folder_name, uint32_t index)
{
    events.push_back("skipped " + std::string(folder_name) + " #" + std::to_string(index));
}

void RecordingFrontEnd::FolderSkipped(const char* folder_name)
{
    events.push_back("folder skipped " + std::string(folder_name));
}

void RecordingFrontEnd::FolderDamaged(const char* folder_name)
{
    events.push_back("damaged " + std::string(folder_name));
}

void RecordingFrontEnd::RunFinished(engine::RunOutcome outcome)
{
    finished_on = std::this_thread::get_id();
    events.push_back(std::string("finished ") + OutcomeName(outcome));
    if (on_finished) on_finished(outcome);
}

}  // namespace enginetest
