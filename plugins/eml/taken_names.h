// Which names of the current folder are taken, letter case ignored.
//
// Windows finds "hello.eml" when asked for "Hello.eml"; other file systems may not. Keeping the folder's names
// case-folded gives every platform the same idea of a taken name, and so the same output tree. The folder is
// listed once, at its first subject-named message, and every name given out afterwards is added.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace eml {

struct FolderNames {
    bool loaded = false;
    std::unordered_set<std::string> folded;  // entries of the folder, letters folded
    // For each base name and extension: the first "(k)" not yet known to be taken. Names are only ever added,
    // so a suffix found taken stays taken and the search never starts over from 1.
    std::unordered_map<std::string, uint32_t> next_suffix;
};

void ForgetFolderNames(FolderNames& names);

// Lists the current directory. False with the reason in the last-error code (a listing that fails, or
// kErrorNotEnoughMemory).
bool LoadFolderNames(FolderNames& names);

// Whether a file or folder of this name exists, in any letter case. False only when memory runs out.
bool CheckNameTaken(const FolderNames& names, const char* name, bool* taken);

// Adds a name that now exists. False only when memory runs out.
bool RememberName(FolderNames& names, const char* name);

// The suffix search state of one base name and extension.
bool NextSuffix(FolderNames& names, const char* base, const char* extension, uint32_t* k);
bool SetNextSuffix(FolderNames& names, const char* base, const char* extension, uint32_t k);

}  // namespace eml
