#include "cli/threads.h"

#include <windows.h>

namespace cli {

struct Mutex::State {
    CRITICAL_SECTION section;
};

Mutex::Mutex() : state_(new State) { InitializeCriticalSection(&state_->section); }

Mutex::~Mutex()
{
    DeleteCriticalSection(&state_->section);
    delete state_;
}

void Mutex::Lock() { EnterCriticalSection(&state_->section); }
void Mutex::Unlock() { LeaveCriticalSection(&state_->section); }

struct Signal::State {
    HANDLE event;
};

// An auto-reset event: a wait takes the setting with it.
Signal::Signal() : state_(new State{CreateEventA(nullptr, FALSE, FALSE, nullptr)}) {}

Signal::~Signal()
{
    if (state_->event) CloseHandle(state_->event);
    delete state_;
}

void Signal::Set() { SetEvent(state_->event); }
void Signal::Wait() { WaitForSingleObject(state_->event, INFINITE); }

struct JoinableThread::State {
    HANDLE thread;
    void (*routine)(void*);
    void* argument;
};

namespace {

DWORD WINAPI RunRoutine(void* state)
{
    auto* started = static_cast<JoinableThread::State*>(state);
    started->routine(started->argument);
    return 0;
}

}  // namespace

bool JoinableThread::Start(void (*routine)(void*), void* argument)
{
    auto* state = new State{nullptr, routine, argument};
    state->thread = CreateThread(nullptr, 0, RunRoutine, state, 0, nullptr);
    if (!state->thread) {
        delete state;
        return false;
    }
    state_ = state;
    return true;
}

void JoinableThread::Join()
{
    if (!state_) return;
    WaitForSingleObject(state_->thread, INFINITE);
    CloseHandle(state_->thread);
    delete state_;
    state_ = nullptr;
}

}  // namespace cli
