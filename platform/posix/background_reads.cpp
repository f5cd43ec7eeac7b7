// Reads on a helper thread on POSIX: one pthread per reader, handing reads over under a mutex.
#include <pthread.h>

#include "platform/background_read.h"
#include "platform/platform.h"
#include "platform/posix/helper_threads.h"

namespace platform {

struct BackgroundReader {
    pthread_t thread;
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t changed = PTHREAD_COND_INITIALIZER;
    bool asked = false;  // a read is waiting for the helper or under way
    bool stop = false;
    BackgroundRead request;
};

namespace {

void* ServeReads(void* reader_pointer)
{
    auto* reader = static_cast<BackgroundReader*>(reader_pointer);
    pthread_mutex_lock(&reader->lock);
    for (;;) {
        while (!reader->asked && !reader->stop) pthread_cond_wait(&reader->changed, &reader->lock);
        if (reader->stop) break;
        pthread_mutex_unlock(&reader->lock);
        MakeBackgroundRead(reader->request);
        pthread_mutex_lock(&reader->lock);
        reader->asked = false;
        pthread_cond_broadcast(&reader->changed);
    }
    pthread_mutex_unlock(&reader->lock);
    return nullptr;
}

}  // namespace

BackgroundReader* StartBackgroundReader() { return StartHelperThread<BackgroundReader>(ServeReads); }

void BeginBackgroundRead(BackgroundReader* reader, FileHandle file, uint64_t offset, void* buffer, uint32_t count)
{
    pthread_mutex_lock(&reader->lock);
    reader->request = BackgroundRead{file, offset, buffer, count};
    reader->asked = true;
    pthread_cond_broadcast(&reader->changed);
    pthread_mutex_unlock(&reader->lock);
}

void BeginBackgroundWork(BackgroundReader* reader, void (*work)(void*), void* context)
{
    pthread_mutex_lock(&reader->lock);
    reader->request = BackgroundRead{};
    reader->request.work = work;
    reader->request.context = context;
    reader->asked = true;
    pthread_cond_broadcast(&reader->changed);
    pthread_mutex_unlock(&reader->lock);
}

bool BackgroundReadFinished(BackgroundReader* reader)
{
    pthread_mutex_lock(&reader->lock);
    bool finished = !reader->asked;
    pthread_mutex_unlock(&reader->lock);
    return finished;
}

bool FinishBackgroundRead(BackgroundReader* reader, uint32_t* got)
{
    pthread_mutex_lock(&reader->lock);
    while (reader->asked) pthread_cond_wait(&reader->changed, &reader->lock);
    *got = reader->request.got;
    bool read = reader->request.read;
    pthread_mutex_unlock(&reader->lock);
    return read;
}

void StopBackgroundReader(BackgroundReader* reader)
{
    if (!reader) return;
    pthread_mutex_lock(&reader->lock);
    while (reader->asked) pthread_cond_wait(&reader->changed, &reader->lock);
    reader->stop = true;
    pthread_cond_broadcast(&reader->changed);
    pthread_mutex_unlock(&reader->lock);
    pthread_join(reader->thread, nullptr);
    pthread_mutex_destroy(&reader->lock);
    pthread_cond_destroy(&reader->changed);
    delete reader;
}

}  // namespace platform
