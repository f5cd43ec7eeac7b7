// The terminal as the main thread uses it during a conversion: the live progress line on standard error (or one
// line per folder when standard error is no terminal), messages, and reading an answer while staying awake for
// Ctrl-C and for the end of the run.
//
// Every text here is UTF-8. The system-specific half lives in posix/terminal.cpp and win32/terminal.cpp: on
// Windows a console is written in UTF-16 and redirected output in the console's code page.
#pragma once

#include <functional>
#include <string>

namespace cli {

enum class Stream { Out, Error };

// Writes all of `text` to standard output or standard error, going on after interrupted or partial writes.
void WriteText(Stream stream, const std::string& text);

// True when the stream is a terminal (a console on Windows), and likewise for standard input.
bool IsTerminal(Stream stream);
bool InputIsTerminal();

// The width of the terminal on standard error; 80 when it cannot be told.
size_t TerminalColumns();

// What redraws the live line in place: a carriage return, the line, and whatever erases the rest of the old one.
std::string LiveLineText(const std::string& line, size_t columns);

// A text of the system (a path, a folder name, a system or plugin message), which Windows hands over in its ANSI
// code page, as UTF-8. POSIX texts are taken as they are.
std::string Utf8FromSystem(const std::string& text);

// Process-wide settings for a console program: a closed output pipe gives failed writes, not a killed program.
void PrepareStandardStreams();

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

// Reads one line from standard input (without its line break), staying awake for the wake-ups of interrupts.h:
// a Ctrl-C or a termination ends the wait, and so does a wake-up after which `cancel` says the question is moot.
ReadOutcome ReadAnswer(std::string& line, const std::function<bool()>& cancel);

// Drops what was typed ahead, so that an answer is never taken from keys pressed before the question.
void DiscardTypeAhead();

}  // namespace cli
