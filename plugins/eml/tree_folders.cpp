#include "plugins/eml/tree_folders.h"

#include <cstring>

#include "platform/platform.h"
#include "plugins/common/tree_position.h"
#include "plugins/eml/writer.h"

namespace eml {

namespace {

plugins::TreePosition g_position;

bool EndsWithFolded(const char* name, size_t length, const char* tail)
{
    size_t tail_length = std::strlen(tail);
    if (length < tail_length) return false;
    for (size_t i = 0; i < tail_length; ++i) {
        char c = name[length - tail_length + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != tail[i]) return false;
    }
    return true;
}

// The shapes of the names FormMessageName and FormSubjectName give.
bool LooksLikeMessageFile(const char* name)
{
    size_t length = std::strlen(name);
    if (EndsWithFolded(name, length, ".eml") || EndsWithFolded(name, length, ".nws")) return true;
    if (length == 0) return false;
    for (size_t i = 0; i < length; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

}  // namespace

void ForgetTreeFolders() { plugins::ForgetTreePosition(g_position); }

bool LeaveTreeFolders() { return plugins::ReturnToDestination(g_position); }

std::string TreeDirectoryName(const char* name, bool nested)
{
    std::string directory = name;
    if (nested && LooksLikeMessageFile(name)) directory += '_';
    return directory;
}

bool OpenTreeFolder(const char* const* path, uint32_t depth, uint32_t /*flags: subfolders need nothing now*/)
{
    if (!plugins::IsUsableTreePath(path, depth)) return false;
    ClearFolderState();
    if (!LeaveTreeFolders()) return false;
    for (uint32_t level = 0; level < depth; ++level)
        if (!plugins::EnterTreeDirectory(g_position, TreeDirectoryName(path[level], level > 0))) return false;
    return true;
}

}  // namespace eml
