// Naming a format on the command line: short names and display names in any letter case.
#include "cli/formats.h"

#include <gtest/gtest.h>

namespace {

engine::WriterPlugin Plugin(const char* file_name, const char* display_name)
{
    engine::WriterPlugin plugin;
    plugin.file_name = file_name;
    plugin.display_name = display_name;
    return plugin;
}

TEST(Formats, ShortNameIsTheLibraryNameWithoutDovan)
{
    EXPECT_EQ(cli::ShortName(Plugin("Dovanmbox.so", "UNIX mbox")), "mbox");
    EXPECT_EQ(cli::ShortName(Plugin("dovanEml.SO", "")), "Eml");
    EXPECT_EQ(cli::ShortName(Plugin("Writer.so", "")), "Writer");  // a plugin not named Dovan* keeps its name
    EXPECT_EQ(cli::ShortName(Plugin("Dovan.so", "")), "Dovan");    // never an empty name
}

TEST(Formats, FindsByShortOrDisplayNameInAnyCase)
{
    engine::WriterPlugin bmf = Plugin("Dovanbmf.so", "Becky! Ver.2 (bmf)");
    engine::WriterPlugin eml = Plugin("Dovaneml.so", "eml format (1file per message)");
    engine::WriterPlugin mbox = Plugin("Dovanmbox.so", "UNIX mbox");
    engine::WriterPlugin odd = Plugin("Dovanodd.so", "mbox");  // a display name equal to another's short name
    std::vector<engine::WriterPlugin*> plugins = {&bmf, &eml, &odd, &mbox};

    EXPECT_EQ(cli::FindFormat(plugins, "MBOX"), &mbox);
    EXPECT_EQ(cli::FindFormat(plugins, "unix MBOX"), &mbox);
    EXPECT_EQ(cli::FindFormat(plugins, "becky! ver.2 (BMF)"), &bmf);
    EXPECT_EQ(cli::FindFormat(plugins, "Eml"), &eml);
    EXPECT_EQ(cli::FindFormat(plugins, "odd"), &odd);
    EXPECT_EQ(cli::FindFormat(plugins, "mbx"), nullptr);
    EXPECT_EQ(cli::FindFormat(plugins, ""), nullptr);
    EXPECT_EQ(cli::FindFormat(plugins, "Dovanmbox.so"), nullptr);

    std::string lines = cli::FormatNameLines(plugins);
    EXPECT_NE(lines.find("  mbox  UNIX mbox\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find("  bmf   Becky! Ver.2 (bmf)\n"), std::string::npos) << lines;
}

TEST(Formats, PluginLineBreaksBecomeNewlines)
{
    EXPECT_EQ(cli::UnixLineBreaks("1. a\r\n2. b\rc\n"), "1. a\n2. b\nc\n");
    EXPECT_EQ(cli::UnixLineBreaks("x\r"), "x\n");
}

}  // namespace
