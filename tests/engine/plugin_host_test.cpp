#include "engine/plugin_host.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/engine/support/recorded_plugin.h"
#include "tests/engine/support/scratch.h"

using engine::WriterPlugin;
using enginetest::RecordedPlugin;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> Names(const std::vector<WriterPlugin*>& plugins)
{
    std::vector<std::string> names;
    for (const WriterPlugin* plugin : plugins) names.push_back(plugin->display_name + " <" + plugin->file_name + ">");
    return names;
}

void UnloadAll(std::vector<WriterPlugin*>& plugins)
{
    for (WriterPlugin* plugin : plugins) engine::UnloadWriterPlugin(plugin);
    plugins.clear();
}

TEST(PluginHost, ListsTheUsableLibrariesOfAFolderByDisplayNameLetterCaseAside)
{
    enginetest::Scratch scratch;
    fs::copy_file(DOVAN_RECORDING_PLUGIN, scratch.Path("Dovanrecord.so"));
    fs::copy_file(DOVAN_SHAPE_MINIMAL, scratch.Path("zzminimal.so"));
    fs::copy_file(DOVAN_SHAPE_NAMELESS, scratch.Path("nameless.so"));
    fs::copy_file(DOVAN_SHAPE_NO_FINISH_MESSAGE, scratch.Path("Dovanbroken.so"));
    fs::copy_file(DOVAN_SHAPE_UNRELATED, scratch.Path("libunrelated.so"));
    fs::copy_file(DOVAN_SHAPE_MINIMAL, scratch.Path("minimal.so.bak"));  // not a library name
    scratch.File("garbage.so", "this is no library");
    fs::create_directories(scratch.Path("folder.so"));

    std::vector<WriterPlugin*> plugins = engine::LoadWriterPlugins(scratch.Path().c_str());
    // "minimal writer" comes first although its letter case would put it last in a plain byte order; a plugin
    // that gives no name is listed under its file name.
    EXPECT_EQ(Names(plugins), (std::vector<std::string>{"minimal writer <zzminimal.so>", "nameless.so <nameless.so>",
                                                        "Recording writer <Dovanrecord.so>"}));
    ASSERT_EQ(plugins.size(), 3u);
    const WriterPlugin& minimal = *plugins[0];
    EXPECT_NE(minimal.library, nullptr);
    EXPECT_EQ(minimal.GetDefaultDestDir, nullptr);
    EXPECT_EQ(minimal.SettingDlg, nullptr);
    EXPECT_EQ(minimal.FinishFolder, nullptr);
    EXPECT_EQ(minimal.FinishConvert, nullptr);
    EXPECT_EQ(minimal.SetSetting, nullptr);
    const WriterPlugin& recording = *plugins[2];
    EXPECT_NE(recording.GetDefaultDestDir, nullptr);
    EXPECT_NE(recording.SettingDlg, nullptr);
    EXPECT_NE(recording.FinishFolder, nullptr);
    EXPECT_NE(recording.FinishConvert, nullptr);
    EXPECT_NE(recording.SetSetting, nullptr);
    UnloadAll(plugins);
}

TEST(PluginHost, AFolderWithoutPluginsListsNone)
{
    enginetest::Scratch scratch;
    EXPECT_TRUE(engine::LoadWriterPlugins(scratch.Path().c_str()).empty());
    fs::copy_file(DOVAN_SHAPE_UNRELATED, scratch.Path("unrelated.so"));
    fs::copy_file(DOVAN_SHAPE_NO_FINISH_MESSAGE, scratch.Path("broken.so"));
    EXPECT_TRUE(engine::LoadWriterPlugins(scratch.Path().c_str()).empty());
    EXPECT_TRUE(engine::LoadWriterPlugins(scratch.Path("missing").c_str()).empty());
}

TEST(PluginHost, BindingNeedsTheSevenRequiredEntryPoints)
{
    for (const char* path : {DOVAN_SHAPE_MINIMAL, DOVAN_SHAPE_NO_FINISH_MESSAGE, DOVAN_SHAPE_UNRELATED}) {
        platform::LibraryHandle library = platform::LoadSharedLibrary(path);
        ASSERT_NE(library, nullptr) << path;
        WriterPlugin plugin;
        EXPECT_EQ(engine::BindWriterPlugin(library, plugin), path == std::string(DOVAN_SHAPE_MINIMAL)) << path;
        EXPECT_EQ(plugin.library, library);
        platform::FreeSharedLibrary(library);
    }
}

TEST(PluginText, StringIdsComeFromThePluginsTableCutTo1023Bytes)
{
    RecordedPlugin recorded;
    const WriterPlugin& plugin = recorded.plugin();
    EXPECT_EQ(engine::PluginText(plugin, plugin.GetPluginName), "Recording writer");

    recorded.SetText("GetNote", 1, 4, nullptr);
    std::optional<std::string> long_text = engine::PluginText(plugin, plugin.GetNote);
    ASSERT_TRUE(long_text);
    ASSERT_EQ(long_text->size(), 1023u);
    EXPECT_EQ(long_text->substr(1010), "0123456789012");

    // An id without a string is an empty text, not none.
    recorded.SetText("GetNote", 1, 77, nullptr);
    EXPECT_EQ(engine::PluginText(plugin, plugin.GetNote), std::string());
    recorded.SetText("GetNote", 1, 0xFFFF, nullptr);
    EXPECT_EQ(engine::PluginText(plugin, plugin.GetNote), std::string());
}

TEST(PluginText, BlocksAreCopiedAndAlwaysReleasedAnEmptyOneIsNone)
{
    // The sanitizer build's leak check fails this test if a block is kept.
    RecordedPlugin recorded;
    const WriterPlugin& plugin = recorded.plugin();
    recorded.SetText("GetDefaultDestDir", 2, 0, "/srv/mail out");
    EXPECT_EQ(engine::PluginText(plugin, plugin.GetDefaultDestDir), "/srv/mail out");
    recorded.SetText("GetDefaultDestDir", 2, 0, "");
    EXPECT_EQ(engine::PluginText(plugin, plugin.GetDefaultDestDir), std::nullopt);
    recorded.SetText("GetDefaultDestDir", 0, 0, nullptr);
    EXPECT_EQ(engine::PluginText(plugin, plugin.GetDefaultDestDir), std::nullopt);
    EXPECT_EQ(engine::PluginText(plugin, nullptr), std::nullopt);
}

}  // namespace
