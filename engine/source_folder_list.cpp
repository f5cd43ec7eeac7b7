#include "engine/source_folder_list.h"

#include "engine/source_folders.h"
#include "platform/platform.h"

namespace engine {
namespace {

constexpr char kFolderListName[] = "folders.dbx";

// The folder list's name as the directory spells it; empty when there is none.
std::string FolderListFileName(const char* source)
{
    std::vector<platform::DirEntry> entries;
    if (!source || !*source || !platform::ListDirectory(source, entries)) return {};
    for (platform::DirEntry& entry : entries) {
        if (entry.is_directory) continue;
        std::string lowered = entry.name;
        platform::LowerBytes(lowered.data(), lowered.size());
        if (lowered == kFolderListName) return entry.name;
    }
    return {};
}

}  // namespace

bool ReadSourceFolderList(const char* source, std::vector<dbx::FolderRecord>& list)
{
    list.clear();
    std::string name = FolderListFileName(source);
    if (name.empty()) return false;
    platform::FileHandle file = platform::OpenForReading(SourceFilePath(source, name).c_str());
    if (file == platform::kNoFile) return false;
    dbx::DbxFile dbx;
    bool read = dbx::OpenDbxFile(dbx, file) && dbx::IsFolderList(dbx);
    if (read) list = dbx::ReadFolderList(dbx);
    dbx::CloseDbxFile(dbx);
    platform::CloseFile(file);
    return read;
}

}  // namespace engine
