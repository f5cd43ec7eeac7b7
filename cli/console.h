// The terminal as the main thread uses it during a conversion: the live progress line on standard error (or one
// line per folder when standard error is no terminal), messages, and reading an answer while staying awake for
// Ctrl-C and for the end of the run.
#pragma once

#include <functional>
#include <string>

namespace cli {

// Writes all of `text` to a descriptor, going on after interrupted or partial writes.
void WriteText(int descriptor, const std::string& text);

// The width of the terminal on standard error; 80 when it cannot be told.
size_t TerminalColumns();

class Console {
public:
    explicit Console(bool live) : live_(live) {}

    void ShowFolder(const std::string& position, const std::string& folder);
    void ShowProgress(unsigned percent);

    // Ends a shown live line with a line break, so that what follows starts on a line of its own.
    void EndLiveLine();

    // Text for standard error and standard output; the live line is ended first.
    void Error(const std::string& text);
    void Out(const std::string& text);

private:
    void Draw();

    bool live_;
    bool line_shown_ = false;
    std::string position_;
    std::string folder_;
    unsigned percent_ = 0;
};

enum class ReadOutcome { Line, Interrupt, Terminate, Cancelled, EndOfInput };

// Reads one line from standard input (without its line break), waiting also on the wake-up pipe: a Ctrl-C or a
// termination signal ends the wait, and so does a wake-up after which `cancel` says the question is moot.
ReadOutcome ReadAnswer(std::string& line, const std::function<bool()>& cancel);

// Drops what was typed ahead, so that an answer is never taken from keys pressed before the question.
void DiscardTypeAhead();

}  // namespace cli
