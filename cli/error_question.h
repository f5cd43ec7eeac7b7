// The error question on a terminal: the error dialog's choices as letters, its defaults, and the parsing of
// an answer. The engine keeps the default and After All memory; this only shows and reads.
#pragma once

#include <string>
#include <vector>

#include "engine/front_end.h"

namespace cli {

struct OfferedChoice {
    char key;  // the dialog's access key: r, m, f, p
    engine::ErrorChoice choice;
};

// The choices in the dialog's order; a file-level error leaves out Skip Mail, as the dialog disables it.
std::vector<OfferedChoice> OfferedChoices(bool file_level);

// The choice selected when the question opens: Skip Mail cannot be the default of a file-level error.
engine::ErrorChoice EffectiveDefault(const engine::ErrorQuestion& question);

// The label of a choice, in the language of the user interface.
std::string ChoiceLabel(engine::ErrorChoice choice);

// After All remembers only the two skip answers.
bool AllowsAfterAll(engine::ErrorChoice choice);

// The whole question, one line per row, ending with a line break; `system_text` is the system's text for the
// error code (may be empty).
std::string RenderErrorQuestion(const engine::ErrorQuestion& question, const std::string& system_text);

// Reads one typed line: empty = the default; a letter = that choice; the letter followed by "a" = that choice
// After All; "a" alone = the default After All. False for anything not offered.
bool ParseErrorAnswer(const std::string& line, const engine::ErrorQuestion& question, engine::ErrorAnswer& answer);

// Reads a yes/no line: empty means no. False for anything else than y, yes, n, no (any letter case).
bool ParseYesNo(const std::string& line, bool& yes);

}  // namespace cli
