// Whole conversions of damaged stores through the engine: the input is a .dbx file, converted by RunConversion
// into a writer that checks the calling order and every piece (1 to 2048 bytes, bytes of the file, no message
// longer than the file), and that now and then fails a call. The error questions are answered from the input:
// at most a few retries in a row, then a skip, so that every run ends.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "engine/conversion_run.h"

namespace fs = std::filesystem;

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

// What the checking writer knows of the run.
struct RunState {
    const uint8_t* file = nullptr;
    size_t file_size = 0;
    uint32_t failure_pattern = 0;  // bit k set: call number k (mod 32) fails
    uint32_t calls = 0;
    bool started = false;
    bool folder_open = false;
    bool message_open = false;
    uint64_t message_bytes = 0;
    uint32_t finished_messages = 0;
};
RunState g_run;

int Answer()
{
    bool fail = (g_run.failure_pattern >> (g_run.calls++ % 32)) & 1;
    if (fail) platform::SetLastError(5);
    return fail ? 0 : 1;
}

int DOVAN_CALL StartConvert(const char*)
{
    Check(!g_run.started);
    g_run.started = true;
    return 1;
}

int DOVAN_CALL NewFolder(const char* name)
{
    Check(g_run.started && !g_run.folder_open && name != nullptr);
    // The name cannot lead anywhere but into a folder of the destination.
    Check(std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0 && name[0] != '\0' && !std::strchr(name, '/'));
    if (!Answer()) return 0;
    g_run.folder_open = true;
    return 1;
}

int DOVAN_CALL NewMessage(uint32_t kind)
{
    Check(g_run.folder_open && !g_run.message_open && (kind == 1 || kind == 2));
    if (!Answer()) return 0;
    g_run.message_open = true;
    g_run.message_bytes = 0;
    return 1;
}

int DOVAN_CALL AppendBuffer(const void* data, uint32_t length)
{
    Check(g_run.message_open && length >= 1 && length <= 2048);
    const auto* bytes = static_cast<const uint8_t*>(data);
    bool closing_line_end = length == 2 && bytes[0] == '\r' && bytes[1] == '\n';
    // Every byte handed on was read from the file (memmem over the input: it is small).
    Check(closing_line_end || memmem(g_run.file, g_run.file_size, bytes, length) != nullptr);
    g_run.message_bytes += length;
    Check(g_run.message_bytes <= g_run.file_size + 2);
    return Answer();
}

int DOVAN_CALL FinishMessage(void)
{
    Check(g_run.message_open);
    g_run.message_open = false;
    int result = Answer();
    g_run.finished_messages += result;
    return result;
}

int DOVAN_CALL FinishFolder(void)
{
    Check(g_run.folder_open && !g_run.message_open);
    g_run.folder_open = false;
    return 1;
}

int DOVAN_CALL FinishConvert(void)
{
    Check(g_run.started);
    return 1;
}

class AnsweringFrontEnd : public engine::FrontEnd {
public:
    uint32_t answers = 0;  // bits: the choice for each question, two at a time
    int retries_in_a_row = 0;
    int questions = 0;

    void FolderStarted(const char*, int, int, const std::string&) override { retries_in_a_row = 0; }
    void ProgressChanged(unsigned position) override { Check(position <= 100); }
    engine::ErrorAnswer AskError(const engine::ErrorQuestion&) override
    {
        Check(++questions < 100000);
        static const engine::ErrorChoice kChoices[] = {engine::ErrorChoice::Retry, engine::ErrorChoice::SkipMail,
                                                       engine::ErrorChoice::SkipFolder, engine::ErrorChoice::Retry};
        engine::ErrorChoice choice = kChoices[(answers >> ((questions * 2) % 32)) & 3];
        if (choice == engine::ErrorChoice::Retry && ++retries_in_a_row > 3) choice = engine::ErrorChoice::SkipMail;
        if (choice != engine::ErrorChoice::Retry) retries_in_a_row = 0;
        return {choice, false};
    }
    void ShowMessage(int, const std::string&) override {}
    void MessageSkipped(const char*, uint32_t) override {}
    void FolderSkipped(const char*) override {}
    void FolderDamaged(const char*) override {}
    void RunFinished(engine::RunOutcome) override {}
};

fs::path g_root;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_root = fs::temp_directory_path() / ("dovan-fuzz-run-" + std::to_string(::getpid()));
    fs::create_directories(g_root / "store");
    // The scratch folder goes when the fuzzer ends normally.
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(g_root, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The last eight bytes steer the failures and the answers; all of the input is the store.
    uint32_t failures = 0, answers = 0;
    if (size >= 8) {
        std::memcpy(&failures, data + size - 8, 4);
        std::memcpy(&answers, data + size - 4, 4);
    }
    {
        std::ofstream out(g_root / "store" / "Inbox.dbx", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    g_run = RunState{};
    g_run.file = data;
    g_run.file_size = size;
    // Rare failures: a failing call stands for a writer in trouble, not the rule.
    g_run.failure_pattern = failures & (failures >> 7) & (failures >> 13);

    engine::WriterPlugin plugin;
    plugin.StartConvert = StartConvert;
    plugin.NewFolder = NewFolder;
    plugin.NewMessage = NewMessage;
    plugin.AppendBuffer = AppendBuffer;
    plugin.FinishMessage = FinishMessage;
    plugin.FinishFolder = FinishFolder;
    plugin.FinishConvert = FinishConvert;

    AnsweringFrontEnd front_end;
    front_end.answers = answers;
    std::string source = (g_root / "store").string();
    std::string destination = (g_root / "out").string();
    engine::RunOutcome outcome = engine::RunConversion(source.c_str(), destination.c_str(), plugin, front_end);
    Check(outcome == engine::RunOutcome::Completed || outcome == engine::RunOutcome::Stopped);
    // Everything opened was closed again.
    Check(!g_run.folder_open && !g_run.message_open);
    return 0;
}
