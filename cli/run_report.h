// What a run gave up on and where the reader met damage, gathered while the run goes and listed at its end.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace cli {

struct FolderReport {
    std::string name;
    std::vector<uint32_t> skipped_messages;  // 0-based positions in the folder's index
    bool rest_skipped = false;               // the user (or a remembered answer) skipped the rest of the folder
    bool damaged = false;                    // the reader met damage in this folder's store file
    uint32_t recovered = 0;                  // --recover: texts found outside the index
    bool search_cut_short = false;           // --recover: the search for them could not cover the whole file
};

struct RunReport {
    std::vector<FolderReport> folders;  // in the order the run first mentioned them
};

void NoteMessageSkipped(RunReport& report, const std::string& folder, uint32_t index);
void NoteFolderSkipped(RunReport& report, const std::string& folder);
void NoteFolderDamaged(RunReport& report, const std::string& folder);
void NoteMessagesRecovered(RunReport& report, const std::string& folder, uint32_t count, bool complete);

// Message positions as people count them, 1-based, sorted, with runs joined: "2, 5-7".
std::string MessageNumberList(std::vector<uint32_t> indexes);

// The report, one line per row, ending with a line break; empty when nothing was skipped or damaged.
std::string RenderRunReport(const RunReport& report);

// What recovery found, folder by folder, ending with a line break: a line per folder that gave texts back (or
// whose search was cut short), or one line saying that nothing was found.
std::string RenderRecoveryReport(const RunReport& report);

}  // namespace cli
