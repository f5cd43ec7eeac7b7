// Building the run's folder tree from the folder list: parents resolved without recursion, folders without
// files pruned, names decoded and made unique among siblings.
#include "engine/folder_tree.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "engine/folder_names.h"
#include "platform/code_pages.h"
#include "platform/platform.h"

namespace engine {
namespace {

constexpr size_t kNone = static_cast<size_t>(-1);
constexpr size_t kTop = static_cast<size_t>(-2);  // a placement: the top level of the destination

constexpr char kDbxExtension[] = ".dbx";

// How a listed record hangs in the list's own tree.
enum class Link { Root, RootChild, Parent, Cut };

struct Node {
    Link link = Link::Parent;
    size_t parent = kNone;     // Link::Parent: the parent's index in the list
    size_t placed_in = kNone;  // where the folder goes: kTop, a list index, or kNone when it is no folder
    size_t file = kNone;       // the source file it claimed
    bool appears = false;
    size_t depth = 0;
};

std::string Lowered(std::string text)
{
    platform::LowerBytes(text.data(), text.size());
    return text;
}

// Each record's link to its parent; chains that end at no listed folder or that close on themselves are cut.
void LinkParents(const std::vector<dbx::FolderRecord>& list, std::vector<Node>& nodes)
{
    std::unordered_map<uint32_t, size_t> by_id;
    std::unordered_set<uint32_t> root_ids;
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].parent_id == dbx::kNoParent) root_ids.insert(list[i].id);
        else if (list[i].id != 0) by_id.emplace(list[i].id, i);  // the first of repeated ids is the one named
    }
    for (size_t i = 0; i < list.size(); ++i) {
        uint32_t parent = list[i].parent_id;
        if (parent == dbx::kNoParent) {
            nodes[i].link = Link::Root;
        } else if (parent == 0 || root_ids.count(parent)) {
            nodes[i].link = Link::RootChild;
        } else {
            auto found = by_id.find(parent);
            nodes[i].link = found == by_id.end() ? Link::Cut : Link::Parent;
            if (found != by_id.end()) nodes[i].parent = found->second;
        }
    }
    // Walk up from each folder not yet settled; a walk that meets its own trail has found a cycle and cuts it
    // where it closes.
    enum : char { Open, Walking, Settled };
    std::vector<char> state(list.size(), Open);
    std::vector<size_t> trail;
    for (size_t start = 0; start < list.size(); ++start) {
        size_t at = start;
        while (state[at] == Open) {
            state[at] = Walking;
            trail.push_back(at);
            if (nodes[at].link != Link::Parent) break;
            size_t up = nodes[at].parent;
            if (state[up] == Walking) {
                nodes[at].link = Link::Cut;
                break;
            }
            at = up;
        }
        for (size_t settled : trail) state[settled] = Settled;
        trail.clear();
    }
}

bool IsLocalContainer(const dbx::FolderRecord& record, const Node& node)
{
    return node.link == Link::RootChild && record.store_kind == dbx::kStoreLocal;
}

// Where each folder goes. Nothing is placed in a root record or a local container: a child of a root record is
// a root child, and a child of the local container goes to the top.
void PlaceFolders(const std::vector<dbx::FolderRecord>& list, std::vector<Node>& nodes)
{
    for (size_t i = 0; i < list.size(); ++i) {
        Node& node = nodes[i];
        switch (node.link) {
        case Link::Root:
            break;  // the root is no folder
        case Link::RootChild:
            node.placed_in = IsLocalContainer(list[i], node) ? kNone : kTop;
            break;
        case Link::Cut:
            node.placed_in = kTop;
            break;
        case Link::Parent: {
            size_t parent = node.parent;
            bool local = IsLocalContainer(list[parent], nodes[parent]);
            node.placed_in = local ? kTop : parent;
            break;
        }
        }
    }
}

// Each listed file name claims the source file of that name (letter case aside), the first folder listing it
// winning; the folder and every folder above it appear.
void ClaimFiles(const std::vector<dbx::FolderRecord>& list, const std::vector<SourceFolder>& files,
                std::vector<Node>& nodes, std::vector<bool>& claimed)
{
    std::unordered_map<std::string, size_t> by_name;
    for (size_t f = 0; f < files.size(); ++f) by_name.emplace(Lowered(files[f].file_name), f);
    for (size_t i = 0; i < list.size(); ++i) {
        if (nodes[i].placed_in == kNone || list[i].file_name.empty()) continue;
        auto found = by_name.find(Lowered(list[i].file_name));
        if (found == by_name.end() || claimed[found->second]) continue;
        claimed[found->second] = true;
        nodes[i].file = found->second;
        for (size_t at = i; at != kTop && !nodes[at].appears; at = nodes[at].placed_in) nodes[at].appears = true;
    }
}

// Children of each placement in list order; the top level is the last list.
std::vector<std::vector<size_t>> ChildLists(const std::vector<Node>& nodes)
{
    std::vector<std::vector<size_t>> children(nodes.size() + 1);
    for (size_t i = 0; i < nodes.size(); ++i)
        if (nodes[i].appears) children[nodes[i].placed_in == kTop ? nodes.size() : nodes[i].placed_in].push_back(i);
    return children;
}

// Folders deeper than the limit move to the top level, their subfolders with them.
void LimitDepth(std::vector<Node>& nodes)
{
    std::vector<std::vector<size_t>> children = ChildLists(nodes);
    std::vector<size_t> stack(children.back().rbegin(), children.back().rend());
    for (size_t top : stack) nodes[top].depth = 1;
    while (!stack.empty()) {
        size_t at = stack.back();
        stack.pop_back();
        for (size_t child : children[at]) {
            nodes[child].depth = nodes[at].depth + 1;
            if (nodes[child].depth > kMaxFolderDepth) {
                nodes[child].placed_in = kTop;
                nodes[child].depth = 1;
            }
            stack.push_back(child);
        }
    }
}

// Gives out names unique among one folder's subfolders, letter case aside: " (2)", " (3)", ... in list order.
class SiblingNames {
public:
    // The suffix that makes the name free, and takes it: "" or " (n)".
    std::string Take(const std::string& writer_name)
    {
        std::string key = platform::FoldNameCase(writer_name);
        if (used_.insert(key).second) return {};
        size_t& next = next_number_[key];
        if (next < 2) next = 2;
        for (;; ++next) {
            std::string suffix = " (" + std::to_string(next) + ")";
            if (used_.insert(platform::FoldNameCase(writer_name + suffix)).second) return suffix;
        }
    }

private:
    std::unordered_set<std::string> used_;
    std::unordered_map<std::string, size_t> next_number_;
};

std::string BaseName(const std::string& file_name)
{
    size_t length = sizeof kDbxExtension - 1;
    if (file_name.size() > length && Lowered(file_name.substr(file_name.size() - length)) == kDbxExtension)
        return file_name.substr(0, file_name.size() - length);
    return file_name;
}

}  // namespace

std::vector<TreeFolder> BuildFolderTree(const std::vector<dbx::FolderRecord>& list,
                                        const std::vector<SourceFolder>& files, const TreeOptions& options)
{
    std::vector<Node> nodes(list.size());
    LinkParents(list, nodes);
    PlaceFolders(list, nodes);
    std::vector<bool> claimed(files.size(), false);
    ClaimFiles(list, files, nodes, claimed);
    LimitDepth(nodes);
    std::vector<std::vector<size_t>> children = ChildLists(nodes);

    // Depth-first in list order. The stack holds list indexes with the run index of their parent folder.
    std::vector<TreeFolder> folders;
    std::vector<SiblingNames> names(1);  // per emitted folder (its subfolders), and one for the top level last
    std::vector<size_t> name_set(nodes.size(), 0);
    struct Pending {
        size_t node;
        size_t parent;  // run index, kNoParentFolder at the top
    };
    std::vector<Pending> stack;
    const std::vector<size_t>& top = children.back();
    for (auto it = top.rbegin(); it != top.rend(); ++it) stack.push_back({*it, kNoParentFolder});
    const char* code_page = options.code_page.c_str();
    while (!stack.empty()) {
        Pending pending = stack.back();
        stack.pop_back();
        const dbx::FolderRecord& record = list[pending.node];
        std::string raw = record.name.empty() ? BaseName(record.file_name) : record.name;
        raw.resize(std::min(raw.size(), raw.find('\0')));  // a C string for the writer: no NUL inside
        TreeFolder folder;
        folder.parent = pending.parent;
        folder.depth = pending.parent == kNoParentFolder ? 1 : folders[pending.parent].depth + 1;
        folder.writer_name = WriterFolderName(platform::DecodeCodePage(code_page, raw, '_'));
        folder.shown_name = platform::DecodeCodePage(code_page, raw, '?');
        SiblingNames& siblings = pending.parent == kNoParentFolder ? names[0] : names[name_set[pending.parent]];
        std::string suffix = siblings.Take(folder.writer_name);
        folder.writer_name += suffix;
        folder.shown_name += suffix;
        if (nodes[pending.node].file != kNone) folder.file_name = files[nodes[pending.node].file].file_name;
        const std::vector<size_t>& below = children[pending.node];
        folder.has_subfolders = !below.empty();
        size_t index = folders.size();
        folders.push_back(std::move(folder));
        if (!below.empty()) {
            name_set[index] = names.size();
            names.emplace_back();
        }
        for (auto it = below.rbegin(); it != below.rend(); ++it) stack.push_back({*it, index});
    }

    // Files the list does not name: the flat run's folders, at the top level.
    for (size_t f = 0; f < files.size(); ++f) {
        if (claimed[f]) continue;
        TreeFolder folder;
        folder.writer_name = WriterFolderName(files[f].base_name);
        folder.shown_name = files[f].base_name;
        std::string suffix = names[0].Take(folder.writer_name);
        folder.writer_name += suffix;
        folder.shown_name += suffix;
        folder.file_name = files[f].file_name;
        folders.push_back(std::move(folder));
    }
    return folders;
}

std::vector<std::string> WriterPath(const std::vector<TreeFolder>& folders, size_t index)
{
    std::vector<std::string> path;
    for (size_t at = index; at != kNoParentFolder; at = folders[at].parent) path.push_back(folders[at].writer_name);
    std::reverse(path.begin(), path.end());
    return path;
}

std::vector<std::string> ShownPath(const std::vector<TreeFolder>& folders, size_t index)
{
    std::vector<std::string> path;
    for (size_t at = index; at != kNoParentFolder; at = folders[at].parent) path.push_back(folders[at].shown_name);
    std::reverse(path.begin(), path.end());
    return path;
}

std::string ShownPathText(const std::vector<TreeFolder>& folders, size_t index)
{
    std::string text;
    for (const std::string& name : ShownPath(folders, index)) text += (text.empty() ? "" : "/") + name;
    return text;
}

}  // namespace engine
