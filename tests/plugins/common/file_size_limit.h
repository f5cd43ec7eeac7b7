// A limit on the size of the files this process writes (RLIMIT_FSIZE) for as long as the object lives: every
// write past it fails with EFBIG instead of stopping the process, as a full disk fails a writer.
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace writer_test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        saved_handler_ = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    void Lift()
    {
        if (!active_) return;
        setrlimit(RLIMIT_FSIZE, &saved_);
        signal(SIGXFSZ, saved_handler_);
        active_ = false;
    }
    bool active() const { return active_; }

private:
    rlimit saved_{};
    void (*saved_handler_)(int) = nullptr;
    bool active_ = false;
};

}  // namespace writer_test
