#include "plugins/eml/taken_names.h"

#include <new>
#include <vector>

#include "platform/platform.h"

namespace eml {
namespace {

std::string Folded(const char* name)
{
    std::string folded = name;
    platform::LowerBytes(folded.data(), folded.size());
    return folded;
}

std::string SuffixKey(const char* base, const char* extension)
{
    // A base name never holds a path separator, so the key is unambiguous.
    return Folded(base) + "/" + extension;
}

}  // namespace

void ForgetFolderNames(FolderNames& names)
{
    // Swapped out rather than cleared, so that a large folder's memory is given back.
    names.loaded = false;
    std::unordered_set<std::string>().swap(names.folded);
    std::unordered_map<std::string, uint32_t>().swap(names.next_suffix);
}

bool LoadFolderNames(FolderNames& names)
{
    try {
        std::vector<platform::DirEntry> entries;
        if (!platform::ListDirectory(".", entries)) return false;
        for (const auto& entry : entries) names.folded.insert(Folded(entry.name.c_str()));
        names.loaded = true;
        return true;
    } catch (const std::bad_alloc&) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
}

bool CheckNameTaken(const FolderNames& names, const char* name, bool* taken)
{
    *taken = platform::LookUpPath(name) != platform::PathKind::Missing;
    if (*taken) return true;
    try {
        *taken = names.folded.count(Folded(name)) != 0;
        return true;
    } catch (const std::bad_alloc&) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
}

bool RememberName(FolderNames& names, const char* name)
{
    try {
        names.folded.insert(Folded(name));
        return true;
    } catch (const std::bad_alloc&) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
}

bool NextSuffix(FolderNames& names, const char* base, const char* extension, uint32_t* k)
{
    try {
        auto found = names.next_suffix.find(SuffixKey(base, extension));
        *k = found == names.next_suffix.end() ? 1 : found->second;
        return true;
    } catch (const std::bad_alloc&) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
}

bool SetNextSuffix(FolderNames& names, const char* base, const char* extension, uint32_t k)
{
    try {
        names.next_suffix[SuffixKey(base, extension)] = k;
        return true;
    } catch (const std::bad_alloc&) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        return false;
    }
}

}  // namespace eml
