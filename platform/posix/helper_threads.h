// The helper threads of POSIX (background reads, prepared files): a record the owner and the helper share,
// with the helper's pthread_t in it.
#pragma once

#include <pthread.h>

#include <cerrno>
#include <new>

namespace platform {

// Makes a Helper record and starts `routine` on it in a thread of its own, stored in its `thread`. Null, with
// errno set, when either cannot be done.
template <typename Helper>
Helper* StartHelperThread(void* (*routine)(void*))
{
    auto* helper = new (std::nothrow) Helper;
    if (!helper) {
        errno = ENOMEM;
        return nullptr;
    }
    int failure = pthread_create(&helper->thread, nullptr, routine, helper);
    if (failure != 0) {
        delete helper;
        errno = failure;
        return nullptr;
    }
    return helper;
}

}  // namespace platform
