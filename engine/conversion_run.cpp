// The conversion run: source search, destination, the plugin's run-level calls, the folders in order, the summary.
#include "engine/conversion_run.h"

#include <new>

#include "engine/error_recovery.h"
#include "engine/folder_conversion.h"
#include "engine/folder_names.h"
#include "engine/folder_recovery.h"
#include "engine/messages.h"
#include "engine/source_folders.h"

namespace engine {
namespace {

void ShowErrorMessage(FrontEnd& front_end, int id, platform::ErrorCode code)
{
    front_end.ShowMessage(id, MessageWithErrorText(LoadMessage(id), code));
}

std::string PositionText(int number, int total)
{
    return std::to_string(number) + " / " + std::to_string(total);
}

// Everything of a run between the source search and the summary; the caller restores the current directory.
RunOutcome ConvertAll(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end,
                      const RunOptions& options)
{
    std::vector<SourceFolder> folders = FindSourceFolders(source);
    if (folders.empty()) {
        front_end.ShowMessage(kMsgNoDbxFiles, LoadMessage(kMsgNoDbxFiles));
        return RunOutcome::NothingToConvert;
    }

    std::string target = destination ? destination : "";
    if (!CreateDirectoryPath(target)) {
        ShowErrorMessage(front_end, kMsgCannotCreateDirectory, platform::LastError());
        return RunOutcome::DestinationFailed;
    }

    ForgetAfterAllChoice();
    if (plugin.StartConvert(target.c_str()) == 0) {
        // The plugin never started: FinishConvert is not called.
        ShowErrorMessage(front_end, kMsgFailedToConvert, platform::LastError());
        return RunOutcome::StartFailed;
    }

    uint32_t total = 0;
    int count = static_cast<int>(folders.size());
    for (int number = 1; number <= count; ++number) {
        const SourceFolder& folder = folders[static_cast<size_t>(number - 1)];
        front_end.FolderStarted(folder.base_name.c_str(), number, count, PositionText(number, count));
        // The writer gets a name that cannot lead out of the destination ("..dbx" would give ".").
        std::string writer_name = WriterFolderName(folder.base_name);
        FolderScope scope = MakeFolderScope(plugin, writer_name.c_str());
        std::string path = SourceFilePath(source, folder.file_name);
        if (!ConvertFolder(front_end, path.c_str(), scope, total)) {
            // Stopping: FinishConvert comes before the last folder is closed, on this path only.
            if (plugin.FinishConvert) plugin.FinishConvert();
            EndFolder(scope);
            return RunOutcome::Stopped;
        }
        front_end.ProgressChanged(100);
        EndFolder(scope);
        // Stopping during recovery: RecoverFolder has finished the plugin and closed its folder already.
        if (options.recover && !RecoverFolder(front_end, path.c_str(), folder.base_name.c_str(), writer_name, plugin))
            return RunOutcome::Stopped;
    }

    if (plugin.FinishConvert) plugin.FinishConvert();
    front_end.ShowMessage(kMsgConverted, FormatMessageNumber(kMsgConverted, total));
    return RunOutcome::Completed;
}

struct ConversionRequest {
    std::string source;
    std::string destination;
    const WriterPlugin* plugin;
    FrontEnd* front_end;
};

void ConversionThread(void* argument)
{
    // The worker owns the request from here on and frees it whatever the run's outcome.
    auto* request = static_cast<ConversionRequest*>(argument);
    RunConversion(request->source.c_str(), request->destination.c_str(), *request->plugin, *request->front_end);
    delete request;
}

}  // namespace

RunOutcome RunConversion(const char* source, const char* destination, const WriterPlugin& plugin,
                         FrontEnd& front_end)
{
    return RunConversion(source, destination, plugin, front_end, RunOptions{});
}

RunOutcome RunConversion(const char* source, const char* destination, const WriterPlugin& plugin,
                         FrontEnd& front_end, const RunOptions& options)
{
    // The writers move the current directory during a run; the run puts it back.
    std::string saved_directory;
    bool saved = platform::GetCurrentDir(saved_directory);
    RunOutcome outcome = ConvertAll(source, destination, plugin, front_end, options);
    if (saved) platform::SetCurrentDir(saved_directory.c_str());
    front_end.RunFinished(outcome);
    return outcome;
}

bool StartConversion(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end)
{
    auto* request = new (std::nothrow)
        ConversionRequest{source ? source : "", destination ? destination : "", &plugin, &front_end};
    if (!request) platform::SetLastError(platform::kErrorNotEnoughMemory);
    if (request && platform::StartDetachedThread(ConversionThread, request)) return true;
    platform::ErrorCode code = platform::LastError();
    delete request;
    ShowErrorMessage(front_end, kMsgThreadFailed, code);
    return false;
}

}  // namespace engine
