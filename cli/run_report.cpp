#include "cli/run_report.h"

#include <algorithm>

#include "cli/progress_line.h"
#include "cli/texts.h"

namespace cli {
namespace {

FolderReport& FolderNamed(RunReport& report, const std::string& folder)
{
    for (FolderReport& entry : report.folders)
        if (entry.name == folder) return entry;
    report.folders.push_back(FolderReport{folder, {}, false, false, 0, false});
    return report.folders.back();
}

}  // namespace

void NoteMessageSkipped(RunReport& report, const std::string& folder, uint32_t index)
{
    FolderNamed(report, folder).skipped_messages.push_back(index);
}

void NoteFolderSkipped(RunReport& report, const std::string& folder)
{
    FolderNamed(report, folder).rest_skipped = true;
}

void NoteFolderDamaged(RunReport& report, const std::string& folder) { FolderNamed(report, folder).damaged = true; }

void NoteMessagesRecovered(RunReport& report, const std::string& folder, uint32_t count, bool complete)
{
    FolderReport& entry = FolderNamed(report, folder);
    entry.recovered += count;
    entry.search_cut_short = entry.search_cut_short || !complete;
}

std::string MessageNumberList(std::vector<uint32_t> indexes)
{
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    std::string list;
    for (size_t i = 0; i < indexes.size();) {
        size_t last = i;
        while (last + 1 < indexes.size() && indexes[last + 1] == indexes[last] + 1) ++last;
        if (!list.empty()) list += ", ";
        // 64-bit so that index 0xFFFFFFFF still prints as a count.
        list += std::to_string(static_cast<uint64_t>(indexes[i]) + 1);
        if (last > i) list += "-" + std::to_string(static_cast<uint64_t>(indexes[last]) + 1);
        i = last + 1;
    }
    return list;
}

std::string RenderRunReport(const RunReport& report)
{
    std::string skipped;
    std::string damaged;
    for (const FolderReport& entry : report.folders) {
        FolderReport folder = entry;
        folder.name = PrintableText(entry.name);
        if (!folder.skipped_messages.empty())
            skipped +=
                FormatCliText(Text::SkippedMessages, folder.name, MessageNumberList(folder.skipped_messages)) + "\n";
        if (folder.rest_skipped) skipped += FormatCliText(Text::SkippedRestOfFolder, folder.name) + "\n";
        if (folder.damaged) damaged += "  " + folder.name + "\n";
    }
    std::string text;
    if (!skipped.empty()) text += std::string(CliText(Text::SkippedHeading)) + "\n" + skipped;
    if (!damaged.empty()) text += std::string(CliText(Text::DamagedHeading)) + "\n" + damaged;
    return text;
}

std::string RenderRecoveryReport(const RunReport& report)
{
    std::string lines;
    uint64_t total = 0;
    for (const FolderReport& folder : report.folders) {
        std::string name = PrintableText(folder.name);
        if (folder.recovered != 0)
            lines += FormatCliText(Text::RecoveredInFolder, name, std::to_string(folder.recovered)) + "\n";
        if (folder.search_cut_short) lines += FormatCliText(Text::RecoverySearchCutShort, name) + "\n";
        total += folder.recovered;
    }
    if (total == 0 && lines.empty()) return std::string(CliText(Text::NothingRecovered)) + "\n";
    return FormatCliText(Text::RecoveredHeading, std::to_string(total)) + "\n" + lines;
}

}  // namespace cli
