#include "cli/threads.h"

#include <pthread.h>

#include <cerrno>

namespace cli {

struct Mutex::State {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
};

Mutex::Mutex() : state_(new State) {}
Mutex::~Mutex() { delete state_; }
void Mutex::Lock() { pthread_mutex_lock(&state_->mutex); }
void Mutex::Unlock() { pthread_mutex_unlock(&state_->mutex); }

struct Signal::State {
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t set = PTHREAD_COND_INITIALIZER;
    bool is_set = false;
};

Signal::Signal() : state_(new State) {}
Signal::~Signal() { delete state_; }

void Signal::Set()
{
    pthread_mutex_lock(&state_->mutex);
    state_->is_set = true;
    pthread_cond_signal(&state_->set);
    pthread_mutex_unlock(&state_->mutex);
}

void Signal::Wait()
{
    pthread_mutex_lock(&state_->mutex);
    while (!state_->is_set) pthread_cond_wait(&state_->set, &state_->mutex);
    state_->is_set = false;
    pthread_mutex_unlock(&state_->mutex);
}

struct JoinableThread::State {
    pthread_t thread;
    void (*routine)(void*);
    void* argument;
};

namespace {

void* RunRoutine(void* state)
{
    auto* started = static_cast<JoinableThread::State*>(state);
    started->routine(started->argument);
    return nullptr;
}

}  // namespace

bool JoinableThread::Start(void (*routine)(void*), void* argument)
{
    auto* state = new State{pthread_t(), routine, argument};
    int failure = pthread_create(&state->thread, nullptr, RunRoutine, state);
    if (failure != 0) {
        delete state;
        errno = failure;
        return false;
    }
    state_ = state;
    return true;
}

void JoinableThread::Join()
{
    if (!state_) return;
    pthread_join(state_->thread, nullptr);
    delete state_;
    state_ = nullptr;
}

}  // namespace cli
