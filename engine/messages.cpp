// The program's string table, compiled in for platforms that keep no string resources in the executable.
#include "engine/messages.h"

#include <cstdint>
#include <string>

namespace engine {
namespace {

struct MessageText {
    int id;
    const char* english;
    const char* japanese;  // UTF-8
};

constexpr MessageText kMessages[] = {
#include "texts/program_strings.inc"  // generated from texts/program.texts
};

// Fills in "%d" and "%s" as wsprintf does for these texts; "%%" gives one "%". Other sequences stay as written.
std::string Format(const std::string& pattern, const std::string& number, const std::string& text)
{
    std::string result;
    result.reserve(pattern.size() + number.size() + text.size());
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size()) {
            char code = pattern[i + 1];
            if (code == 'd' || code == 's' || code == '%') {
                result += code == 'd' ? number : code == 's' ? text : std::string("%");
                ++i;
                continue;
            }
        }
        result += pattern[i];
    }
    return result;
}

}  // namespace

std::string LoadMessage(int id)
{
    std::string text;
    if (id > 0 && platform::LoadProgramString(static_cast<uint32_t>(id), text)) return text;
    bool japanese = platform::UiLanguage() == platform::Language::Japanese;
    for (const MessageText& message : kMessages)
        if (message.id == id) return japanese ? message.japanese : message.english;
    return std::string();
}

std::string FormatMessageNumber(int id, long long number)
{
    return Format(LoadMessage(id), std::to_string(number), std::string());
}

std::string FormatMessageText(int id, const std::string& argument)
{
    return Format(LoadMessage(id), std::string(), argument);
}

std::string MessageWithErrorText(const std::string& text, platform::ErrorCode code)
{
    std::string system_text = platform::ErrorText(code);
    if (system_text.empty()) return text;
    return text + "\r\n" + system_text;
}

}  // namespace engine
