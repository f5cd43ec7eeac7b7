#include "cli/formats.h"

#include <algorithm>
#include <cstring>

#include "cli/console.h"
#include "cli/progress_line.h"
#include "cli/texts.h"
#include "platform/platform.h"

namespace cli {
namespace {

// ASCII letters folded; other bytes (a Japanese display name, say) compared as they are.
bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] - 'A' + 'a') : a[i];
        char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] - 'A' + 'a') : b[i];
        if (x != y) return false;
    }
    return true;
}

std::string Indented(const std::string& text, const std::string& indent)
{
    std::string result;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        result += indent + text.substr(start, end - start) + "\n";
        start = end + 1;
    }
    return result;
}

}  // namespace

std::string UnixLineBreaks(const std::string& text)
{
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            result += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::string ShortName(const engine::WriterPlugin& plugin)
{
    std::string name = plugin.file_name;
    std::string suffix = platform::SharedLibrarySuffix();
    if (name.size() > suffix.size() && EqualNoCase(name.substr(name.size() - suffix.size()), suffix))
        name.resize(name.size() - suffix.size());
    if (name.size() > 5 && EqualNoCase(name.substr(0, 5), "Dovan")) name.erase(0, 5);
    return name;
}

engine::WriterPlugin* FindFormat(const std::vector<engine::WriterPlugin*>& plugins, const std::string& name)
{
    // Short names first: they are what scripts use, and a display name could happen to equal another's.
    for (engine::WriterPlugin* plugin : plugins)
        if (EqualNoCase(ShortName(*plugin), name)) return plugin;
    for (engine::WriterPlugin* plugin : plugins)
        if (!plugin->display_name.empty() && EqualNoCase(plugin->display_name, name)) return plugin;
    return nullptr;
}

std::string SettingValues(const engine::WriterPlugin& plugin)
{
    if (!plugin.library) return std::string();
    char buffer[1024];
    int length = platform::LoadLibraryString(plugin.library, 3, buffer, sizeof buffer);
    if (length <= 0) return std::string();
    return UnixLineBreaks(Utf8FromSystem(std::string(buffer, static_cast<size_t>(length))));
}

std::string FormatNameLines(const std::vector<engine::WriterPlugin*>& plugins)
{
    // Short names in a column of their own, so the display names line up.
    size_t width = 0;
    for (const engine::WriterPlugin* plugin : plugins) width = std::max(width, DisplayWidth(ShortName(*plugin)));
    std::string lines;
    for (const engine::WriterPlugin* plugin : plugins) {
        std::string name = PrintableText(Utf8FromSystem(ShortName(*plugin)));
        lines += "  " + name + std::string(width - std::min(width, DisplayWidth(name)), ' ') + "  " +
                 PrintableText(Utf8FromSystem(plugin->display_name)) + "\n";
    }
    return lines;
}

std::string FormatsListing(const std::vector<engine::WriterPlugin*>& plugins)
{
    std::string listing;
    for (const engine::WriterPlugin* plugin : plugins) {
        if (!listing.empty()) listing += "\n";
        listing += PrintableText(Utf8FromSystem(ShortName(*plugin))) + "  " +
                   PrintableText(Utf8FromSystem(plugin->display_name)) + "\n";
        std::optional<std::string> note = engine::PluginText(*plugin, plugin->GetNote);
        if (note) listing += Indented(UnixLineBreaks(Utf8FromSystem(*note)), "    ");
        if (plugin->SetOption) listing += "    " + std::string(CliText(Text::OptionsLabel)) + "\n";
        if (!plugin->SetSetting) {
            listing += "    " + std::string(CliText(Text::NoSettingValues)) + "\n";
        } else {
            std::string values = SettingValues(*plugin);
            if (!values.empty()) listing += Indented(std::string(CliText(Text::SettingLabel)) + " " + values, "    ");
        }
        Text folders = plugin->NewTreeFolder ? Text::FoldersTree : Text::FoldersFlatOnly;
        listing += "    " + std::string(CliText(folders)) + "\n";
    }
    return listing;
}

}  // namespace cli
