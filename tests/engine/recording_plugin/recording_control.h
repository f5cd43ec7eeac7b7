// The control exports of the recording writer (Dovanrecord), for tests that load it in their own process and
// look these up with platform::FindSymbol. How to drive it from another process: see recording_plugin.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

extern "C" {

// Forgets every recorded call, failure, text setting and hook, and reads the environment again.
typedef void (*RecordResetFn)(void);

// Makes call number `nth` (1-based, counted since the last reset) of `entry` fail with `error_code`.
typedef void (*RecordFailCallFn)(const char* entry, uint32_t nth, uint32_t error_code);

// The recorded calls: entry name, argument (AppendBuffer: the bytes; StartConvert, NewFolder, SetSetting:
// the text; NewTreeFolder: the path joined with "/" and " +subfolders" when it has some; NewMessage: the kind
// in decimal) and whether the call was made to fail.
typedef size_t (*RecordCallCountFn)(void);
typedef const char* (*RecordCallEntryFn)(size_t index);
typedef const char* (*RecordCallArgumentFn)(size_t index, size_t* length);
typedef int (*RecordCallFailedFn)(size_t index);

// What GetPluginName, GetNote or GetDefaultDestDir return: mode 0 no text, 1 the string id `id`, 2 a block
// holding a copy of `text`. The plugin's table holds id 1 (its name), 2 (its note), 3 (its setting) and 4 (a
// text of 1500 bytes: the digits 0 to 9 over and over).
typedef void (*RecordSetTextFn)(const char* entry, int mode, uint32_t id, const char* text);

// Called inside every entry point after the call was recorded, with the entry's running count.
typedef void (*RecordHookFn)(const char* entry, uint32_t nth, void* context);
typedef void (*RecordSetHookFn)(RecordHookFn hook, void* context);

// The facts of every SetMessageFacts since the last reset, in order (they are not among the calls above).
struct DovanMessageFacts;
typedef size_t (*RecordFactsCountFn)(void);
typedef int (*RecordFactsAtFn)(size_t index, DovanMessageFacts* facts);
}

inline constexpr size_t kRecordLongStringLength = 1500;
