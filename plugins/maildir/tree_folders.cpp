#include "plugins/maildir/tree_folders.h"

#include "platform/platform.h"
#include "plugins/common/tree_position.h"
#include "plugins/maildir/maildir_writer.h"

namespace maildir {

namespace {

bool IsInboxName(const char* name)
{
    const char* inbox = "inbox";
    for (; *name && *inbox; ++name, ++inbox) {
        char c = *name;
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != *inbox) return false;
    }
    return *name == *inbox;
}

}  // namespace

std::string TreeMaildirDirectory(const char* const* path, uint32_t depth)
{
    bool below_inbox = IsInboxName(path[0]);
    if (depth == 1 && below_inbox) return ".";
    std::string directory = below_inbox ? ".INBOX" : "";
    for (uint32_t level = below_inbox ? 1 : 0; level < depth; ++level) {
        directory += '.';
        for (const char* c = path[level]; *c; ++c) directory += *c == '.' ? '_' : *c;
    }
    return directory;
}

bool OpenTreeFolder(MaildirRun& run, const char* const* path, uint32_t depth)
{
    if (!CloseFolder(run)) return false;
    if (!plugins::IsUsableTreePath(path, depth)) return false;
    return EnterMaildir(run, TreeMaildirDirectory(path, depth).c_str());
}

}  // namespace maildir
