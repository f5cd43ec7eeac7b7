#include "engine/error_recovery.h"

#include <atomic>

namespace engine {
namespace {

// Written only by the run's worker; atomics so that a front end may read them from another thread.
std::atomic<ErrorChoice> g_default_choice{ErrorChoice::Retry};
std::atomic<ErrorChoice> g_after_all_choice{ErrorChoice::NotShown};

bool IsChoice(ErrorChoice choice)
{
    return choice == ErrorChoice::Retry || choice == ErrorChoice::SkipMail || choice == ErrorChoice::SkipFolder ||
           choice == ErrorChoice::AbortProcessing;
}

}  // namespace

ErrorChoice AskErrorChoice(bool file_level, const char* folder_name, FrontEnd& front_end)
{
    // Nothing below may run before the failing step's code is taken.
    platform::ErrorCode code = platform::LastError();

    ErrorChoice remembered = g_after_all_choice.load();
    if (remembered != ErrorChoice::NotShown && !(file_level && remembered == ErrorChoice::SkipMail)) return remembered;

    // A file that cannot be opened has no message to skip: SkipMail is not offered and not preselected.
    if (file_level && g_default_choice.load() == ErrorChoice::SkipMail) g_default_choice = ErrorChoice::Retry;

    ErrorQuestion question;
    question.file_level = file_level;
    question.folder_name = folder_name ? folder_name : "";
    question.code = code;
    question.default_choice = g_default_choice.load();
    ErrorAnswer answer = front_end.AskError(question);

    if (!IsChoice(answer.choice) || (file_level && answer.choice == ErrorChoice::SkipMail))
        return ErrorChoice::NotShown;
    g_default_choice = answer.choice;
    // After All cannot be chosen with Retry or AbortProcessing: it would repeat or stop without asking.
    bool can_remember = answer.choice == ErrorChoice::SkipMail || answer.choice == ErrorChoice::SkipFolder;
    if (answer.after_all && can_remember) g_after_all_choice = answer.choice;
    return answer.choice;
}

void ForgetAfterAllChoice() { g_after_all_choice = ErrorChoice::NotShown; }

ErrorChoice DefaultErrorChoice() { return g_default_choice.load(); }

ErrorChoice AfterAllChoice() { return g_after_all_choice.load(); }

void ResetErrorMemory()
{
    g_default_choice = ErrorChoice::Retry;
    g_after_all_choice = ErrorChoice::NotShown;
}

}  // namespace engine
