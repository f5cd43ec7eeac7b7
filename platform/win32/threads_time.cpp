// Threads and time on Windows.
#include <windows.h>

#include <new>

#include "platform/platform.h"

namespace platform {
namespace {

struct ThreadStart {
    void (*routine)(void*);
    void* argument;
};

DWORD WINAPI RunThread(void* start_pointer)
{
    ThreadStart start = *static_cast<ThreadStart*>(start_pointer);
    delete static_cast<ThreadStart*>(start_pointer);
    start.routine(start.argument);
    return 0;
}

}  // namespace

bool StartDetachedThread(void (*routine)(void*), void* argument)
{
    auto* start = new (std::nothrow) ThreadStart{routine, argument};
    if (!start) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, nullptr);
    if (!thread) {
        DWORD failure = ::GetLastError();
        delete start;
        ::SetLastError(failure);
        return false;
    }
    CloseHandle(thread);  // nobody waits for it
    return true;
}

void SleepMilliseconds(uint32_t milliseconds) { Sleep(milliseconds); }

LocalTime CurrentLocalTime()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    LocalTime local;
    local.year = now.wYear;
    local.month = now.wMonth;
    local.day = now.wDay;
    local.day_of_week = now.wDayOfWeek;
    local.hour = now.wHour;
    local.minute = now.wMinute;
    local.second = now.wSecond;
    return local;
}

uint32_t SecondsSince1970()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    // FILETIME counts 100 ns steps since 1601; 116444736000000000 of them lie before 1970.
    return static_cast<uint32_t>((ticks - 116444736000000000ULL) / 10000000ULL);
}

}  // namespace platform
