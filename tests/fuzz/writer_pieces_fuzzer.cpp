// Drives each delivered writer through its exports with messages cut into pieces anywhere, and checks what it
// wrote: eml and bmf output holds the texts byte for byte, and mbox output gives back every text once its From_
// line, its closing empty line and the quoting of its body lines are taken away; Maildir output holds the texts
// in cur/, each named with the flags handed to it, and nothing in tmp/.
//
// Input: which writer and setting, then messages (text bytes, kind, how the text is cut, which folder).
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "tests/plugins/common/writer_exports.h"

namespace fs = std::filesystem;

namespace {

struct Writer {
    const char* module;
    std::vector<const char*> settings;
    writer_test::WriterExports exports = {};
};

Writer g_writers[] = {
    {"Dovanmbox", {"from-quoting", "ignore-case", "pass-through"}},
    {"Dovaneml", {"sequence", "sequence-no-extension", "subject"}},
    {"Dovanbmf", {"0", "1", "640"}},
    {"Dovanmaildir", {"", "", ""}},  // no setting
};
constexpr size_t kMaildir = 3;
fs::path g_root;

struct Message {
    std::string text;          // as the host hands it on: ends with LF
    std::vector<size_t> cuts;  // piece lengths
    uint32_t kind = 1;
    size_t folder = 0;
    uint32_t flags = 0;  // DOVAN_MESSAGE_ bits handed to SetMessageFacts
};

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> Sorted(const fs::path& directory)
{
    std::vector<fs::path> entries;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory)) entries.push_back(entry.path());
    std::sort(entries.begin(), entries.end());
    return entries;
}

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

// ---- mbox: the text back from one message's output --------------------------------------------------------

bool IsEmptyLine(const std::string& line) { return line == "\r\n" || line == "\n"; }

bool NeedsQuote(const std::string& mode, const std::string& line)
{
    if (mode == "pass-through") return false;
    if (mode == "from-quoting") return line.compare(0, 5, "From ") == 0;
    size_t d = 0;
    while (d < line.size() && line[d] == '>') ++d;
    if (d + 4 > line.size()) return false;
    std::string word = line.substr(d, 4);
    for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return word == "from";
}

// Checks the output of message `text` at `at` and moves past it.
void CheckMboxMessage(const std::string& output, size_t& at, const std::string& text, const std::string& mode)
{
    Check(output.compare(at, 5, "From ") == 0);
    size_t from_line_end = output.find('\n', at);
    Check(from_line_end != std::string::npos);
    at = from_line_end + 1;
    bool in_header = true;
    for (size_t line_start = 0; line_start < text.size();) {
        size_t line_end = text.find('\n', line_start) + 1;  // every text ends with LF
        std::string line = text.substr(line_start, line_end - line_start);
        if (!in_header && NeedsQuote(mode, line)) Check(output.compare(at++, 1, ">") == 0);
        Check(output.compare(at, line.size(), line) == 0);
        at += line.size();
        if (in_header && IsEmptyLine(line)) in_header = false;
        line_start = line_end;
    }
    Check(output.compare(at, 2, "\r\n") == 0);
    at += 2;
}

// ---- One run -----------------------------------------------------------------------------------------------

void CheckOutput(size_t writer_index, const std::string& setting, const fs::path& destination,
                 const std::vector<std::string>& folders, const std::vector<Message>& messages)
{
    for (size_t f = 0; f < folders.size(); ++f) {
        std::vector<std::string> texts;
        for (const Message& message : messages)
            if (message.folder == f) texts.push_back(message.text);
        if (texts.empty()) continue;
        if (writer_index == 0) {
            std::string output = ReadFile(destination / (folders[f] + ".mbx"));
            size_t at = 0;
            for (const std::string& text : texts) CheckMboxMessage(output, at, text, setting);
            Check(at == output.size());
        } else if (writer_index == 1) {
            std::vector<std::string> found;
            for (const fs::path& file : Sorted(destination / folders[f])) found.push_back(ReadFile(file));
            if (setting == "subject") {
                // Named after subjects: the same texts, in an order of their names.
                std::sort(found.begin(), found.end());
                std::sort(texts.begin(), texts.end());
            } else if (setting == "sequence-no-extension") {
                // 1, 10, 11, 2, ...: in number order.
                std::vector<fs::path> files = Sorted(destination / folders[f]);
                std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
                    return std::stoul(a.filename().string()) < std::stoul(b.filename().string());
                });
                found.clear();
                for (const fs::path& file : files) found.push_back(ReadFile(file));
            }
            Check(found == texts);
        } else if (writer_index == kMaildir) {
            // Named in the order written, each with its flags as letters in ASCII order.
            Check(fs::is_empty(destination / folders[f] / "tmp") && fs::is_empty(destination / folders[f] / "new"));
            std::vector<fs::path> files = Sorted(destination / folders[f] / "cur");
            Check(files.size() == texts.size());
            size_t n = 0;
            for (const Message& message : messages) {
                if (message.folder != f) continue;
                std::string letters;
                const std::pair<uint32_t, char> kLetters[] = {{DOVAN_MESSAGE_DRAFT, 'D'},
                                                              {DOVAN_MESSAGE_FLAGGED, 'F'},
                                                              {DOVAN_MESSAGE_FORWARDED, 'P'},
                                                              {DOVAN_MESSAGE_ANSWERED, 'R'},
                                                              {DOVAN_MESSAGE_READ, 'S'}};
                for (const auto& [flag, letter] : kLetters)
                    if (message.flags & flag) letters += letter;
                std::string name = files[n].filename().string();
                Check(name.size() > letters.size() + 3 &&
                      name.compare(name.size() - letters.size() - 3, std::string::npos, ":2," + letters) == 0);
                Check(ReadFile(files[n]) == texts[n]);
                ++n;
            }
        } else {
            std::vector<fs::path> mailboxes = Sorted(destination);
            Check(mailboxes.size() == 1);
            std::string stored;
            for (const fs::path& file : Sorted(mailboxes[0] / folders[f])) stored += ReadFile(file);
            std::string expected;
            for (const std::string& text : texts) expected += text + "\r\n.\r\n";
            Check(stored == expected);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (Writer& writer : g_writers) {
        const writer_test::WriterExports& calls = writer.exports;
        if (!writer_test::LoadWriter(writer.module, writer.exports) || !calls.StartConvert || !calls.NewFolder ||
            !calls.NewMessage || !calls.AppendBuffer || !calls.FinishMessage || !calls.FinishFolder ||
            !calls.FinishConvert || (writer.settings[0][0] != '\0' && !calls.SetSetting))
            std::abort();
    }
    g_root = fs::temp_directory_path() / ("dovan-fuzz-writers-" + std::to_string(::getpid()));
    // The scratch folder goes when the fuzzer ends normally.
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    size_t writer_index = input.ConsumeIntegralInRange<size_t>(0, 3);
    const Writer& chosen = g_writers[writer_index];
    const writer_test::WriterExports& writer = chosen.exports;
    std::string setting = chosen.settings[input.ConsumeIntegralInRange<size_t>(0, 2)];
    if (writer.SetSetting) Check(writer.SetSetting(setting.c_str()) != 0);

    std::vector<std::string> folders = {"Inbox", "Sent Items"};
    std::vector<Message> messages;
    while (input.remaining_bytes() > 0 && messages.size() < 16) {
        Message message;
        message.folder = input.ConsumeBool() ? 1 : 0;
        message.kind = input.ConsumeBool() ? 2 : 1;
        if (writer.SetMessageFacts) message.flags = input.ConsumeIntegral<uint8_t>();
        message.text = input.ConsumeRandomLengthString(6000);
        if (message.text.empty()) continue;  // the host never opens a message for no text
        // The host's cuts: anywhere, at most 2048 bytes each, and CR LF after a text without a final LF.
        for (size_t left = message.text.size(); left > 0;) {
            size_t piece = input.ConsumeIntegralInRange<size_t>(1, std::min<size_t>(left, 2048));
            message.cuts.push_back(piece);
            left -= piece;
        }
        if (message.text.back() != '\n') {
            message.text += "\r\n";
            message.cuts.push_back(2);
        }
        messages.push_back(message);
    }
    // Folders are handed on one after the other: the messages of each in input order.
    std::stable_sort(messages.begin(), messages.end(),
                     [](const Message& a, const Message& b) { return a.folder < b.folder; });

    std::error_code ignored;
    fs::remove_all(g_root, ignored);
    fs::create_directories(g_root);
    std::string saved;
    platform::GetCurrentDir(saved);

    Check(writer.StartConvert(g_root.c_str()) != 0);
    size_t open_folder = SIZE_MAX;
    for (const Message& message : messages) {
        if (message.folder != open_folder) {
            if (open_folder != SIZE_MAX) writer.FinishFolder();
            Check(writer.NewFolder(folders[message.folder].c_str()) != 0);
            open_folder = message.folder;
        }
        if (writer.SetMessageFacts) {
            DovanMessageFacts facts{};
            facts.size = sizeof facts;
            facts.present = DOVAN_FACT_FLAGS;
            facts.flags = message.flags;
            writer.SetMessageFacts(&facts);
        }
        Check(writer.NewMessage(message.kind) != 0);
        size_t at = 0;
        for (size_t piece : message.cuts) {
            // A copy of its own, so that the sanitizer sees any read past the piece.
            std::vector<char> bytes(message.text.begin() + at, message.text.begin() + at + piece);
            Check(writer.AppendBuffer(bytes.data(), static_cast<uint32_t>(piece)) != 0);
            at += piece;
        }
        Check(writer.FinishMessage() != 0);
    }
    if (open_folder != SIZE_MAX) writer.FinishFolder();
    writer.FinishConvert();
    platform::SetCurrentDir(saved.c_str());

    CheckOutput(writer_index, setting, g_root, folders, messages);
    fs::remove_all(g_root, ignored);
    return 0;
}
