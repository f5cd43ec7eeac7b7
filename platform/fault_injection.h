// Planned failures of the platform layer, for tests that prove a failing disk loses nothing.
//
// A plan makes chosen calls of six operations fail with a chosen error code: writes (WriteAll), file
// creation (CreateForWriting), directory creation (CreateDir), renames (MoveFileNoReplace) and closes
// (CloseFile) and truncation (TruncateFile). It comes from
// the environment variable DOVAN_FAULTS, so that every module sees it: the host and each writer plugin link a
// copy of the platform layer of their own, and each copy counts its own calls.
//
//   DOVAN_FAULTS=<rule>[,<rule>...]      <rule> = <operation>:<calls>:<error>
//   <operation>  write        the write fails and writes nothing
//                short-write  the write puts the first half of its bytes on disk, then fails (a disk that fills
//                             up during the write); it counts as a write
//                create       file creation
//                mkdir        directory creation
//                rename       renaming a file
//                close        closing a file: the file is closed all the same, as the system does when a
//                             close reports that written bytes may not have reached the disk
//                truncate     cutting a file back (TruncateFile): the file stays as it was
//   <calls>      N            the Nth call only (1-based), so a retry afterwards succeeds
//                N-M          calls N to M
//                N+           call N and every later one (the disk stays full)
//   <error>      ENOSPC (disk full), EACCES (access denied), EIO, EROFS, or a number: the system's own code
//
// Example: DOVAN_FAULTS=write:3:ENOSPC,mkdir:1+:EACCES
//
// When it is read: each copy reads the variable at its first checked call, and again at every file creation,
// directory creation, rename and close (never at a plain write, which stays cheap). Whenever the text differs from the
// plan in force, the new plan replaces it and every count starts again from zero; an unset or empty variable
// means no faults. So a test arms faults by setting the variable before a run and clears them by unsetting it.
// A rule that cannot be read is reported once on standard error and left out.
//
// The plan is a test hook: only builds that build the tests (DOVAN_TESTS) compile it, and define
// DOVAN_TEST_HOOKS. Elsewhere CheckFault is an inline "never fails", so the shipped program and plugins neither
// contain the plan nor read the variable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

inline constexpr char kFaultPlanVariable[] = "DOVAN_FAULTS";

enum class FaultOperation { Write = 0, CreateFile = 1, CreateDir = 2, Rename = 3, Close = 4, Truncate = 5 };
inline constexpr int kFaultOperationCount = 6;

struct FaultRule {
    FaultOperation operation = FaultOperation::Write;
    uint32_t first_call = 1;  // 1-based
    uint32_t last_call = 1;   // UINT32_MAX for "N+"
    ErrorCode code = 0;
    bool partial_write = false;  // short-write: half the bytes reach the disk first
};

// Reads a plan in the syntax above. False when any rule cannot be read; `rules` then holds the readable ones
// and `bad_rule` the first that was not.
bool ParseFaultPlan(const char* text, std::vector<FaultRule>& rules, std::string& bad_rule);

// The error code an <error> field names on this platform; false for an unknown name.
bool FaultErrorCode(const std::string& name, ErrorCode& code);

struct FaultDecision {
    bool fail = false;
    bool partial_write = false;
};

// Called by the platform implementation at the start of each operation that can be made to fail. When the
// plan says this call fails, the last-error code is set to the planned code and `fail` is true.
#if DOVAN_TEST_HOOKS
FaultDecision CheckFault(FaultOperation operation);
#else
inline FaultDecision CheckFault(FaultOperation) { return {}; }
#endif

}  // namespace platform
