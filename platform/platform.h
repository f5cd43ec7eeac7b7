// The one interface between Dovan's portable code and the operating system.
//
// Two implementations: platform/posix (Linux, macOS) and platform/win32. Nothing outside platform/ includes
// an OS header. Every operation reports success as a boolean (or a valid handle) and leaves the reason in the
// thread's last-error code: errno on POSIX, GetLastError on Windows.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// ---- Last-error codes -------------------------------------------------------------------------------------

using ErrorCode = uint32_t;

ErrorCode LastError();
void SetLastError(ErrorCode code);

// The system's description of an error code in the user's language, without a trailing line break;
// empty when the system has none.
std::string ErrorText(ErrorCode code);

// Codes that Dovan itself reports. Windows codes where Windows names them; the nearest errno elsewhere.
#ifdef _WIN32
inline constexpr ErrorCode kErrorNotEnoughMemory = 8;    // ERROR_NOT_ENOUGH_MEMORY
inline constexpr ErrorCode kErrorInvalidParameter = 87;  // ERROR_INVALID_PARAMETER
inline constexpr ErrorCode kErrorBadPathname = 161;      // ERROR_BAD_PATHNAME: a relative destination
inline constexpr ErrorCode kErrorAlreadyExists = 183;    // ERROR_ALREADY_EXISTS: a destination level is a file
inline constexpr ErrorCode kErrorStoreDamaged = 1392;    // ERROR_FILE_CORRUPT: a store's bytes cannot be read
#else
inline constexpr ErrorCode kErrorNotEnoughMemory = ENOMEM;
inline constexpr ErrorCode kErrorInvalidParameter = EINVAL;
inline constexpr ErrorCode kErrorBadPathname = EINVAL;
inline constexpr ErrorCode kErrorAlreadyExists = ENOTDIR;  // "Not a directory" names the fault best
inline constexpr ErrorCode kErrorStoreDamaged = EBADMSG;
#endif

// ---- Files --------------------------------------------------------------------------------------------------

using FileHandle = intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Opens an existing file for reading; others may read it but not write it while it is open (where the
// system can say so).
FileHandle OpenForReading(const char* path);

// Reads up to count bytes at an absolute offset; *got receives how many arrived (fewer at the end of the file).
// False when the system call fails.
bool ReadAt(FileHandle file, uint64_t offset, void* buffer, uint32_t count, uint32_t* got);

bool FileSize(FileHandle file, uint64_t* size);

// Creates (or truncates) a file for writing, not shared.
FileHandle CreateForWriting(const char* path);

// Writes all count bytes; false when the write fails or stops short (a full disk).
bool WriteAll(FileHandle file, const void* data, uint32_t count);

bool CloseFile(FileHandle file);

// Cuts a file written through `file` back to its first `size` bytes and moves the write position there, so that
// the next write lands at the new end.
bool TruncateFile(FileHandle file, uint64_t size);

// ---- Directories and paths ----------------------------------------------------------------------------------

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

bool IsPathSeparator(char c);

struct DirEntry {
    std::string name;
    bool is_directory = false;
};

// Every entry of a directory but "." and "..", in the order the system delivers them. False when the
// directory cannot be read.
bool ListDirectory(const char* directory, std::vector<DirEntry>& entries);

enum class PathKind { Missing, File, Directory };
PathKind LookUpPath(const char* path);

bool CreateDir(const char* path);
bool GetCurrentDir(std::string& directory);
bool SetCurrentDir(const char* path);

// The absolute form of a path given relative to the current directory ("out" in /home/me is "/home/me/out"); an
// absolute path stays as it is. Windows also resolves "C:out" and "\out", and gives the long-path form
// ("\\?\C:\...") where a directory's path would pass the system's limit. False when it cannot be told.
bool AbsolutePath(const char* path, std::string& absolute);

// Renames a file; fails when the target already exists (as MoveFileA does).
bool MoveFileNoReplace(const char* from, const char* to);

// How many leading separators of an absolute path name no directory to create: the root of a POSIX path;
// the drive's separator of "C:\"; the four separators of "\\server\share\". -1 for a path that is not
// absolute (the caller reports kErrorBadPathname).
int RootSeparatorCount(const char* path);

// Writes key=value into [section] of an ini file, as the system's profile writer does for a new file.
// (Not named WriteProfileString: windows.h defines that name as a macro.)
bool WriteIniString(const char* section, const char* key, const char* value, const char* path);

// ---- Text ---------------------------------------------------------------------------------------------------

// The next character of a text in the system's code page (a double-byte character counts as one).
const char* NextChar(const char* text);

// Case-insensitive comparison in the system's locale, as used to sort folder names: <0, 0, >0.
int CompareNoCase(const char* a, const char* b);

// Lowercases bytes in place, as the system does for its code page (ASCII letters on POSIX).
void LowerBytes(char* text, size_t count);

enum class Language { English, Japanese };

// The language of the user interface: Windows asks the system; POSIX takes the first set of LC_ALL,
// LC_MESSAGES, LANG, and a value starting with "ja" means Japanese.
Language UiLanguage();

// ---- Shared libraries ---------------------------------------------------------------------------------------

using LibraryHandle = void*;

// ".dll" on Windows, ".so" elsewhere.
const char* SharedLibrarySuffix();

LibraryHandle LoadSharedLibrary(const char* path);
void* FindSymbol(LibraryHandle library, const char* name);
void FreeSharedLibrary(LibraryHandle library);

// String `id` of a loaded library's string table (LoadStringA on Windows; the library's LoadPluginString
// export elsewhere) into buffer, at most size - 1 bytes, terminated. Returns the bytes copied, 0 when none.
int LoadLibraryString(LibraryHandle library, uint32_t id, char* buffer, int size);

// String `id` of the program's own string resources, where the platform keeps them in the executable
// (Windows). False where the program carries its texts compiled in (POSIX) or the string is missing.
bool LoadProgramString(uint32_t id, std::string& text);

// ---- Threads and time ---------------------------------------------------------------------------------------

// Starts a thread that nobody waits for. False (with the reason) when it cannot be started.
bool StartDetachedThread(void (*routine)(void*), void* argument);

void SleepMilliseconds(uint32_t milliseconds);

// A helper thread that makes one positioned read at a time while its owner goes on: the owner reads ahead
// without waiting for the system to copy the bytes.
struct BackgroundReader;

// Null (with the reason) when no helper thread can be started; the owner then reads in place.
BackgroundReader* StartBackgroundReader();

// Hands the helper a read as ReadAt makes it. The buffer belongs to the helper until FinishBackgroundRead,
// which must come before the next read is begun and before the file is closed.
void BeginBackgroundRead(BackgroundReader* reader, FileHandle file, uint64_t offset, void* buffer, uint32_t count);

// True when no read is under way: FinishBackgroundRead would not wait.
bool BackgroundReadFinished(BackgroundReader* reader);

// Waits for the read begun last; its result as ReadAt gives it. The reason of a failure stays with the helper:
// an owner that needs it reads again in place.
bool FinishBackgroundRead(BackgroundReader* reader, uint32_t* got);

// Hands the helper other work instead of a read: `work(context)` runs on the helper thread, and the context is
// the helper's until FinishBackgroundWork. BackgroundReadFinished tells whether it is done.
void BeginBackgroundWork(BackgroundReader* reader, void (*work)(void*), void* context);

// Waits for the work begun last.
inline void FinishBackgroundWork(BackgroundReader* reader)
{
    uint32_t got = 0;
    FinishBackgroundRead(reader, &got);
}

// Ends the helper thread (after a read still in flight) and frees it.
void StopBackgroundReader(BackgroundReader* reader);

// A helper thread that brings a whole file into the system's file cache in large sequential reads, from its
// start to its end, while its owner reads the file in whatever order the file dictates: a store whose blocks lie
// scattered would otherwise cost a cold disk one small read per block. Changes nothing but speed.
struct FilePrefetcher;

// Null (with the reason) when no helper thread can be started; the owner reads as before.
FilePrefetcher* StartFilePrefetcher(FileHandle file, uint64_t size);

// Ends the helper (after the chunk under way) and frees it. Must come before the file is closed. Null is ignored.
void StopFilePrefetcher(FilePrefetcher* prefetcher);

// The chunk a prefetcher hands over at a time: large enough that the disk sees long sequential reads, small enough
// that a stop is heeded at once.
inline constexpr uint64_t kPrefetchChunk = 8 << 20;

// One such chunk on the caller's own thread, for helpers that prefetch on a schedule of their own: brings the
// bytes into the system's file cache and returns once they have arrived. Changes nothing but speed.
void PrefetchFileChunk(FileHandle file, uint64_t offset, uint32_t count);

// A helper thread that keeps a few new files of the folder being written ready, still without a name, so that
// creating a file there costs its owner little more than naming one. Where the system has no nameless files,
// or refuses to name them, nothing is prepared.
struct FilePreparer;

// Starts the helper, with no folder to prepare files in yet. Null (with the reason) where that cannot be done.
FilePreparer* StartFilePreparer();

// Files are prepared in the current directory from now on; those ready elsewhere are dropped. Null is ignored.
void PrepareFilesInCurrentDir(FilePreparer* preparer);

// Nothing is prepared until the next PrepareFilesInCurrentDir; files ready are dropped. Null is ignored.
void DropPreparedFiles(FilePreparer* preparer);

// Creates a file exactly as CreateForWriting(path) does (the same file, the same errors, an existing file
// truncated), naming a prepared file where one is ready and path is still free. path names a file of the folder
// files are prepared in. A null preparer creates the file as CreateForWriting does.
FileHandle CreatePreparedForWriting(FilePreparer* preparer, const char* path);

// Ends the helper thread once it has dropped every file it prepared that was never named, and frees it. Null is
// ignored.
void StopFilePreparer(FilePreparer* preparer);

struct LocalTime {
    int year = 0;         // four digits
    int month = 0;        // 1 to 12
    int day = 0;          // 1 to 31
    int day_of_week = 0;  // 0 = Sunday
    int hour = 0;
    int minute = 0;
    int second = 0;
};
LocalTime CurrentLocalTime();

// Whole seconds since 1970-01-01 00:00 UTC, taken to 32 bits.
uint32_t SecondsSince1970();

}  // namespace platform
