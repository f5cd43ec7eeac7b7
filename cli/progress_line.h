// Progress as a terminal shows it: a live line redrawn in place, or one plain line per folder when the
// output is not a terminal. Pure text functions; the caller writes them.
#pragma once

#include <cstddef>
#include <string>

namespace cli {

// A name made safe for a terminal: control bytes and bytes that are not UTF-8 become "?", so that a file name
// can never move the cursor or change the terminal's state.
std::string PrintableText(const std::string& text);

// Columns taken by printable UTF-8 text: East Asian wide characters count two.
size_t DisplayWidth(const std::string& text);

// The text cut to at most `width` columns, ending in "..." when it was cut.
std::string FitToWidth(const std::string& text, size_t width);

// The live line without its leading carriage return: "3 / 12  Inbox  [########------------]  40%",
// at most columns - 1 wide so that the terminal never wraps it.
std::string RenderProgressLine(const std::string& position, const std::string& folder, unsigned percent,
                               size_t columns);

// The line for output that is not a terminal: "3 / 12  Inbox".
std::string RenderFolderLine(const std::string& position, const std::string& folder);

}  // namespace cli
