// Reads on a helper thread on Windows: one thread per reader, handing reads over through two events.
#include <windows.h>

#include <new>

#include "platform/background_read.h"
#include "platform/platform.h"

namespace platform {

struct BackgroundReader {
    HANDLE thread = nullptr;
    HANDLE asked = nullptr;  // auto-reset: a read (or the stop) is waiting for the helper
    HANDLE done = nullptr;   // manual-reset: no read is under way
    bool stop = false;
    BackgroundRead request;
};

namespace {

DWORD WINAPI ServeReads(void* reader_pointer)
{
    auto* reader = static_cast<BackgroundReader*>(reader_pointer);
    for (;;) {
        WaitForSingleObject(reader->asked, INFINITE);
        if (reader->stop) return 0;
        MakeBackgroundRead(reader->request);
        SetEvent(reader->done);  // also publishes the result to the owner
    }
}

void FreeReader(BackgroundReader* reader)
{
    if (reader->asked) CloseHandle(reader->asked);
    if (reader->done) CloseHandle(reader->done);
    delete reader;
}

}  // namespace

BackgroundReader* StartBackgroundReader()
{
    auto* reader = new (std::nothrow) BackgroundReader;
    if (!reader) {
        ::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    reader->asked = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    reader->done = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (reader->asked && reader->done) reader->thread = CreateThread(nullptr, 0, ServeReads, reader, 0, nullptr);
    if (!reader->thread) {
        DWORD failure = ::GetLastError();
        FreeReader(reader);
        ::SetLastError(failure);
        return nullptr;
    }
    return reader;
}

void BeginBackgroundRead(BackgroundReader* reader, FileHandle file, uint64_t offset, void* buffer, uint32_t count)
{
    reader->request = BackgroundRead{file, offset, buffer, count};
    ResetEvent(reader->done);
    SetEvent(reader->asked);  // also publishes the request to the helper
}

void BeginBackgroundWork(BackgroundReader* reader, void (*work)(void*), void* context)
{
    reader->request = BackgroundRead{};
    reader->request.work = work;
    reader->request.context = context;
    ResetEvent(reader->done);
    SetEvent(reader->asked);  // also publishes the request to the helper
}

bool BackgroundReadFinished(BackgroundReader* reader) { return WaitForSingleObject(reader->done, 0) == WAIT_OBJECT_0; }

bool FinishBackgroundRead(BackgroundReader* reader, uint32_t* got)
{
    WaitForSingleObject(reader->done, INFINITE);
    *got = reader->request.got;
    return reader->request.read;
}

void StopBackgroundReader(BackgroundReader* reader)
{
    if (!reader) return;
    WaitForSingleObject(reader->done, INFINITE);
    reader->stop = true;
    SetEvent(reader->asked);
    WaitForSingleObject(reader->thread, INFINITE);
    CloseHandle(reader->thread);
    FreeReader(reader);
}

}  // namespace platform
