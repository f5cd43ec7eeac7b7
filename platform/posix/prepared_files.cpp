// Files prepared ahead on POSIX: a helper thread makes nameless files (O_TMPFILE, Linux) in the folder being
// written, and creating a file names one of them with linkat. Making the inode is a fifth or more of what
// creating a file costs on ext4; this way the owner's thread pays only for the name. The helper also closes
// what an earlier folder left unnamed, so that moving on costs the owner nothing. Elsewhere nothing is prepared.
#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>

#include "platform/fault_injection.h"
#include "platform/platform.h"
#include "platform/posix/helper_threads.h"
#include "platform/posix/new_files.h"

namespace platform {

#if defined(O_TMPFILE) && defined(AT_EMPTY_PATH)

namespace {

// Files kept ready: few at first, so that a folder that ends soon wastes little, and twice as many at every
// refill, so that waking the helper (dear on virtual machines) comes rarely in a long folder. The helper
// refills when half of them are taken.
constexpr int kFirstReadyFiles = 4;
constexpr int kMostReadyFiles = 32;
constexpr int kMostToClose = 4 * (kMostReadyFiles + 1);  // beyond this the owner closes them itself

// Set when the system refused to name a prepared file although the name was free (older kernels let only
// privileged users name a file by its descriptor): the run prepares nothing from then on.
std::atomic<bool> g_naming_refused{false};

}  // namespace

struct FilePreparer {
    pthread_t thread;
    pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t changed = PTHREAD_COND_INITIALIZER;
    int directory = -1;          // the folder files are prepared in; -1 while there is none
    uint32_t folder = 0;         // counts the folders, so that a file made for an earlier one is not handed out
    bool folder_failed = false;  // preparing or naming failed in this folder: nothing more is prepared there
    int ready[kMostReadyFiles];
    int ready_count = 0;
    int wanted = kFirstReadyFiles;  // how many the helper keeps ready in this folder
    int to_close[kMostToClose];     // unnamed files and directories of earlier folders, for the helper
    int to_close_count = 0;
    bool stop = false;
};

namespace {

// Under the lock.
void CloseLater(FilePreparer* preparer, int fd)
{
    if (preparer->to_close_count < kMostToClose) preparer->to_close[preparer->to_close_count++] = fd;
    else close(fd);
}

// Under the lock: the current folder's files and directory go to the helper to close.
void LeaveFolder(FilePreparer* preparer)
{
    while (preparer->ready_count > 0) CloseLater(preparer, preparer->ready[--preparer->ready_count]);
    if (preparer->directory >= 0) CloseLater(preparer, preparer->directory);
    preparer->directory = -1;
    ++preparer->folder;
    pthread_cond_signal(&preparer->changed);
}

// Under the lock, which it lets go while closing.
void CloseLeftovers(FilePreparer* preparer)
{
    int closing[kMostToClose];
    int count = preparer->to_close_count;
    for (int i = 0; i < count; ++i) closing[i] = preparer->to_close[i];
    preparer->to_close_count = 0;
    pthread_mutex_unlock(&preparer->lock);
    for (int i = 0; i < count; ++i) close(closing[i]);  // a nameless file vanishes
    pthread_mutex_lock(&preparer->lock);
}

bool WantsFiles(const FilePreparer* preparer)
{
    return preparer->directory >= 0 && !preparer->folder_failed && preparer->ready_count < preparer->wanted;
}

void* PrepareFiles(void* preparer_pointer)
{
    auto* preparer = static_cast<FilePreparer*>(preparer_pointer);
    pthread_mutex_lock(&preparer->lock);
    for (;;) {
        if (preparer->to_close_count > 0) {
            CloseLeftovers(preparer);
            continue;
        }
        if (preparer->stop) break;
        if (!WantsFiles(preparer) || preparer->ready_count > preparer->wanted / 2) {
            pthread_cond_wait(&preparer->changed, &preparer->lock);
            continue;
        }
        while (!preparer->stop && WantsFiles(preparer)) {
            uint32_t folder = preparer->folder;
            int directory = preparer->directory;  // stays open until the helper closes it
            pthread_mutex_unlock(&preparer->lock);
            int fd = openat(directory, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            pthread_mutex_lock(&preparer->lock);
            if (folder != preparer->folder) {
                if (fd >= 0) CloseLater(preparer, fd);
            } else if (fd < 0) {
                preparer->folder_failed = true;  // no nameless files here, or no room: files are created plainly
            } else {
                preparer->ready[preparer->ready_count++] = fd;
            }
        }
    }
    pthread_mutex_unlock(&preparer->lock);
    return nullptr;
}

int TakeReadyFile(FilePreparer* preparer)
{
    pthread_mutex_lock(&preparer->lock);
    int fd = -1;
    if (preparer->ready_count > 0 && !preparer->folder_failed) {
        fd = preparer->ready[--preparer->ready_count];
        if (preparer->ready_count == preparer->wanted / 2) {
            if (preparer->wanted < kMostReadyFiles) preparer->wanted *= 2;
            pthread_cond_signal(&preparer->changed);
        }
    }
    pthread_mutex_unlock(&preparer->lock);
    return fd;
}

}  // namespace

FilePreparer* StartFilePreparer()
{
    if (g_naming_refused.load()) {
        errno = ENOTSUP;
        return nullptr;
    }
    return StartHelperThread<FilePreparer>(PrepareFiles);
}

void PrepareFilesInCurrentDir(FilePreparer* preparer)
{
    if (!preparer) return;
    int saved = errno;
    int directory = g_naming_refused.load() ? -1 : open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    errno = saved;
    pthread_mutex_lock(&preparer->lock);
    LeaveFolder(preparer);
    preparer->directory = directory;
    preparer->folder_failed = false;
    preparer->wanted = kFirstReadyFiles;
    pthread_mutex_unlock(&preparer->lock);
}

void DropPreparedFiles(FilePreparer* preparer)
{
    if (!preparer) return;
    pthread_mutex_lock(&preparer->lock);
    LeaveFolder(preparer);
    pthread_mutex_unlock(&preparer->lock);
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
    pthread_mutex_lock(&preparer->lock);
    CloseLater(preparer, prepared);
    preparer->folder_failed = true;
    pthread_cond_signal(&preparer->changed);
    pthread_mutex_unlock(&preparer->lock);
    int fd = OpenNewFile(path);
    if (fd < 0) return kNoFile;
    if (naming_failure != EEXIST) g_naming_refused.store(true);  // the name was free, yet naming failed
    return fd;
}

void StopFilePreparer(FilePreparer* preparer)
{
    if (!preparer) return;
    pthread_mutex_lock(&preparer->lock);
    LeaveFolder(preparer);
    preparer->stop = true;
    pthread_cond_signal(&preparer->changed);
    pthread_mutex_unlock(&preparer->lock);
    pthread_join(preparer->thread, nullptr);  // it closes every leftover before it ends
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

void PrepareFilesInCurrentDir(FilePreparer*) {}

void DropPreparedFiles(FilePreparer*) {}

FileHandle CreatePreparedForWriting(FilePreparer*, const char* path) { return CreateForWriting(path); }

void StopFilePreparer(FilePreparer*) {}

#endif

}  // namespace platform
