// dovan: the command-line program. Parses the command line, loads the writer plugins, and runs `formats` or
// `convert`; see `dovan --help` and dovan(1).
#include <string>
#include <vector>

#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/convert_command.h"
#include "cli/format_options.h"
#include "cli/formats.h"
#include "cli/plugin_folder.h"
#include "cli/progress_line.h"
#include "cli/texts.h"
#include "engine/messages.h"
#include "engine/plugin_host.h"
#include "platform/code_pages.h"

namespace {

using namespace cli;

std::string WithoutLastBreak(std::string text)
{
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

int UsageError(const std::string& reason)
{
    WriteText(Stream::Error, "dovan: " + reason + "\n" + CliText(Text::SeeHelp) + "\n");
    return kExitUsage;
}

// Picks the plugin and hands it its options and setting; 0 when all is fine, else the exit status after the message.
int PrepareFormat(const CommandLine& line, const std::vector<engine::WriterPlugin*>& plugins,
                  engine::WriterPlugin*& chosen)
{
    chosen = FindFormat(plugins, line.format);
    if (!chosen)
        return UsageError(FormatCliText(Text::UnknownFormat, PrintableText(Utf8FromSystem(line.format))) + "\n" +
                          CliText(Text::ValidFormats) + "\n" + WithoutLastBreak(FormatNameLines(plugins)));
    std::string refused;
    if (!ApplyFormatOptions(line, *chosen, refused))
        return UsageError(FormatCliText(Text::OptionNotTaken, ShortName(*chosen), refused));
    if (!line.has_setting) return 0;
    std::string short_name = Utf8FromSystem(ShortName(*chosen));
    if (!chosen->SetSetting) return UsageError(FormatCliText(Text::NoSetting, short_name));
    if (chosen->SetSetting(line.setting.c_str()) != 0) return 0;
    std::string reason = FormatCliText(Text::BadSetting, PrintableText(Utf8FromSystem(line.setting)), short_name);
    std::string values = SettingValues(*chosen);
    if (!values.empty()) reason += "\n" + std::string(CliText(Text::ValidSettings)) + " " + values;
    return UsageError(reason);
}

int Convert(const CommandLine& line, const std::vector<engine::WriterPlugin*>& plugins)
{
    ConvertOptions options;
    options.source = line.source;
    options.destination = line.destination;
    options.can_ask = InputIsTerminal() && IsTerminal(Stream::Error);
    options.run.recover = line.recover;
    switch (line.on_error) {
    case OnError::NotGiven:
        options.policy = options.can_ask ? AutoAnswer::None : AutoAnswer::Abort;
        break;
    case OnError::Ask:
        if (!options.can_ask) return UsageError(CliText(Text::AskNeedsTerminal));
        options.policy = AutoAnswer::None;
        break;
    case OnError::SkipMail:
        options.policy = AutoAnswer::SkipMail;
        break;
    case OnError::SkipFolder:
        options.policy = AutoAnswer::SkipFolder;
        break;
    case OnError::Abort:
        options.policy = AutoAnswer::Abort;
        break;
    }
    options.run.layout = line.folders == Folders::Flat ? engine::FolderLayout::Flat : engine::FolderLayout::Tree;
    if (!line.code_page.empty()) {
        if (!platform::IsKnownCodePage(line.code_page.c_str()))
            return UsageError(FormatCliText(Text::UnknownCodePage, PrintableText(line.code_page)));
        options.run.code_page = line.code_page;
    } else if (platform::UiLanguage() == platform::Language::Japanese) {
        options.run.code_page = "cp932";  // the names of a store written by a Japanese Windows
    }
    engine::WriterPlugin* plugin = nullptr;
    int status = PrepareFormat(line, plugins, plugin);
    if (status != 0) return status;
    return RunConvertCommand(options, *plugin);
}

}  // namespace

int main(int argc, char** argv)
{
    PrepareStandardStreams();

    CommandLine line;
    std::string error;
    if (!ParseCommandLine(argc, argv, line, error)) return UsageError(error);
    if (line.command == Command::Help) {
        WriteText(Stream::Out, CliText(Text::Help));
        return kExitCompleted;
    }
    if (line.command == Command::Version) {
        WriteText(Stream::Out, std::string("dovan ") + DOVAN_VERSION + "\n");
        return kExitCompleted;
    }

    std::string folder = line.plugin_dir;
    if (folder.empty()) folder = PluginFolderBeside(ExecutablePath(argv[0]));
    std::vector<engine::WriterPlugin*> plugins = engine::LoadWriterPlugins(folder.c_str());
    int status = kExitCompleted;
    if (plugins.empty()) {
        WriteText(Stream::Error, Utf8FromSystem(engine::LoadMessage(engine::kMsgNoPlugins)) + "\n" +
                                     FormatCliText(Text::PluginFolder, PrintableText(Utf8FromSystem(folder))) + "\n");
        status = kExitFailed;
    } else if (line.command == Command::Formats) {
        WriteText(Stream::Out, FormatsListing(plugins));
    } else {
        status = Convert(line, plugins);
    }
    for (engine::WriterPlugin* plugin : plugins) engine::UnloadWriterPlugin(plugin);
    return status;
}
