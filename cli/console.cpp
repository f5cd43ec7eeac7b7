#include "cli/console.h"

#include "cli/progress_line.h"

namespace cli {

void Console::ShowFolder(const std::string& position, const std::string& folder)
{
    position_ = position;
    folder_ = folder;
    percent_ = 0;
    if (live_) {
        Draw();
    } else {
        WriteText(Stream::Error, RenderFolderLine(position, folder) + "\n");
    }
}

void Console::ShowProgress(unsigned percent)
{
    percent_ = percent;
    if (live_ && !position_.empty()) Draw();
}

void Console::Draw()
{
    // Redrawn in place, never scrolling.
    size_t columns = TerminalColumns();
    WriteText(Stream::Error, LiveLineText(RenderProgressLine(position_, folder_, percent_, columns), columns));
    line_shown_ = true;
}

void Console::EndLiveLine()
{
    if (!line_shown_) return;
    WriteText(Stream::Error, "\n");
    line_shown_ = false;
}

void Console::Error(const std::string& text)
{
    EndLiveLine();
    WriteText(Stream::Error, text);
}

void Console::Out(const std::string& text)
{
    EndLiveLine();
    WriteText(Stream::Out, text);
}

}  // namespace cli
