// Threads and time on POSIX.
#include <pthread.h>
#include <time.h>

#include <cerrno>
#include <new>

#include "platform/platform.h"

namespace platform {
namespace {

struct ThreadStart {
    void (*routine)(void*);
    void* argument;
};

void* RunThread(void* start_pointer)
{
    ThreadStart start = *static_cast<ThreadStart*>(start_pointer);
    delete static_cast<ThreadStart*>(start_pointer);
    start.routine(start.argument);
    return nullptr;
}

}  // namespace

bool StartDetachedThread(void (*routine)(void*), void* argument)
{
    auto* start = new (std::nothrow) ThreadStart{routine, argument};
    if (!start) {
        errno = ENOMEM;
        return false;
    }
    pthread_t thread;
    int failure = pthread_create(&thread, nullptr, RunThread, start);
    if (failure != 0) {
        delete start;
        errno = failure;
        return false;
    }
    pthread_detach(thread);
    return true;
}

void SleepMilliseconds(uint32_t milliseconds)
{
    timespec wait{static_cast<time_t>(milliseconds / 1000), static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
}

LocalTime CurrentLocalTime()
{
    time_t now = time(nullptr);
    tm parts{};
    localtime_r(&now, &parts);
    LocalTime local;
    local.year = parts.tm_year + 1900;
    local.month = parts.tm_mon + 1;
    local.day = parts.tm_mday;
    local.day_of_week = parts.tm_wday;
    local.hour = parts.tm_hour;
    local.minute = parts.tm_min;
    local.second = parts.tm_sec;
    return local;
}

uint32_t SecondsSince1970() { return static_cast<uint32_t>(time(nullptr)); }

}  // namespace platform
