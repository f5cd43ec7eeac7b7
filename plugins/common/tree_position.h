// Where a writer that keeps the folder tree stands. Every folder's place (NewTreeFolder) is reached from the run's
// destination, so each writer goes back there before it enters the directories of a folder's parents.
#pragma once

#include <cstdint>
#include <string>

namespace plugins {

struct TreePosition {
    std::string destination;  // the run's destination, noted when the first tree folder opens
    bool away = false;        // the current directory may be below the destination
};

// Whether NewTreeFolder's path can be used: at least one name and none of them null. False with
// kErrorInvalidParameter otherwise.
bool IsUsableTreePath(const char* const* path, uint32_t depth);

// A new run: nothing noted yet (StartConvert has just entered the destination).
void ForgetTreePosition(TreePosition& position);

// Makes the destination the current directory again after a tree folder has left it; at the first call notes
// the current directory as the destination. False, with the reason in the last-error code, when it cannot.
bool ReturnToDestination(TreePosition& position);

// From the destination, enters the directory `name` (made when it is missing; an existing one is used) and notes
// that the current directory has left the destination.
bool EnterTreeDirectory(TreePosition& position, const std::string& name);

}  // namespace plugins
