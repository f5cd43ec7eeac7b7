/*
 * The writer plugin contract: the one header shared by the Dovan host and every writer plugin.
 *
 * A writer plugin is a shared library exporting these entry points under their plain, undecorated names.
 * Seven are required (GetPluginName, GetNote, StartConvert, NewFolder, NewMessage, AppendBuffer,
 * FinishMessage); the others may be missing and are then never called.
 *
 * Calling order of a run, as a plugin sees it (a run that keeps the folder tree may call NewTreeFolder in
 * place of NewFolder; see there):
 *   StartConvert(destination)                       -- 0: the run ends here, nothing else is called
 *   per source folder, per message that has text:
 *     NewFolder(name)  if the folder is not open yet
 *     SetMessageFacts(facts)                        -- only where exported (below)
 *     NewMessage(kind)
 *     AppendBuffer(piece, length) ...               -- 1 to 2048 bytes, never empty; the last piece ends with LF
 *     FinishMessage()
 *   when the folder is done or skipped: FinishMessage() if a message is open, FinishFolder() if the folder is open
 *   FinishConvert()
 * A stopped run calls FinishConvert() first and may then still call FinishMessage() and FinishFolder().
 * A message the host gives up on is closed with DiscardMessage() instead of FinishMessage() where the plugin
 * exports it (see below).
 *
 * Failure: an entry point returns 0 and leaves the reason in the thread's last-error code (GetLastError on
 * Windows, errno elsewhere). No exception may cross this boundary.
 *
 * The current directory: StartConvert gets the destination as an absolute path that exists. A writer may move
 * the process's current directory into it, and below it, and work with relative names from there (every
 * delivered writer does: it enters the destination in StartConvert and a folder's directory in NewFolder);
 * it never relies on the directory the host had. The host saves its current directory before StartConvert and
 * puts it back after the run's last call to the plugin, so a writer need not restore it. Host paths handed
 * during a run are absolute for that reason.
 *
 * Threads: every entry point of a run is called on one thread, the host's run thread, one call at a time; the
 * text entry points (GetPluginName, GetNote, GetDefaultDestDir, LoadPluginString) and SettingDlg are called on
 * the host's user-interface thread, never while a run is under way. A writer may start threads of its own
 * (the delivered eml and Maildir writers prepare files on one) but ends them by FinishConvert, and only the
 * run thread calls into the host's memory (the pieces handed to AppendBuffer are valid during the call only).
 *
 * Texts: host texts are NUL-terminated byte strings in the system's code page, borrowed for the duration of
 * the call. Text results (GetPluginName, GetNote, GetDefaultDestDir) follow the DovanTextResult rule below.
 */
#ifndef DOVAN_PLUGIN_H
#define DOVAN_PLUGIN_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#define DOVAN_CALL WINAPI
/* Windows plugins list their exports in a .def file (linked with --kill-at) so that the names stay plain. */
#define DOVAN_EXPORT
#else
#include <stdlib.h>
#define DOVAN_CALL
#define DOVAN_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define DOVAN_EXTERN_C extern "C"
#else
#define DOVAN_EXTERN_C
#endif

/* Declares an exported entry point: DOVAN_ENTRY(int) StartConvert(const char* destination) { ... } */
#define DOVAN_ENTRY(result_type) DOVAN_EXTERN_C DOVAN_EXPORT result_type DOVAN_CALL

#ifdef __cplusplus
extern "C" {
#endif

/* The argument of NewMessage. */
enum MessageKind { MessageKindMail = 1, MessageKindNews = 2 };

/*
 * Text result: 0 = no text; 1 to 65535 = the id of a string in the plugin's own string table;
 * anything larger = a pointer to a NUL-terminated text in a block from DovanAllocText, which the host
 * copies and always frees with DovanFreeText (an empty text counts as no text).
 * 32 bits on 32-bit Windows, as the contract was first defined; pointer-sized wherever pointers are wider.
 */
typedef uintptr_t DovanTextResult;
#define DOVAN_MAX_STRING_ID 0xFFFFu

/* An opaque window handle: the owner window of a settings dialog (an HWND on Windows). */
typedef void* DovanWindow;

typedef DovanTextResult(DOVAN_CALL* GetPluginNameFn)(void);
typedef DovanTextResult(DOVAN_CALL* GetNoteFn)(void);
typedef DovanTextResult(DOVAN_CALL* GetDefaultDestDirFn)(void);
typedef int(DOVAN_CALL* SettingDlgFn)(DovanWindow owner);
typedef int(DOVAN_CALL* StartConvertFn)(const char* destination);
typedef int(DOVAN_CALL* NewFolderFn)(const char* folder_name);
typedef int(DOVAN_CALL* NewMessageFn)(uint32_t kind);
typedef int(DOVAN_CALL* AppendBufferFn)(const void* data, uint32_t length);
typedef int(DOVAN_CALL* FinishMessageFn)(void);
typedef int(DOVAN_CALL* FinishFolderFn)(void);
typedef int(DOVAN_CALL* FinishConvertFn)(void);

/*
 * Optional exports beyond the eleven, used where the platform has no dialogs or resources.
 *
 * SetSetting(value): sets the plugin's one setting from a text (mbox "from-quoting", "ignore-case",
 * "pass-through"; eml "sequence", "sequence-no-extension", "subject"; bmf a whole number of KB).
 * Nonzero on success; 0 with EINVAL (ERROR_INVALID_PARAMETER on Windows) for a value it does not know.
 * The plugin's string id 3 describes the accepted values.
 */
typedef int(DOVAN_CALL* SetSettingFn)(const char* value);

/*
 * DiscardMessage(): takes back the open message. Called instead of FinishMessage when the host gives up on a
 * message after NewMessage succeeded: the user answered Retry (the message then comes again, whole, through a
 * new NewMessage), Skip Mail or Skip Folder, or the store was damaged in the middle of the message's text. The
 * plugin removes what it wrote of the message (a file of its own is deleted; a message appended to a shared
 * file is cut back to where it began) and closes it; afterwards no message is open and the folder takes the
 * next NewMessage. The host never calls FinishMessage for a message it discarded.
 * Nonzero on success; 0 with the reason in the last-error code when something of the message may remain. The
 * message counts as closed either way; after a failed DiscardMessage the host goes on as after a failed
 * FinishMessage.
 * A plugin without this export keeps what it was given: the host closes the message with FinishMessage as
 * before.
 */
typedef int(DOVAN_CALL* DiscardMessageFn)(void);

/*
 * LoadPluginString(id, buffer, size): the POSIX counterpart of LoadStringA on the plugin's module. Copies
 * string `id` of the plugin's table, in the language of the user interface, into buffer (at most size - 1
 * bytes, always terminated) and returns the number of bytes copied; 0 when there is no such string.
 */
typedef int(DOVAN_CALL* LoadPluginStringFn)(uint32_t id, char* buffer, int size);

/*
 * NewTreeFolder(path, depth, flags): optional; how a plugin learns where a folder goes when the run keeps the
 * store's folder tree. A plugin that exports it gets this call in place of NewFolder in such a run; a plugin
 * without it gets NewFolder as in a flat run, with the folder's path in one name (its parts joined with "=").
 * A flat run never calls it.
 *
 *   path   depth NUL-terminated names, from the top of the destination down to the folder itself: path[0] is a
 *          top-level folder, path[depth - 1] the folder that opens. Each name is one safe path component (no
 *          separator, no "." or "..", no reserved device name, no trailing dot or blank) and is unique among
 *          its siblings in any letter case. Borrowed for the duration of the call.
 *   depth  1 or more (at most 32).
 *   flags  DOVAN_FOLDER_HAS_SUBFOLDERS when folders below this one follow in the run. Other bits are 0.
 *
 * The host announces a folder before any folder below it, so a writer may create what the parent needs (an
 * mbox file and its "NAME.sbd" directory, an eml directory) when the parent opens; the folders below it follow
 * after its FinishFolder. The calling order around it is NewFolder's: NewTreeFolder, then NewMessage,
 * AppendBuffer and FinishMessage per message, then FinishFolder. A folder without subfolders is announced at
 * its first message, as NewFolder is; a folder with subfolders is announced in any case, at its first message
 * or, when it has none, with no message at the end of its turn, and FinishFolder follows (so an mbox writer can
 * leave its empty file). Returns nonzero on success; 0 with the reason in the last-error code.
 */
typedef int(DOVAN_CALL* NewTreeFolderFn)(const char* const* path, uint32_t depth, uint32_t flags);
#define DOVAN_FOLDER_HAS_SUBFOLDERS 0x1u

/*
 * Message facts: what the store kept about a message beyond its text.
 *
 * SetMessageFacts(facts): optional. When a plugin exports it, the host calls it immediately before every
 * NewMessage (a retried message gets it again before its next NewMessage), with the facts of the message that
 * NewMessage begins. The record and its contents belong to the host and are valid only during the call; a
 * plugin copies what it keeps. The result is not examined. Plugins without it never see the facts.
 *
 * The record grows only at its end. `size` is the number of bytes the host filled in; a plugin reads a field
 * only when size reaches past it (DOVAN_FACTS_HAVE). Each value is present only when its DOVAN_FACT_ bit is set
 * in `present`: a store may lack it or hold one that cannot be read.
 */
#define DOVAN_FACT_RECEIVED_TIME 0x1u /* received_time holds the time the message arrived */
#define DOVAN_FACT_SENT_TIME 0x2u     /* sent_time holds the time the sender sent it */
#define DOVAN_FACT_FLAGS 0x4u         /* flags holds the message's state (DOVAN_MESSAGE_ bits) */

#define DOVAN_MESSAGE_READ 0x01u
#define DOVAN_MESSAGE_ANSWERED 0x02u
#define DOVAN_MESSAGE_FORWARDED 0x04u
#define DOVAN_MESSAGE_FLAGGED 0x08u
#define DOVAN_MESSAGE_DRAFT 0x10u
#define DOVAN_MESSAGE_HEADER_ONLY 0x20u /* the body was never downloaded: the text is the header alone */

typedef struct DovanMessageFacts {
    uint32_t size;          /* bytes of this record that the host filled in */
    uint32_t present;       /* DOVAN_FACT_ bits */
    uint64_t received_time; /* 100-ns ticks since 1601-01-01 00:00 UTC (a Windows FILETIME) */
    uint64_t sent_time;     /* the same unit */
    uint32_t flags;         /* DOVAN_MESSAGE_ bits */
    uint32_t reserved;      /* 0 */
} DovanMessageFacts;

/* True when the host filled in `field` of the facts record. */
#define DOVAN_FACTS_HAVE(facts, field) ((facts)->size >= offsetof(DovanMessageFacts, field) + sizeof((facts)->field))

typedef int(DOVAN_CALL* SetMessageFactsFn)(const DovanMessageFacts* facts);

/*
 * Options beyond the one setting, for hosts that take them from a command line.
 *
 * SetOption(name, value): optional. Sets a named option of the plugin from a text before StartConvert; both texts
 * are borrowed for the duration of the call. Names in use: "from-date" ("run" or "message": the date of an
 * mbox From_ line), "status-headers" ("on" or "off": mbox state headers). Nonzero on success; 0 with EINVAL
 * (ERROR_INVALID_PARAMETER on Windows) for a name or value the plugin does not know. An option keeps its value
 * while the library stays loaded; a host sets only the options its user gave, the others keep their defaults.
 */
typedef int(DOVAN_CALL* SetOptionFn)(const char* name, const char* value);

/* Text blocks handed from a plugin to the host. */
static inline char* DovanAllocText(size_t size)
{
#ifdef _WIN32
    return (char*)GlobalAlloc(GMEM_FIXED, size);
#else
    return (char*)malloc(size);
#endif
}

static inline void DovanFreeText(void* block)
{
#ifdef _WIN32
    GlobalFree((HGLOBAL)block);
#else
    free(block);
#endif
}

/* A text block holding a copy of text, or 0 when it cannot be allocated. */
static inline DovanTextResult DovanTextBlock(const char* text)
{
    size_t length = strlen(text);
    char* block = DovanAllocText(length + 1);
    if (!block) return 0;
    memcpy(block, text, length + 1);
    return (DovanTextResult)block;
}

#ifdef __cplusplus
}
#endif

#endif
