// Creating the run's destination directory, level by level.
#pragma once

#include <string>

namespace engine {

// Creates every missing directory of an absolute path, outermost first, and rewrites `path` with the
// platform's separator throughout and no trailing separator. False with the reason in the last-error code:
// kErrorBadPathname for a path that is not absolute, kErrorAlreadyExists when a level exists as a file.
bool CreateDirectoryPath(std::string& path);

}  // namespace engine
