// The command line's two threads on both systems: a lock, an answer signal and a joinable thread. (The Windows
// toolchain's C++ library has no std::thread, std::mutex or std::condition_variable.)
#pragma once

namespace cli {

class Mutex {
public:
    Mutex();
    ~Mutex();
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    void Lock();
    void Unlock();

private:
    struct State;
    State* state_;
};

class Locked {
public:
    explicit Locked(Mutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
    ~Locked() { mutex_.Unlock(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Mutex& mutex_;
};

// One thread waits until another has set it; the wait takes the setting, so that each Set lets one Wait through.
class Signal {
public:
    Signal();
    ~Signal();
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    void Set();
    void Wait();

private:
    struct State;
    State* state_;
};

// A thread that its starter waits for with Join.
class JoinableThread {
public:
    JoinableThread() = default;
    JoinableThread(const JoinableThread&) = delete;
    JoinableThread& operator=(const JoinableThread&) = delete;

    // False, with the reason in platform::LastError(), when the thread cannot be started.
    bool Start(void (*routine)(void*), void* argument);
    void Join();

    struct State;  // what the system's thread routine is handed

private:
    State* state_ = nullptr;
};

}  // namespace cli
