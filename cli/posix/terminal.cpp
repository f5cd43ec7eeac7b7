// The terminal on POSIX: descriptors 0 to 2, the terminal's own line editing, and the wake-up pipe.
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "cli/console.h"
#include "cli/interrupts.h"

namespace cli {
namespace {

int Descriptor(Stream stream) { return stream == Stream::Out ? STDOUT_FILENO : STDERR_FILENO; }

}  // namespace

void WriteText(Stream stream, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(Descriptor(stream), text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;  // a closed pipe or a full disk: nothing better to do with the text
        done += static_cast<size_t>(written);
    }
}

bool IsTerminal(Stream stream) { return isatty(Descriptor(stream)) != 0; }

bool InputIsTerminal() { return isatty(STDIN_FILENO) != 0; }

size_t TerminalColumns()
{
    struct winsize size = {};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

std::string LiveLineText(const std::string& line, size_t) { return "\r" + line + "\x1b[K"; }

std::string Utf8FromSystem(const std::string& text) { return text; }

void PrepareStandardStreams()
{
    // A closed standard output (dovan formats | head) must end in a failed write, not in a killed program.
    signal(SIGPIPE, SIG_IGN);
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
