// Joining a directory and a name in the system's code page.
#pragma once

#include <string>

namespace engine {

// The directory, one separator unless it already ends with one, then the name. The text is walked character by
// character, so the second byte of a double-byte character is never taken for a separator.
std::string JoinPath(const char* directory, const std::string& name);

}  // namespace engine
