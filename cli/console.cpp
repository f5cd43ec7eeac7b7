#include "cli/console.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "cli/interrupts.h"
#include "cli/progress_line.h"

namespace cli {

void WriteText(int descriptor, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(descriptor, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;  // a closed pipe or a full disk: nothing better to do with the text
        done += static_cast<size_t>(written);
    }
}

size_t TerminalColumns()
{
    struct winsize size = {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

void Console::ShowFolder(const std::string& position, const std::string& folder)
{
    position_ = position;
    folder_ = folder;
    percent_ = 0;
    if (live_) {
        Draw();
    } else {
        WriteText(STDERR_FILENO, RenderFolderLine(position, folder) + "\n");
    }
}

void Console::ShowProgress(unsigned percent)
{
    percent_ = percent;
    if (live_ && !position_.empty()) Draw();
}

void Console::Draw()
{
    // Carriage return, the line, and erase to the end: redrawn in place, never scrolling.
    WriteText(STDERR_FILENO, "\r" + RenderProgressLine(position_, folder_, percent_, TerminalColumns()) + "\x1b[K");
    line_shown_ = true;
}

void Console::EndLiveLine()
{
    if (!line_shown_) return;
    WriteText(STDERR_FILENO, "\n");
    line_shown_ = false;
}

void Console::Error(const std::string& text)
{
    EndLiveLine();
    WriteText(STDERR_FILENO, text);
}

void Console::Out(const std::string& text)
{
    EndLiveLine();
    WriteText(STDOUT_FILENO, text);
}

ReadOutcome ReadAnswer(std::string& line, const std::function<bool()>& cancel)
{
    line.clear();
    for (;;) {
        struct pollfd watched[2] = {{STDIN_FILENO, POLLIN, 0}, {WakeReadDescriptor(), POLLIN, 0}};
        if (poll(watched, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return ReadOutcome::EndOfInput;
        }
        if (watched[1].revents & POLLIN) {
            char tag = 0;
            if (read(watched[1].fd, &tag, 1) == 1) {
                if (tag == kWakeInterrupt) return ReadOutcome::Interrupt;
                if (tag == kWakeTerminate) return ReadOutcome::Terminate;
                if (cancel && cancel()) return ReadOutcome::Cancelled;
            }
            continue;
        }
        if (watched[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            // One byte at a time: nothing typed after the line break is taken from the terminal, so a later
            // question still finds it (or drops it as type-ahead).
            char c = 0;
            ssize_t got = read(STDIN_FILENO, &c, 1);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return line.empty() ? ReadOutcome::EndOfInput : ReadOutcome::Line;
            if (c == '\n') return ReadOutcome::Line;
            if (c != '\r') line += c;
        }
    }
}

void DiscardTypeAhead() { tcflush(STDIN_FILENO, TCIFLUSH); }

}  // namespace cli
