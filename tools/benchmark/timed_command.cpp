#include "tools/benchmark/timed_command.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

namespace bench {

CommandResult RunTimed(const std::vector<std::string>& argv, const std::string& output_path)
{
    CommandResult result;
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    int output = open(output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output < 0) return result;

    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        int input = open("/dev/null", O_RDONLY);
        if (input >= 0) dup2(input, 0);
        dup2(output, 1);
        dup2(output, 2);
        execvp(args[0], args.data());
        _exit(127);
    }
    close(output);
    if (child < 0) return result;
    result.started = true;

    // wait4 gives the usage of this child alone; RUSAGE_CHILDREN would report the largest child so far.
    int status = 0;
    struct rusage usage {};
    pid_t waited;
    do waited = wait4(child, &status, 0, &usage);
    while (waited < 0 && errno == EINTR);
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (waited == child) {
        if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
        result.peak_kib = static_cast<uint64_t>(usage.ru_maxrss);  // KiB on Linux
        result.cpu_seconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                             double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return result;
}

}  // namespace bench
