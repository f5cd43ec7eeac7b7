// How POSIX files are created for writing, shared by plain and prepared creation.
#pragma once

namespace platform {

// open(path) for writing, created or truncated, retried on EINTR: the descriptor, or -1 with errno set.
int OpenNewFile(const char* path);

}  // namespace platform
