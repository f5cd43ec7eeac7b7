// The folder conversion: every message of one .dbx file, in index order, through the run's FolderScope.
#pragma once

#include <cstdint>

#include "dbx/dbx_file.h"
#include "engine/folder_scope.h"
#include "engine/front_end.h"

namespace engine {

// The largest piece handed to AppendBuffer; pieces never span two data blocks.
inline constexpr uint32_t kPieceSize = 2048;

// Converts the .dbx file at `path`, adding one to `total` per converted message. True: go on with the next
// folder (done, empty, or skipped). False: stop the run (Abort Processing, or the abort flag seen before a
// message). Reports skips and damage to the front end; the caller ends the scope with EndFolder afterwards.
bool ConvertFolder(FrontEnd& front_end, const char* path, FolderScope& scope, uint32_t& total);

// The message loop over an open file whose header counts messages; same result as ConvertFolder. Sets
// `damaged` when a message's text could not be read whole.
bool ConvertMessages(FrontEnd& front_end, dbx::DbxFile& dbx, FolderScope& scope, uint32_t& total, bool& damaged);

// What follows a failed attempt at a message once the user has answered.
enum class AfterFailure { Retry, NextMessage, EndFolder, StopRun };

// Asks the message-level question after a failed attempt at message `index` (0-based) and gives the open message
// up (GiveUpMessage) before the answer is acted on; a DiscardMessage that fails is asked about once more, and
// that answer stands. Reports a skipped message or folder to the front end.
AfterFailure AnswerFailedMessage(FrontEnd& front_end, FolderScope& scope, uint32_t index);

}  // namespace engine
