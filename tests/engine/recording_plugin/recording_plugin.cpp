// The recording writer (Dovanrecord): a test plugin that records every call made to it, with its arguments, and
// can be told to fail any call. It exports the eleven entry points, SetSetting, LoadPluginString and
// NewTreeFolder, writes no output, and moves the current directory into the destination in StartConvert, as the
// delivered writers do.
// A second build (DOVAN_RECORD_DISCARD) also exports DiscardMessage.
//
// In the tests' own process: the Record* exports of recording_control.h.
// From another process, through the environment, read when the library is loaded (and at RecordReset):
//   DOVAN_RECORD_LOG=<file>       appends one line per call: "<Entry>" or "<Entry> <argument>", and " FAILED <code>"
//                                 for a call made to fail. AppendBuffer's argument is "<length> <bytes in hex>".
//   DOVAN_RECORD_FAIL=<entry>:<nth>[:<code>][,...]
//                                 call number <nth> (1-based, counted since loading) of <entry> fails, leaving
//                                 the error code <code> (default EIO). Example: NewMessage:2,AppendBuffer:1:28
//   DOVAN_RECORD_DELAY_MS=<n>     sleeps n milliseconds in every NewMessage (time to press Ctrl-C in a run).
//   DOVAN_RECORD_FACTS=1          also logs each SetMessageFacts: "SetMessageFacts <present> <received> <sent>
//                                 <flags>" (hexadecimal). Without it the facts are kept apart from the calls, so
//                                 that the calling order that tests compare stays the eleven entry points'.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "plugin_api/dovan_plugin.h"
#include "tests/engine/recording_plugin/recording_control.h"

namespace {

struct Call {
    std::string entry;
    std::string argument;
    bool failed = false;
};

struct Failure {
    std::string entry;
    uint32_t nth = 0;
    uint32_t code = EIO;
};

struct TextSetting {
    int mode = 0;  // 0 none, 1 string id, 2 block
    uint32_t id = 0;
    std::string text;
};

struct Recorder {
    std::vector<Call> calls;
    std::vector<Failure> failures;
    std::map<std::string, uint32_t> counts;
    std::map<std::string, TextSetting> texts;
    std::string log_path;
    uint32_t delay_ms = 0;
    bool log_facts = false;
    std::vector<DovanMessageFacts> facts;  // every SetMessageFacts, in order
    RecordHookFn hook = nullptr;
    void* hook_context = nullptr;
};

Recorder& TheRecorder()
{
    static Recorder recorder;
    return recorder;
}

void ParseFailures(const char* text, std::vector<Failure>& failures)
{
    std::string rest = text;
    while (!rest.empty()) {
        size_t comma = rest.find(',');
        std::string item = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        size_t colon = item.find(':');
        if (colon == std::string::npos) continue;
        Failure failure;
        failure.entry = item.substr(0, colon);
        std::string numbers = item.substr(colon + 1);
        size_t second = numbers.find(':');
        failure.nth = static_cast<uint32_t>(std::strtoul(numbers.substr(0, second).c_str(), nullptr, 10));
        if (second != std::string::npos)
            failure.code = static_cast<uint32_t>(std::strtoul(numbers.substr(second + 1).c_str(), nullptr, 10));
        failures.push_back(failure);
    }
}

void ReadEnvironment(Recorder& recorder)
{
    const char* log = std::getenv("DOVAN_RECORD_LOG");
    recorder.log_path = log ? log : "";
    if (const char* fail = std::getenv("DOVAN_RECORD_FAIL")) ParseFailures(fail, recorder.failures);
    const char* delay = std::getenv("DOVAN_RECORD_DELAY_MS");
    recorder.delay_ms = delay ? static_cast<uint32_t>(std::strtoul(delay, nullptr, 10)) : 0;
    const char* facts = std::getenv("DOVAN_RECORD_FACTS");
    recorder.log_facts = facts && std::strcmp(facts, "1") == 0;
}

void ResetRecorder()
{
    Recorder& recorder = TheRecorder();
    recorder = Recorder{};
    recorder.texts["GetPluginName"] = {1, 1, ""};
    recorder.texts["GetNote"] = {1, 2, ""};
    ReadEnvironment(recorder);
}

__attribute__((constructor)) void LoadRecorder() { ResetRecorder(); }

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

void AppendToLog(const Recorder& recorder, const Call& call, uint32_t code)
{
    if (recorder.log_path.empty()) return;
    std::string line = call.entry;
    if (call.entry == "AppendBuffer") line += " " + std::to_string(call.argument.size()) + " " + Hex(call.argument);
    else if (!call.argument.empty()) line += " " + call.argument;
    if (call.failed) line += " FAILED " + std::to_string(code);
    line += "\n";
    if (FILE* log = std::fopen(recorder.log_path.c_str(), "ab")) {
        std::fwrite(line.data(), 1, line.size(), log);
        std::fclose(log);
    }
}

// Records one call; false (with errno set) when the call is to fail.
bool Record(const char* entry, std::string argument)
{
    Recorder& recorder = TheRecorder();
    uint32_t nth = ++recorder.counts[entry];
    uint32_t code = 0;
    bool failed = false;
    for (const Failure& failure : recorder.failures) {
        if (failure.entry == entry && failure.nth == nth) {
            failed = true;
            code = failure.code;
        }
    }
    recorder.calls.push_back({entry, std::move(argument), failed});
    AppendToLog(recorder, recorder.calls.back(), code);
    if (recorder.hook) recorder.hook(entry, nth, recorder.hook_context);
    // Last, so that nothing above disturbs the code the host reads.
    if (failed) errno = static_cast<int>(code);
    return !failed;
}

DovanTextResult TextResult(const char* entry)
{
    Record(entry, "");
    const TextSetting& setting = TheRecorder().texts[entry];
    if (setting.mode == 1) return setting.id;
    if (setting.mode == 2) return DovanTextBlock(setting.text.c_str());
    return 0;
}

const char* PluginString(uint32_t id, bool japanese)
{
    switch (id) {
    case 1:
        return japanese ? "記録する書き出し" : "Recording writer";
    case 2:
        return japanese ? "呼び出しをすべて記録します。" : "Records every call; writes nothing.";
    case 3:
        return japanese ? "どんな値でも受け付けます。" : "Any value is taken.";
    default:
        return nullptr;
    }
}

}  // namespace

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return TextResult("GetPluginName"); }
DOVAN_ENTRY(DovanTextResult) GetNote(void) { return TextResult("GetNote"); }
DOVAN_ENTRY(DovanTextResult) GetDefaultDestDir(void) { return TextResult("GetDefaultDestDir"); }
DOVAN_ENTRY(int) SettingDlg(DovanWindow) { return Record("SettingDlg", "") ? 1 : 0; }

DOVAN_ENTRY(int) StartConvert(const char* destination)
{
    if (!Record("StartConvert", destination)) return 0;
    return chdir(destination) == 0 ? 1 : 0;
}

DOVAN_ENTRY(int) NewFolder(const char* folder_name) { return Record("NewFolder", folder_name) ? 1 : 0; }

// Recorded as the path joined with "/", and " +subfolders" when the flag is set.
DOVAN_ENTRY(int) NewTreeFolder(const char* const* path, uint32_t depth, uint32_t flags)
{
    std::string argument;
    for (uint32_t i = 0; i < depth; ++i) argument += (i ? "/" : "") + std::string(path[i]);
    if (flags & DOVAN_FOLDER_HAS_SUBFOLDERS) argument += " +subfolders";
    return Record("NewTreeFolder", argument) ? 1 : 0;
}

DOVAN_ENTRY(int) NewMessage(uint32_t kind)
{
    uint32_t delay = TheRecorder().delay_ms;
    if (delay) std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    return Record("NewMessage", std::to_string(kind)) ? 1 : 0;
}

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length)
{
    return Record("AppendBuffer", std::string(static_cast<const char*>(data), length)) ? 1 : 0;
}

DOVAN_ENTRY(int) FinishMessage(void) { return Record("FinishMessage", "") ? 1 : 0; }
#ifdef DOVAN_RECORD_DISCARD
// Only in the build that takes messages back (Dovanrecord in tests/plugin-discard); the plain build lacks it, so
// that the host's behaviour without the export stays covered.
DOVAN_ENTRY(int) DiscardMessage(void) { return Record("DiscardMessage", "") ? 1 : 0; }
#endif
DOVAN_ENTRY(int) FinishFolder(void) { return Record("FinishFolder", "") ? 1 : 0; }
DOVAN_ENTRY(int) FinishConvert(void) { return Record("FinishConvert", "") ? 1 : 0; }
DOVAN_ENTRY(int) SetSetting(const char* value) { return Record("SetSetting", value) ? 1 : 0; }

DOVAN_ENTRY(int) SetOption(const char* name, const char* value)
{
    return Record("SetOption", std::string(name ? name : "") + "=" + (value ? value : "")) ? 1 : 0;
}

DOVAN_ENTRY(int) SetMessageFacts(const DovanMessageFacts* facts)
{
    Recorder& recorder = TheRecorder();
    DovanMessageFacts copy{};
    if (facts) std::memcpy(&copy, facts, std::min<size_t>(facts->size, sizeof copy));
    recorder.facts.push_back(copy);
    if (recorder.log_facts && !recorder.log_path.empty()) {
        char line[128];
        std::snprintf(line, sizeof line, "SetMessageFacts %x %llx %llx %x\n", copy.present,
                      static_cast<unsigned long long>(copy.received_time),
                      static_cast<unsigned long long>(copy.sent_time), copy.flags);
        if (FILE* log = std::fopen(recorder.log_path.c_str(), "ab")) {
            std::fputs(line, log);
            std::fclose(log);
        }
    }
    return 1;
}

DOVAN_ENTRY(int) LoadPluginString(uint32_t id, char* buffer, int size)
{
    if (!buffer || size <= 0) return 0;
    std::string text;
    if (id == 4) {
        for (size_t i = 0; i < kRecordLongStringLength; ++i) text += static_cast<char>('0' + i % 10);
    } else {
        const char* language = std::getenv("LC_ALL");
        if (!language || !*language) language = std::getenv("LC_MESSAGES");
        if (!language || !*language) language = std::getenv("LANG");
        const char* found = PluginString(id, language && std::strncmp(language, "ja", 2) == 0);
        if (!found) {
            buffer[0] = '\0';
            return 0;
        }
        text = found;
    }
    size_t length = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

// ---- Controls for in-process tests (recording_control.h) ---------------------------------------------------

DOVAN_ENTRY(void) RecordReset(void) { ResetRecorder(); }

DOVAN_ENTRY(void) RecordFailCall(const char* entry, uint32_t nth, uint32_t error_code)
{
    TheRecorder().failures.push_back({entry, nth, error_code});
}

DOVAN_ENTRY(size_t) RecordCallCount(void) { return TheRecorder().calls.size(); }

DOVAN_ENTRY(const char*) RecordCallEntry(size_t index)
{
    const Recorder& recorder = TheRecorder();
    return index < recorder.calls.size() ? recorder.calls[index].entry.c_str() : "";
}

DOVAN_ENTRY(const char*) RecordCallArgument(size_t index, size_t* length)
{
    const Recorder& recorder = TheRecorder();
    if (index >= recorder.calls.size()) {
        if (length) *length = 0;
        return "";
    }
    if (length) *length = recorder.calls[index].argument.size();
    return recorder.calls[index].argument.data();
}

DOVAN_ENTRY(int) RecordCallFailed(size_t index)
{
    const Recorder& recorder = TheRecorder();
    return index < recorder.calls.size() && recorder.calls[index].failed ? 1 : 0;
}

DOVAN_ENTRY(void) RecordSetText(const char* entry, int mode, uint32_t id, const char* text)
{
    TheRecorder().texts[entry] = {mode, id, text ? text : ""};
}

DOVAN_ENTRY(size_t) RecordFactsCount(void) { return TheRecorder().facts.size(); }

DOVAN_ENTRY(int) RecordFactsAt(size_t index, DovanMessageFacts* facts)
{
    const Recorder& recorder = TheRecorder();
    if (index >= recorder.facts.size() || !facts) return 0;
    *facts = recorder.facts[index];
    return 1;
}

DOVAN_ENTRY(void) RecordSetHook(RecordHookFn hook, void* context)
{
    TheRecorder().hook = hook;
    TheRecorder().hook_context = context;
}
