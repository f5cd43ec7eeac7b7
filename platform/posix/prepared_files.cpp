// Files prepared ahead on POSIX: a helper thread makes nameless files (O_TMPFILE, Linux) in the directory, and
// creating a file names one of them with linkat. Making the inode is a fifth or more of what creating a file
// costs on ext4; this way the owner's thread pays only for the name. Elsewhere nothing is prepared.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>

#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/new_files.h"

namespace platform {

#if defined(O_TMPFILE) && defined(AT_EMPTY_PATH)

namespace {

// Files kept ready: few at first, so that a folder that ends soon wastes little, and twice as many at every
// refill, so that waking the helper (dear on virtual machines) comes rarely in a long folder. The helper
// refills when half of them are taken.
constexpr int kFirstReadyFiles = 4;
constexpr int kMostReadyFiles = 32;

// Set when the system refused to name a prepared file although the name was free (older kernels let only
// privileged users name a file by its descriptor): the run prepares nothing from then on.
std::atomic<bool> g_naming_refused{false};

}  // namespace

struct FilePreparer {
    pthread_t thread;
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t changed = PTHREAD_COND_INITIALIZER;
    int directory = -1;
    int ready[kMostReadyFiles];
    int ready_count = 0;
    int wanted = kFirstReadyFiles;  // how many the helper makes ready
    bool stop = false;  // asked by the owner, or naming failed
};

namespace {

void* PrepareFiles(void* preparer_pointer)
{
    auto* preparer = static_cast<FilePreparer*>(preparer_pointer);
    pthread_mutex_lock(&preparer->lock);
    while (!preparer->stop) {
        if (preparer->ready_count > preparer->wanted / 2) {
            pthread_cond_wait(&preparer->changed, &preparer->lock);
            continue;
        }
        while (!preparer->stop && preparer->ready_count < preparer->wanted) {
            pthread_mutex_unlock(&preparer->lock);
            int fd = openat(preparer->directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            pthread_mutex_lock(&preparer->lock);
            // No nameless files here (or no room for one): the owner creates its files itself.
            if (fd < 0) preparer->stop = true;
            else preparer->ready[preparer->ready_count++] = fd;
        }
    }
    pthread_mutex_unlock(&preparer->lock);
    return nullptr;
}

int TakeReadyFile(FilePreparer* preparer)
{
    pthread_mutex_lock(&preparer->lock);
    int fd = -1;
    if (preparer->ready_count > 0) {
        fd = preparer->ready[--preparer->ready_count];
        if (preparer->ready_count == preparer->wanted / 2) {
            if (preparer->wanted < kMostReadyFiles) preparer->wanted *= 2;
            pthread_cond_signal(&preparer->changed);
        }
    }
    pthread_mutex_unlock(&preparer->lock);
    return fd;
}

void StopPreparing(FilePreparer* preparer)
{
    pthread_mutex_lock(&preparer->lock);
    preparer->stop = true;
    pthread_cond_signal(&preparer->changed);
    pthread_mutex_unlock(&preparer->lock);
}

}  // namespace

FilePreparer* StartFilePreparer()
{
    if (g_naming_refused.load()) {
        errno = ENOTSUP;
        return nullptr;
    }
    auto* preparer = new (std::nothrow) FilePreparer;
    if (!preparer) {
        errno = ENOMEM;
        return nullptr;
    }
    preparer->directory = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    int failure = preparer->directory < 0 ? errno : pthread_create(&preparer->thread, nullptr, PrepareFiles, preparer);
    if (failure != 0) {
        if (preparer->directory >= 0) close(preparer->directory);
        delete preparer;
        errno = failure;
        return nullptr;
    }
    return preparer;
}

FileHandle CreatePreparedForWriting(FilePreparer* preparer, const char* path)
{
    if (!preparer) return CreateForWriting(path);
    if (CheckFault(FaultOperation::CreateFile).fail) return kNoFile;
    int prepared = TakeReadyFile(preparer);
    if (prepared < 0) {
        int fd = OpenNewFile(path);
        return fd < 0 ? kNoFile : fd;
    }
    if (linkat(prepared, "", AT_FDCWD, path, AT_EMPTY_PATH) == 0) return prepared;
    // A name already taken is truncated by the plain open, as CreateForWriting does; any other failure is met
    // there again, with its own reason. Either way this folder's files are made plainly from now on.
    int naming_failure = errno;
    close(prepared);
    StopPreparing(preparer);
    int fd = OpenNewFile(path);
    if (fd < 0) return kNoFile;
    if (naming_failure != EEXIST) g_naming_refused.store(true);  // the name was free, yet naming failed
    return fd;
}

void StopFilePreparer(FilePreparer* preparer)
{
    if (!preparer) return;
    StopPreparing(preparer);
    pthread_join(preparer->thread, nullptr);
    for (int i = 0; i < preparer->ready_count; ++i) close(preparer->ready[i]);  // nameless: they vanish
    close(preparer->directory);
    pthread_mutex_destroy(&preparer->lock);
    pthread_cond_destroy(&preparer->changed);
    delete preparer;
}

#else  // no nameless files on this system

struct FilePreparer {};

FilePreparer* StartFilePreparer()
{
    errno = ENOTSUP;
    return nullptr;
}

FileHandle CreatePreparedForWriting(FilePreparer*, const char* path) { return CreateForWriting(path); }

void StopFilePreparer(FilePreparer*) {}

#endif

}  // namespace platform
