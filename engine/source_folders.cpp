#include "engine/source_folders.h"

#include <algorithm>
#include <cstring>

#include "engine/path_join.h"
#include "platform/platform.h"

namespace engine {
namespace {

constexpr char kDbxExtension[] = ".dbx";
constexpr size_t kDbxExtensionLength = 4;

// Store files that hold no messages: the folder list, offline operations, POP3 message ids.
constexpr const char* kNotMessageFolders[] = {"Folders", "Offline", "Pop3uidl"};

std::string Lowered(std::string text)
{
    platform::LowerBytes(text.data(), text.size());
    return text;
}

// Equal but for letter case. CompareNoCase orders such names (for a stable sort), so it is not asked here.
bool EqualNoCase(const std::string& a, const char* b) { return Lowered(a) == Lowered(b); }

bool HasDbxExtension(const std::string& name)
{
    return name.size() >= kDbxExtensionLength &&
           Lowered(name.substr(name.size() - kDbxExtensionLength)) == kDbxExtension;
}

}  // namespace

std::vector<SourceFolder> FindSourceFolders(const char* source)
{
    std::vector<SourceFolder> folders;
    std::vector<platform::DirEntry> entries;
    // An empty source names no folder (rather than the current or the root directory).
    if (!source || !*source || !platform::ListDirectory(source, entries)) return folders;

    for (platform::DirEntry& entry : entries) {
        if (entry.is_directory || !HasDbxExtension(entry.name)) continue;
        std::string base = entry.name.substr(0, entry.name.size() - kDbxExtensionLength);
        bool excluded = std::any_of(std::begin(kNotMessageFolders), std::end(kNotMessageFolders),
                                    [&](const char* name) { return EqualNoCase(base, name); });
        if (!excluded) folders.push_back({std::move(entry.name), std::move(base)});
    }
    std::stable_sort(folders.begin(), folders.end(), [](const SourceFolder& a, const SourceFolder& b) {
        return platform::CompareNoCase(a.base_name.c_str(), b.base_name.c_str()) < 0;
    });
    return folders;
}

std::string SourceFilePath(const char* source, const std::string& file_name) { return JoinPath(source, file_name); }

}  // namespace engine
