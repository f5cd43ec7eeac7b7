// CreateDirectoryPath: the run's destination, created level by level.
#include "engine/directory_path.h"

#include <vector>

#include "platform/platform.h"

namespace engine {
namespace {

// One level of the path: an existing directory is fine, a file in its place is not, a missing one is created.
bool EnsureDirectory(const std::string& level)
{
    platform::PathKind kind = platform::LookUpPath(level.c_str());
    if (kind == platform::PathKind::Directory) return true;
    if (kind == platform::PathKind::File) {
        platform::SetLastError(platform::kErrorAlreadyExists);
        return false;
    }
    if (platform::CreateDir(level.c_str())) return true;
    // Someone else may have created it in the meantime; that is as good.
    platform::ErrorCode code = platform::LastError();
    if (platform::LookUpPath(level.c_str()) == platform::PathKind::Directory) return true;
    platform::SetLastError(code);
    return false;
}

}  // namespace

bool CreateDirectoryPath(std::string& path)
{
    int root_separators = platform::RootSeparatorCount(path.c_str());
    if (root_separators < 0) {
        platform::SetLastError(platform::kErrorBadPathname);
        return false;
    }

    // Found by character, so that the second byte of a double-byte character is never taken for a separator.
    std::vector<size_t> separators;
    for (const char* c = path.c_str(); *c; c = platform::NextChar(c))
        if (platform::IsPathSeparator(*c)) separators.push_back(static_cast<size_t>(c - path.c_str()));
    for (size_t at : separators) path[at] = platform::kPathSeparator;

    // The root ("/", "C:\", "\\server\share\") names nothing to create. A path that is all root stays as it is,
    // its separator included, so that a bare root remains a usable destination.
    size_t root_count = static_cast<size_t>(root_separators);
    if (separators.size() < root_count) return true;
    size_t root_end = root_count == 0 ? 0 : separators[root_count - 1] + 1;

    // No trailing separator beyond the root.
    while (separators.size() > root_count && separators.back() + 1 == path.size()) {
        path.resize(separators.back());
        separators.pop_back();
    }
    if (path.size() == root_end) return true;

    // Every level is looked up, outermost first, even below levels that exist.
    for (size_t i = root_count; i < separators.size(); ++i) {
        size_t at = separators[i];
        bool doubled = at > 0 && i > 0 && separators[i - 1] + 1 == at;
        if (doubled) continue;  // "a//b": the level before was handled at the first separator
        if (!EnsureDirectory(path.substr(0, at))) return false;
    }
    return EnsureDirectory(path);
}

}  // namespace engine
