// The drivers' tally: every check is printed as it is made, and the run ends with "N passed, N failed".
#pragma once

#include <string>

namespace driver {

bool Check(bool ok, const std::string& what);

// Compares byte strings and shows both, escaped, when they differ.
bool CheckEqual(const std::string& actual, const std::string& expected, const std::string& what);

// Prints the closing line; the exit code: 0 when nothing failed.
int Summary();

}  // namespace driver
