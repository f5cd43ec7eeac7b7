// The eml writer: every message as a file of its own, its text unchanged, in one subfolder per source folder.
#include <cstring>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/common/gathered_output.h"
#include "plugins/eml/file_names.h"
#include "plugins/eml/portable_names.h"
#include "plugins/eml/setting.h"
#include "plugins/eml/subject_search.h"
#include "plugins/eml/taken_names.h"

namespace {

// The run state. One run at a time uses it (the host's contract).
uint32_t g_message_number = 0;                   // per folder; the first message is 1
platform::FileHandle g_output = platform::kNoFile;
uint32_t g_kind = MessageKindMail;               // of the open message
uint32_t g_rule = eml::kSequence;                // the naming rule the open message was begun under
char g_working_name[eml::kNameBufferSize] = "";  // the open message's file
eml::SubjectSearch g_subject;
eml::FolderNames g_folder_names;
plugins::GatheredOutput g_gathered;  // the open message's bytes not yet written

// A folder's files are made ahead on a helper thread from this message on: a folder of a few messages would
// pay more for the files made in vain than naming saves.
constexpr uint32_t kPrepareFilesFrom = 8;
platform::FilePreparer* g_preparer = nullptr;  // started by the first folder that reaches it; serves the run

void StopPreparingFiles()
{
    platform::StopFilePreparer(g_preparer);
    g_preparer = nullptr;
}

// A host that unloads the plugin without finishing the run must not leave the helper running in unloaded code.
struct StopPreparingAtUnload {
    ~StopPreparingAtUnload() { StopPreparingFiles(); }
} g_stop_preparing_at_unload;

// Every byte of a message goes out here, gathered into large writes that FinishMessage completes.
bool WriteToMessageFile(const void* data, uint32_t length)
{
    return plugins::Gather(g_gathered, g_output, data, length);
}

void CloseLeftoverFile()
{
    if (g_output == platform::kNoFile) return;
    plugins::Flush(g_gathered);
    platform::CloseFile(g_output);
    g_output = platform::kNoFile;
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
bool IsTaken(const char* name, bool* taken)
{
    if (!eml::CheckNameTaken(g_folder_names, name, taken)) return false;
    if (!*taken && g_working_name[0] && SameNameFolded(name, g_working_name)) *taken = true;
    return true;
}

// Under SubjectName the working file must never replace an existing file: an earlier message may have been
// named "temp2.eml" after its subject, and the plain working name would truncate it.
bool ChooseWorkingName()
{
    g_working_name[0] = '\0';
    char name[eml::kNameBufferSize];
    eml::FormMessageName(eml::kSubjectName, g_message_number, g_kind, name);
    for (uint32_t attempt = 1;; ++attempt) {
        bool taken = false;
        if (!IsTaken(name, &taken)) return false;
        if (!taken) break;
        if (attempt == 0) {  // every suffix taken: give up with the system's own answer
            platform::SetLastError(platform::kErrorInvalidParameter);
            return false;
        }
        eml::FormOtherWorkingName(g_message_number, attempt, name);
    }
    std::memcpy(g_working_name, name, sizeof name);
    return true;
}

// Renames the closed working file after its subject: "base.ext", or "base (k).ext" when that is taken.
int GiveSubjectName()
{
    char base[eml::kNameBufferSize];
    eml::MakeBaseName(g_subject.subject, g_subject.subject_length, base);
    const char* extension = eml::ExtensionFor(g_kind);

    char candidate[eml::kNameBufferSize];
    uint32_t k = 0;
    eml::FormSubjectName(base, k, extension, candidate);
    for (;;) {
        bool taken = false;
        if (!IsTaken(candidate, &taken)) return 0;
        if (!taken) break;
        if (k == 0) {
            if (!eml::NextSuffix(g_folder_names, base, extension, &k)) return 0;
        } else if (++k == 0) {
            platform::SetLastError(platform::kErrorInvalidParameter);
            return 0;
        }
        eml::FormSubjectName(base, k, extension, candidate);
    }
    if (!platform::MoveFileNoReplace(g_working_name, candidate)) {
        // The message stays in its working file; later names must not collide with it either.
        platform::ErrorCode reason = platform::LastError();
        eml::RememberName(g_folder_names, g_working_name);
        platform::SetLastError(reason);
        return 0;
    }
    g_working_name[0] = '\0';
    // The file is stored under its name: failing to note it down only weakens the letter-case check.
    eml::RememberName(g_folder_names, candidate);
    if (k != 0) eml::SetNextSuffix(g_folder_names, base, extension, k + 1);
    return 1;
}

}  // namespace

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return 1; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return 2; }

DOVAN_ENTRY(int) StartConvert(const char* destination)
{
    CloseLeftoverFile();
    StopPreparingFiles();
    eml::ForgetFolderNames(g_folder_names);
    if (!destination) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    return platform::SetCurrentDir(destination) ? 1 : 0;
}

DOVAN_ENTRY(int) NewFolder(const char* name)
{
    CloseLeftoverFile();
    platform::DropPreparedFiles(g_preparer);
    g_message_number = 0;
    eml::ForgetFolderNames(g_folder_names);
    if (!name) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    char folder[names::kMaxNameLength + 1];
    const char* directory = names::MakeFolderName(name, folder, sizeof folder) ? folder : name;
    platform::CreateDir(directory);  // an existing folder is simply used
    return platform::SetCurrentDir(directory) ? 1 : 0;
}

DOVAN_ENTRY(int) NewMessage(uint32_t kind)
{
    // A message the host never finished would otherwise keep its file open for good.
    CloseLeftoverFile();
    ++g_message_number;
    g_kind = kind;
    g_rule = eml::g_naming_rule;
    g_working_name[0] = '\0';
    if (g_rule == eml::kSubjectName) {
        eml::ResetSubjectSearch(g_subject);
        if (!g_folder_names.loaded && !eml::LoadFolderNames(g_folder_names)) return 0;
        if (!ChooseWorkingName()) return 0;
    } else {
        eml::FormMessageName(g_rule, g_message_number, kind, g_working_name);
    }
    if (g_message_number == kPrepareFilesFrom) {
        if (!g_preparer) g_preparer = platform::StartFilePreparer();
        platform::PrepareFilesInCurrentDir(g_preparer);
    }
    g_output = platform::CreatePreparedForWriting(g_preparer, g_working_name);
    if (g_output == platform::kNoFile) {
        g_working_name[0] = '\0';
        return 0;
    }
    plugins::StartFile(g_gathered, g_output);  // the previous file was flushed when it was closed
    return 1;
}

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length)
{
    if (g_output == platform::kNoFile || (!data && length != 0)) {
        platform::SetLastError(platform::kErrorInvalidParameter);
        return 0;
    }
    if (g_rule == eml::kSubjectName && g_subject.subject_length == 0)
        eml::ScanPieceForSubject(g_subject, static_cast<const unsigned char*>(data), length);
    return WriteToMessageFile(data, length) ? 1 : 0;
}

DOVAN_ENTRY(int) FinishMessage(void)
{
    if (g_output == platform::kNoFile) return 1;  // nothing open: nothing to finish
    bool written = plugins::Flush(g_gathered);
    platform::ErrorCode write_error = platform::LastError();
    bool closed = platform::CloseFile(g_output);
    g_output = platform::kNoFile;
    if (!closed) return 0;
    int named = 1;
    if (g_rule != eml::kSubjectName)
        g_working_name[0] = '\0';
    else
        named = GiveSubjectName();
    // A failed last write fails the message: the file is closed and named as after any failed piece.
    if (!written) {
        platform::SetLastError(write_error);
        return 0;
    }
    return named;
}

DOVAN_ENTRY(int) FinishFolder(void)
{
    CloseLeftoverFile();
    platform::DropPreparedFiles(g_preparer);
    eml::ForgetFolderNames(g_folder_names);
    return platform::SetCurrentDir("..") ? 1 : 0;
}

DOVAN_ENTRY(int) FinishConvert(void)
{
    StopPreparingFiles();
    return 1;
}
