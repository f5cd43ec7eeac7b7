#include "cli/interrupts.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "engine/front_end.h"

namespace cli {
namespace {

static_assert(std::atomic<bool>::is_always_lock_free, "the run-control flags are set from a signal handler");

int wake_pipe[2] = {-1, -1};
volatile sig_atomic_t ask_on_interrupt = 0;
struct sigaction previous_interrupt;
struct sigaction previous_terminate;
struct sigaction previous_hangup;

void OnInterrupt(int)
{
    int saved = errno;
    engine::RunControl& control = engine::TheRunControl();
    if (ask_on_interrupt) {
        // Pause at once so the worker stops before its next message while the question is being put.
        control.pause.store(true);
    } else {
        control.abort.store(true);
        signal(SIGINT, SIG_DFL);
    }
    Wake(kWakeInterrupt);
    errno = saved;
}

void OnTerminate(int)
{
    int saved = errno;
    engine::TheRunControl().abort.store(true);
    Wake(kWakeTerminate);
    errno = saved;
}

void Install(int signal_number, void (*handler)(int), struct sigaction* previous)
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    // Restart interrupted system calls, so that a plugin's write is never failed by a Ctrl-C.
    action.sa_flags = SA_RESTART;
    sigaction(signal_number, &action, previous);
}

}  // namespace

bool InstallInterruptHandlers(bool can_ask)
{
    if (wake_pipe[0] < 0) {
        if (pipe(wake_pipe) != 0) return false;
        for (int end : wake_pipe) {
            fcntl(end, F_SETFD, FD_CLOEXEC);
            fcntl(end, F_SETFL, fcntl(end, F_GETFL) | O_NONBLOCK);
        }
    }
    ask_on_interrupt = can_ask ? 1 : 0;
    Install(SIGINT, OnInterrupt, &previous_interrupt);
    Install(SIGTERM, OnTerminate, &previous_terminate);
    Install(SIGHUP, OnTerminate, &previous_hangup);
    return true;
}

void RemoveInterruptHandlers()
{
    sigaction(SIGINT, &previous_interrupt, nullptr);
    sigaction(SIGTERM, &previous_terminate, nullptr);
    sigaction(SIGHUP, &previous_hangup, nullptr);
    for (int& end : wake_pipe) {
        if (end >= 0) close(end);
        end = -1;
    }
}

int WakeReadDescriptor() { return wake_pipe[0]; }

std::string WaitForWakeUps()
{
    struct pollfd watched = {wake_pipe[0], POLLIN, 0};
    if (poll(&watched, 1, -1) < 0) return std::string();
    char tags[64];
    ssize_t got = read(watched.fd, tags, sizeof tags);
    return got > 0 ? std::string(tags, static_cast<size_t>(got)) : std::string();
}

void Wake(char tag)
{
    // A full pipe already holds enough wake-ups; losing this byte loses nothing.
    if (wake_pipe[1] >= 0) (void)!write(wake_pipe[1], &tag, 1);
}

void LetNextInterruptKill() { signal(SIGINT, SIG_DFL); }

}  // namespace cli
