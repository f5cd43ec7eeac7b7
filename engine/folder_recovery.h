// Recovery: the message texts of one .dbx file that its index does not reach (deleted messages, chains left
// outside the index), written as messages of a folder of their own beside the folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dbx/recovery_scan.h"
#include "engine/front_end.h"
#include "engine/plugin_host.h"

namespace engine {

// The name of the folder that takes the texts recovered from `folder_name`: "Inbox (recovered)". The one place
// that composes it; the folder goes beside the folder it comes from.
std::string RecoveredFolderName(const std::string& folder_name);

// The header line put before each recovered text: that it was recovered, from which kind of blocks and where,
// and how many of its bytes were lost (each one shown as the placeholder). Ends in CR LF.
std::string RecoveredHeaderLine(const dbx::RecoveredChain& chain, uint32_t first_position);

// What the scan of one file found, the texts equal to an indexed message already left out.
struct RecoveryFindings {
    dbx::CandidateTable table;
    std::vector<dbx::RecoveredChain> chains;
    bool complete = true;  // false: the memory budget or a failed read cut the search short
};

// Scans an open file once and rebuilds the texts outside its index. Stops early, with nothing found, when the
// run's abort flag is set.
RecoveryFindings FindRecoverableTexts(dbx::DbxFile& dbx, size_t candidate_limit = dbx::kDefaultCandidateLimit);

// The recovery step of one folder, after its indexed messages: opens the file at `path` again, finds the texts
// outside the index and writes each as a message into RecoveredFolderName(writer_name) through a scope of its
// own, which it ends (beside `place` in its parent, where the run keeps the tree). Reports the count as
// MessagesRecovered(folder_name, ...). False: stop the run (the abort flag, or Abort Processing at an error);
// FinishConvert has then been called already, before the scope ended. `cut_by_damage`: the first blocks of indexed
// messages the conversion found cut short by damage; what can be read of each goes into the recovered folder too, its
// header line saying where the text was cut.
bool RecoverFolder(FrontEnd& front_end, const char* path, const char* folder_name, const std::string& writer_name,
                   const FolderPlace* place, const WriterPlugin& plugin,
                   const std::vector<uint32_t>& cut_by_damage = {});

// The header line put before what could be read of a message cut short by damage. Ends in CR LF.
std::string CutMessageHeaderLine(uint32_t first_block, uint64_t blocks, uint64_t bytes);

}  // namespace engine
