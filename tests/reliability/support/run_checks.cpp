#include "tests/reliability/support/run_checks.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

namespace reliability {
namespace {

bool IsBeginningOf(const std::string& part, const std::string& text)
{
    return part.size() <= text.size() && text.compare(0, part.size(), part) == 0;
}

// What a failed message may leave: the beginning of its text, then perhaps the beginning of what the writer
// puts after every message (the mbox closing line end, the bmf separator), cut where the disk filled up.
bool IsCutShort(const std::string& found, const std::string& text)
{
    static const std::string kClosings = "\r\n.\r\n";
    for (size_t closing = 0; closing <= kClosings.size() && closing <= found.size(); ++closing) {
        bool closing_matches = found.compare(found.size() - closing, closing, kClosings, 0, closing) == 0;
        if (closing_matches && IsBeginningOf(found.substr(0, found.size() - closing), text)) return true;
    }
    return false;
}

// The mbox writer closes every message with an empty line, also one that failed before any of it reached the
// file: the message before it then ends in one more empty line. A reader still gets every line of it.
bool IsWhole(Format format, const std::string& found, const std::string& text)
{
    if (found == text) return true;
    if (format != Format::Mbox || !IsBeginningOf(text, found)) return false;
    for (size_t at = text.size(); at < found.size(); at += 2)
        if (found.compare(at, 2, "\r\n") != 0) return false;
    return true;
}

std::string Shown(const std::string& text)
{
    std::string shown = text.substr(0, 60);
    for (char& c : shown)
        if (c == '\r' || c == '\n') c = '|';
    return "\"" + shown + (text.size() > 60 ? "...\"" : "\"") + " (" + std::to_string(text.size()) + " bytes)";
}

const char* FormatName(Format format)
{
    switch (format) {
    case Format::Mbox:
        return "mbox";
    case Format::Eml:
        return "eml";
    case Format::Bmf:
        return "bmf";
    case Format::Maildir:
        return "maildir";
    }
    return "?";
}

}  // namespace

long SummaryCount(const enginetest::RecordingFrontEnd& front_end)
{
    for (const std::string& event : front_end.EventsStartingWith("message 5 ")) {
        long count = -1;
        if (std::sscanf(event.c_str() + 10, "%ld", &count) == 1) return count;
    }
    return -1;
}

std::vector<std::string> CompareWithLedger(Format format, const std::string& destination, const Ledger& ledger,
                                           long summary)
{
    std::vector<std::string> problems;
    FolderMessages output = ReadOutput(format, destination);

    std::map<std::string, std::vector<const LedgerMessage*>> handed;
    for (const LedgerMessage& message : ledger.messages) handed[message.folder].push_back(&message);

    for (const auto& [folder, messages] : output) {
        for (const std::string& found : messages) {
            bool known = false;
            for (const LedgerMessage* message : handed[folder]) known = known || IsCutShort(found, message->text);
            if (!known) problems.push_back("in " + folder + ", a message no one handed on: " + Shown(found));
        }
    }

    // Each counted message whole, as often as it was counted (a text may be stored twice on purpose).
    std::map<std::pair<std::string, std::string>, long> needed;
    for (const LedgerMessage& message : ledger.messages)
        if (message.Counted()) ++needed[{message.folder, message.text}];
    for (const auto& [key, count] : needed) {
        long whole = 0;
        for (const std::string& found : output[key.first]) whole += IsWhole(format, found, key.second) ? 1 : 0;
        if (whole < count)
            problems.push_back("in " + key.first +
                               ", a counted message is not whole in the output: " + Shown(key.second));
    }

    // A message given up and taken back leaves nothing: after Retry one whole copy, after Skip Mail none.
    std::map<std::string, size_t> may_remain;
    for (const LedgerMessage& message : ledger.messages) may_remain[message.folder] += message.MayRemain() ? 1 : 0;
    for (const auto& [folder, messages] : output)
        if (messages.size() > may_remain[folder])
            problems.push_back("in " + folder + ", " + std::to_string(messages.size()) + " messages where at most " +
                               std::to_string(may_remain[folder]) + " may remain: a message given up left a part");

    if (summary >= 0 && static_cast<size_t>(summary) != ledger.CountedMessages())
        problems.push_back("the summary says " + std::to_string(summary) + " but " +
                           std::to_string(ledger.CountedMessages()) + " messages were fully written");
    return problems;
}

void WriteCountedTexts(const Ledger& ledger, const std::string& directory)
{
    std::map<std::string, int> numbers;
    for (const LedgerMessage& message : ledger.messages) {
        if (!message.Counted()) continue;
        std::filesystem::path folder = std::filesystem::path(directory) / message.folder;
        std::filesystem::create_directories(folder);
        std::ofstream out(folder / (std::to_string(++numbers[message.folder]) + ".txt"), std::ios::binary);
        out << message.text;
    }
}

int CheckWithPython(Format format, const std::string& destination, const std::string& counted_directory)
{
    if (!std::filesystem::exists("/usr/bin/python3")) return -2;
    std::string command = std::string("/usr/bin/python3 '") + DOVAN_SOURCE_DIR +
                          "/tests/reliability/check_output.py' " + FormatName(format) + " '" + destination + "' '" +
                          counted_directory + "'";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace reliability
