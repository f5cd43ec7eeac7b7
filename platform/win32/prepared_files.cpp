// Files prepared ahead: Windows has no nameless files to name later, so every file is created plainly.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

struct FilePreparer {};

FilePreparer* StartFilePreparer()
{
    ::SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

void PrepareFilesInCurrentDir(FilePreparer*) {}

void DropPreparedFiles(FilePreparer*) {}

FileHandle CreatePreparedForWriting(FilePreparer*, const char* path) { return CreateForWriting(path); }

void StopFilePreparer(FilePreparer*) {}

}  // namespace platform
