// The run, folder and message lifecycle of the eml writer: one file per message, made ahead on a helper thread
// in large folders, and renamed after the subject once written when the naming rule asks for it.
#include <cstring>

#include "plugins/common/exports.h"
#include "plugins/common/writer_folders.h"
#include "plugins/eml/file_times.h"
#include "plugins/eml/tree_folders.h"
#include "plugins/eml/writer.h"

namespace eml {

EmlWriter g_writer;

namespace {

// A folder's files are made ahead on a helper thread from this message on: a folder of a few messages would
// pay more for the files made in vain than naming saves.
constexpr uint32_t kPrepareFilesFrom = 8;

void StopPreparingFiles(EmlWriter& writer)
{
    platform::StopFilePreparer(writer.preparer);
    writer.preparer = nullptr;
}

// A host that unloads the plugin without finishing the run must not leave the helper running in unloaded code.
struct StopPreparingAtUnload {
    ~StopPreparingAtUnload() { StopPreparingFiles(g_writer); }
} g_stop_preparing_at_unload;

void CloseLeftoverFile(EmlWriter& writer)
{
    if (writer.output == platform::kNoFile) return;
    plugins::Flush(writer.gathered);
    platform::CloseFile(writer.output);
    writer.output = platform::kNoFile;
}

bool SameNameFolded(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return *a == *b;
}

// Taken: an entry of the folder, in any letter case, or the open message's own working file.
bool IsTaken(const EmlWriter& writer, const char* name, bool* taken)
{
    if (!CheckNameTaken(writer.folder_names, name, taken)) return false;
    if (!*taken && writer.working_name[0] && SameNameFolded(name, writer.working_name)) *taken = true;
    return true;
}

// Under SubjectName the working file must never replace an existing file: an earlier message may have been
// named "temp2.eml" after its subject, and the plain working name would truncate it.
bool ChooseWorkingName(EmlWriter& writer)
{
    writer.working_name[0] = '\0';
    char name[kNameBufferSize];
    FormMessageName(kSubjectName, writer.message_number, writer.kind, name);
    for (uint32_t attempt = 1;; ++attempt) {
        bool taken = false;
        if (!IsTaken(writer, name, &taken)) return false;
        if (!taken) break;
        if (attempt == 0) {  // every suffix taken: give up with the system's own answer
            platform::SetLastError(platform::kErrorInvalidParameter);
            return false;
        }
        FormOtherWorkingName(writer.message_number, attempt, name);
    }
    std::memcpy(writer.working_name, name, sizeof name);
    return true;
}

// Renames the closed working file after its subject: "base.ext", or "base (k).ext" when that is taken.
bool GiveSubjectName(EmlWriter& writer)
{
    char base[kNameBufferSize];
    MakeBaseName(writer.subject.subject, writer.subject.subject_length, base);
    const char* extension = ExtensionFor(writer.kind);

    char candidate[kNameBufferSize];
    uint32_t k = 0;
    FormSubjectName(base, k, extension, candidate);
    for (;;) {
        bool taken = false;
        if (!IsTaken(writer, candidate, &taken)) return false;
        if (!taken) break;
        if (k == 0) {
            if (!NextSuffix(writer.folder_names, base, extension, &k)) return false;
        } else if (++k == 0) {
            platform::SetLastError(platform::kErrorInvalidParameter);
            return false;
        }
        FormSubjectName(base, k, extension, candidate);
    }
    if (!platform::MoveFileNoReplace(writer.working_name, candidate)) {
        // The message stays in its working file; later names must not collide with it either.
        platform::ErrorCode reason = platform::LastError();
        RememberName(writer.folder_names, writer.working_name);
        platform::SetLastError(reason);
        return false;
    }
    writer.working_name[0] = '\0';
    // The file is stored under its name: failing to note it down only weakens the letter-case check.
    RememberName(writer.folder_names, candidate);
    if (k != 0) SetNextSuffix(writer.folder_names, base, extension, k + 1);
    return true;
}

}  // namespace

bool StartRun(const char* destination)
{
    EmlWriter& writer = g_writer;
    CloseLeftoverFile(writer);
    StopPreparingFiles(writer);
    ForgetFolderNames(writer.folder_names);
    ForgetTreeFolders();
    if (!destination) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return false;
    }
    return platform::SetCurrentDir(destination);
}

void EndRun() { StopPreparingFiles(g_writer); }

void ClearFolderState()
{
    EmlWriter& writer = g_writer;
    CloseLeftoverFile(writer);
    platform::DropPreparedFiles(writer.preparer);
    writer.message_number = 0;
    ForgetFolderNames(writer.folder_names);
}

bool OpenFolder(const char* name)
{
    ClearFolderState();
    return LeaveTreeFolders() && plugins::EnterNewFolder(name);
}

bool CloseFolder()
{
    EmlWriter& writer = g_writer;
    CloseLeftoverFile(writer);
    platform::DropPreparedFiles(writer.preparer);
    ForgetFolderNames(writer.folder_names);
    return platform::SetCurrentDir("..");
}

bool BeginMessage(uint32_t kind)
{
    EmlWriter& writer = g_writer;
    // A message the host never finished would otherwise keep its file open for good.
    CloseLeftoverFile(writer);
    ++writer.message_number;
    BeginMessageDate();
    writer.kind = kind;
    writer.rule = g_naming_rule;
    writer.working_name[0] = '\0';
    if (writer.rule == kSubjectName) {
        ResetSubjectSearch(writer.subject);
        if (!writer.folder_names.loaded && !LoadFolderNames(writer.folder_names)) return false;
        if (!ChooseWorkingName(writer)) return false;
    } else {
        FormMessageName(writer.rule, writer.message_number, kind, writer.working_name);
    }
    if (writer.message_number == kPrepareFilesFrom) {
        if (!writer.preparer) writer.preparer = platform::StartFilePreparer();
        platform::PrepareFilesInCurrentDir(writer.preparer);
    }
    writer.output = platform::CreatePreparedForWriting(writer.preparer, writer.working_name);
    if (writer.output == platform::kNoFile) {
        writer.working_name[0] = '\0';
        return false;
    }
    plugins::StartFile(writer.gathered, writer.output);  // the previous file was flushed when it was closed
    return true;
}

bool AppendPiece(const void* data, uint32_t length)
{
    EmlWriter& writer = g_writer;
    if (!plugins::CanTakePiece(writer.output, data, length)) return false;
    if (writer.rule == kSubjectName && writer.subject.subject_length == 0)
        ScanPieceForSubject(writer.subject, static_cast<const unsigned char*>(data), length);
    // Gathered into large writes that EndMessage completes.
    return plugins::Gather(writer.gathered, writer.output, data, length);
}

bool EndMessage()
{
    EmlWriter& writer = g_writer;
    if (writer.output == platform::kNoFile) return true;  // nothing open: nothing to finish
    bool written = plugins::Flush(writer.gathered);
    // Dated on the open handle: one call more per file, and the renaming below keeps the time.
    written = written && DateMessageFile(writer.output);
    platform::ErrorCode write_error = platform::LastError();
    bool closed = platform::CloseFile(writer.output);
    writer.output = platform::kNoFile;
    if (!closed) return false;
    // A failed last write or date fails the message: a message that is not counted leaves no file.
    if (!written) {
        RemoveUncountedFile(writer);
        platform::SetLastError(write_error);
        return false;
    }
    bool named = true;
    if (writer.rule != kSubjectName) writer.working_name[0] = '\0';
    else named = GiveSubjectName(writer);
    if (!named) {
        // Not counted, so not kept under its working name either: a retry leaves one copy.
        platform::ErrorCode reason = platform::LastError();
        RemoveUncountedFile(writer);
        platform::SetLastError(reason);
    }
    return named;
}

}  // namespace eml
