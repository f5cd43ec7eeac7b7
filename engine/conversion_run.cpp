// The conversion run: source search, destination, the plugin's run-level calls, the folders in order, the summary.
#include "engine/conversion_run.h"

#include <new>

#include "engine/directory_path.h"
#include "engine/error_recovery.h"
#include "engine/folder_conversion.h"
#include "engine/folder_names.h"
#include "engine/folder_recovery.h"
#include "engine/folder_tree.h"
#include "engine/messages.h"
#include "engine/source_folder_list.h"
#include "engine/source_folders.h"
#include "engine/store_warm_up.h"

namespace engine {
namespace {

void ShowErrorMessage(FrontEnd& front_end, int id, platform::ErrorCode code)
{
    front_end.ShowMessage(id, MessageWithErrorText(LoadMessage(id), code));
}

std::string PositionText(int number, int total) { return std::to_string(number) + " / " + std::to_string(total); }

// One folder of the run: its file, the name the texts show, and how the writer gets it.
struct RunFolder {
    std::string file_name;    // empty: a folder of the tree that only holds subfolders
    std::string shown_name;   // the flat run's base name, or the folder's path
    std::string writer_name;  // what the scope passes to NewFolder in a flat run
    bool in_tree = false;
    FolderPlace place;
};

std::vector<RunFolder> FlatFolders(const std::vector<SourceFolder>& files)
{
    std::vector<RunFolder> folders;
    for (const SourceFolder& file : files) {
        // The writer gets a name that cannot lead out of the destination ("..dbx" would give ".").
        folders.push_back({file.file_name, file.base_name, WriterFolderName(file.base_name), false, {}});
    }
    return folders;
}

std::vector<RunFolder> TreeFolders(const std::vector<dbx::FolderRecord>& list, const std::vector<SourceFolder>& files,
                                   const RunOptions& options)
{
    std::vector<TreeFolder> tree = BuildFolderTree(list, files, TreeOptions{options.code_page});
    std::vector<RunFolder> folders;
    for (size_t i = 0; i < tree.size(); ++i) {
        RunFolder folder;
        folder.file_name = tree[i].file_name;
        folder.shown_name = ShownPathText(tree, i);
        folder.in_tree = true;
        folder.place.path = WriterPath(tree, i);
        folder.place.has_subfolders = tree[i].has_subfolders;
        for (const std::string& part : folder.place.path)
            folder.place.flat_name += (folder.place.flat_name.empty() ? "" : "=") + part;
        folders.push_back(std::move(folder));
    }
    return folders;
}

std::vector<RunFolder> ListRunFolders(const char* source, const RunOptions& options)
{
    std::vector<SourceFolder> files = FindSourceFolders(source);
    std::vector<dbx::FolderRecord> list;
    if (files.empty() || options.layout == FolderLayout::Flat || !ReadSourceFolderList(source, list))
        return FlatFolders(files);
    return TreeFolders(list, files, options);
}

// A folder of the tree whose turn ends without a message, but which has subfolders, is still announced to a
// writer that keeps the tree: the folders below need it.
void AnnounceParent(const WriterPlugin& plugin, FolderScope& scope)
{
    if (scope.state != ScopeState::NothingOpen || !scope.place || !scope.place->has_subfolders || !plugin.NewTreeFolder)
        return;
    if (OpenWriterFolder(plugin, scope.folder_name, scope.place) != 0) scope.state = ScopeState::FolderOpen;
}

// The files of the run's folders, in the order they are converted.
std::vector<std::string> FilePaths(const char* source, const std::vector<RunFolder>& folders)
{
    std::vector<std::string> paths;
    for (const RunFolder& folder : folders)
        if (!folder.file_name.empty()) paths.push_back(SourceFilePath(source, folder.file_name));
    return paths;
}

// Everything of a run between the source search and the summary; the caller restores the current directory.
RunOutcome ConvertAll(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end,
                      const RunOptions& options)
{
    std::vector<RunFolder> folders = ListRunFolders(source, options);
    int count = 0;
    for (const RunFolder& folder : folders)
        if (!folder.file_name.empty()) ++count;
    if (count == 0) {
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
    int number = 0;
    StoreWarmUp* warm_up = StartWarmingUp(FilePaths(source, folders));
    for (const RunFolder& folder : folders) {
        const char* writer_name = folder.in_tree ? folder.shown_name.c_str() : folder.writer_name.c_str();
        FolderScope scope = MakeFolderScope(plugin, writer_name);
        if (folder.in_tree) scope.place = &folder.place;
        if (folder.file_name.empty()) {
            AnnounceParent(plugin, scope);
            EndFolder(scope);
            continue;
        }
        ++number;
        front_end.FolderStarted(folder.shown_name.c_str(), number, count, PositionText(number, count));
        std::string path = SourceFilePath(source, folder.file_name);
        WarmUpFrom(warm_up, static_cast<size_t>(number - 1));
        if (!ConvertFolder(front_end, path.c_str(), scope, total)) {
            StopWarmingUp(warm_up);
            // Stopping: FinishConvert comes before the last folder is closed, on this path only.
            if (plugin.FinishConvert) plugin.FinishConvert();
            EndFolder(scope);
            return RunOutcome::Stopped;
        }
        front_end.ProgressChanged(100);
        AnnounceParent(plugin, scope);
        EndFolder(scope);
        // Stopping during recovery: RecoverFolder has finished the plugin and closed its folder already.
        if (options.recover && !RecoverFolder(front_end, path.c_str(), folder.shown_name.c_str(), writer_name,
                                              scope.place, plugin, scope.cut_by_damage)) {
            StopWarmingUp(warm_up);
            return RunOutcome::Stopped;
        }
    }
    StopWarmingUp(warm_up);

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

RunOutcome RunConversion(const char* source, const char* destination, const WriterPlugin& plugin, FrontEnd& front_end,
                         const RunOptions& options)
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
    auto* request =
        new (std::nothrow) ConversionRequest{source ? source : "", destination ? destination : "", &plugin, &front_end};
    if (!request) platform::SetLastError(platform::kErrorNotEnoughMemory);
    if (request && platform::StartDetachedThread(ConversionThread, request)) return true;
    platform::ErrorCode code = platform::LastError();
    delete request;
    ShowErrorMessage(front_end, kMsgThreadFailed, code);
    return false;
}

}  // namespace engine
