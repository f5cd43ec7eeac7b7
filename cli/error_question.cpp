#include "cli/error_question.h"

#include <cctype>

#include "cli/texts.h"

namespace cli {
namespace {

using engine::ErrorChoice;

// The letters are the error dialog's access keys, so that users of both programs press the same keys.
const OfferedChoice kAllChoices[] = {
    {'r', ErrorChoice::Retry},
    {'m', ErrorChoice::SkipMail},
    {'f', ErrorChoice::SkipFolder},
    {'p', ErrorChoice::AbortProcessing},
};

// Lowercase, without blanks anywhere: "F a" and "fa" are the same answer.
std::string Normalised(const std::string& line)
{
    std::string result;
    for (char c : line)
        if (!std::isspace(static_cast<unsigned char>(c)))
            result += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

std::vector<OfferedChoice> OfferedChoices(bool file_level)
{
    std::vector<OfferedChoice> choices;
    for (const OfferedChoice& offered : kAllChoices)
        if (!(file_level && offered.choice == ErrorChoice::SkipMail)) choices.push_back(offered);
    return choices;
}

ErrorChoice EffectiveDefault(const engine::ErrorQuestion& question)
{
    ErrorChoice choice = question.default_choice;
    bool known = false;
    for (const OfferedChoice& offered : OfferedChoices(question.file_level)) known |= offered.choice == choice;
    return known ? choice : ErrorChoice::Retry;
}

std::string ChoiceLabel(ErrorChoice choice)
{
    switch (choice) {
    case ErrorChoice::Retry:
        return CliText(Text::ChoiceRetry);
    case ErrorChoice::SkipMail:
        return CliText(Text::ChoiceSkipMail);
    case ErrorChoice::SkipFolder:
        return CliText(Text::ChoiceSkipFolder);
    case ErrorChoice::AbortProcessing:
        return CliText(Text::ChoiceAbort);
    case ErrorChoice::NotShown:
        break;
    }
    return std::string();
}

bool AllowsAfterAll(ErrorChoice choice) { return choice == ErrorChoice::SkipMail || choice == ErrorChoice::SkipFolder; }

std::string RenderErrorQuestion(const engine::ErrorQuestion& question, const std::string& system_text)
{
    ErrorChoice default_choice = EffectiveDefault(question);
    std::string text = std::string(CliText(Text::ErrorCaption)) + "\n";
    text += FormatCliText(Text::ErrorWhileProcessing, question.folder_name ? question.folder_name : "") + "\n";
    if (!system_text.empty()) text += "    " + system_text + "\n";
    text += std::string(CliText(Text::SelectWhatToDo)) + "\n";
    for (const OfferedChoice& offered : OfferedChoices(question.file_level)) {
        text += "  ";
        text += offered.key;
        text += "  " + ChoiceLabel(offered.choice);
        if (offered.choice == default_choice) text += "  " + std::string(CliText(Text::DefaultMark));
        text += "\n";
    }
    text += FormatCliText(Text::ErrorPromptHint, ChoiceLabel(default_choice)) + "\n";
    text += std::string(CliText(Text::ErrorPromptHintAfterAll)) + "\n";
    return text;
}

bool ParseErrorAnswer(const std::string& line, const engine::ErrorQuestion& question, engine::ErrorAnswer& answer)
{
    std::string typed = Normalised(line);
    ErrorChoice choice = EffectiveDefault(question);
    bool after_all = false;
    if (typed == "a") {
        after_all = true;
    } else if (!typed.empty()) {
        bool found = false;
        for (const OfferedChoice& offered : OfferedChoices(question.file_level)) {
            if (typed[0] != offered.key) continue;
            choice = offered.choice;
            found = true;
        }
        if (!found || typed.size() > 2 || (typed.size() == 2 && typed[1] != 'a')) return false;
        after_all = typed.size() == 2;
    }
    if (after_all && !AllowsAfterAll(choice)) return false;
    answer.choice = choice;
    answer.after_all = after_all;
    return true;
}

bool ParseYesNo(const std::string& line, bool& yes)
{
    std::string typed = Normalised(line);
    if (typed == "y" || typed == "yes") {
        yes = true;
        return true;
    }
    if (typed.empty() || typed == "n" || typed == "no") {
        yes = false;
        return true;
    }
    return false;
}

}  // namespace cli
