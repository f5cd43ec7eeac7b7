// Runs one program to its end and measures it: wall-clock time, and the peak resident memory of that one
// process (the benchmark's own memory is not counted).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct CommandResult {
    bool started = false;
    int exit_status = -1;    // -1 when the program did not exit normally
    double seconds = 0;      // wall clock, from just before the start to its end
    double cpu_seconds = 0;  // user and system time of the process
    uint64_t peak_kib = 0;   // the process's largest resident set
};

// Runs argv[0] (searched in PATH) with its standard output and error written to `output_path`.
CommandResult RunTimed(const std::vector<std::string>& argv, const std::string& output_path);

}  // namespace bench
