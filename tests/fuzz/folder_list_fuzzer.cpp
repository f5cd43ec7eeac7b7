// Reads any input as a store's folder list and builds the run's folder tree from it, as a run that keeps the
// tree does: the index walk, every record decoded from its bytes, then placement against a few source files.
// Besides crashes and sanitizer reports it traps when the results grow out of proportion to the input.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "dbx/folder_list.h"
#include "engine/folder_tree.h"
#include "tests/fuzz/fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    platform::FileHandle file = FuzzInputFile(data, size);
    if (file == platform::kNoFile) return 0;
    dbx::DbxFile store;
    if (!dbx::OpenDbxFile(store, file)) return 0;
    std::vector<dbx::FolderRecord> list = dbx::ReadFolderList(store);
    // Every record costs at least one 12-byte index entry of the file.
    if (list.size() > size / 12 + 1) __builtin_trap();

    static const std::vector<engine::SourceFolder> files = {
        {"Inbox.dbx", "Inbox"}, {"outbox.DBX", "outbox"}, {"a.dbx", "a"}, {"Unlisted.dbx", "Unlisted"}};
    std::vector<engine::TreeFolder> tree = engine::BuildFolderTree(list, files, {});
    // Each file once; besides them only folders of the list, each parent before its subfolders, never deeper
    // than the limit.
    size_t with_files = 0;
    for (size_t i = 0; i < tree.size(); ++i) {
        const engine::TreeFolder& folder = tree[i];
        if (!folder.file_name.empty()) ++with_files;
        if (folder.parent != engine::kNoParentFolder && folder.parent >= i) __builtin_trap();
        if (folder.depth == 0 || folder.depth > engine::kMaxFolderDepth || folder.writer_name.empty()) __builtin_trap();
    }
    if (with_files != files.size() || tree.size() > list.size() + files.size()) __builtin_trap();
    return 0;
}
