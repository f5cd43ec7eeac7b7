#include "tests/fuzz/fuzz_input_file.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

int OpenScratch()
{
#ifdef __linux__
    int fd = memfd_create("dovan-fuzz-input", MFD_CLOEXEC);
    if (fd >= 0) return fd;
#endif
    char path[] = "/tmp/dovan-fuzz-XXXXXX";
    int fd_tmp = mkstemp(path);
    if (fd_tmp >= 0) unlink(path);
    return fd_tmp;
}

}  // namespace

platform::FileHandle FuzzInputFile(const uint8_t* data, size_t size)
{
    static int fd = OpenScratch();
    if (fd < 0) {
        std::perror("fuzz input file");
        std::abort();
    }
    if (ftruncate(fd, 0) != 0) return platform::kNoFile;
    size_t done = 0;
    while (done < size) {
        ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) return platform::kNoFile;
        done += static_cast<size_t>(n);
    }
    return fd;
}
