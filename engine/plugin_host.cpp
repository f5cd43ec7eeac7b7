#include "engine/plugin_host.h"

#include "engine/path_join.h"
#include <algorithm>
#include <new>

namespace engine {
namespace {

// A string of the plugin's table: a buffer of 1024 bytes, so at most 1023 of them.
constexpr int kStringBufferSize = 1024;

template <typename Entry>
void Bind(platform::LibraryHandle library, const char* name, Entry& slot)
{
    slot = reinterpret_cast<Entry>(platform::FindSymbol(library, name));
}

bool HasSuffixNoCase(const std::string& name, const char* suffix)
{
    std::string tail = suffix;
    if (name.size() <= tail.size()) return false;
    std::string end = name.substr(name.size() - tail.size());
    platform::LowerBytes(end.data(), end.size());
    platform::LowerBytes(tail.data(), tail.size());
    return end == tail;
}

// Releases a plugin's text block on every path, whatever happens to the copy.
struct TextBlock {
    char* text;
    ~TextBlock() { DovanFreeText(text); }
};

}  // namespace

bool BindWriterPlugin(platform::LibraryHandle library, WriterPlugin& plugin)
{
    plugin.library = library;
    Bind(library, "GetPluginName", plugin.GetPluginName);
    Bind(library, "GetNote", plugin.GetNote);
    Bind(library, "GetDefaultDestDir", plugin.GetDefaultDestDir);
    Bind(library, "SettingDlg", plugin.SettingDlg);
    Bind(library, "StartConvert", plugin.StartConvert);
    Bind(library, "NewFolder", plugin.NewFolder);
    Bind(library, "NewMessage", plugin.NewMessage);
    Bind(library, "AppendBuffer", plugin.AppendBuffer);
    Bind(library, "FinishMessage", plugin.FinishMessage);
    Bind(library, "FinishFolder", plugin.FinishFolder);
    Bind(library, "FinishConvert", plugin.FinishConvert);
    Bind(library, "SetSetting", plugin.SetSetting);
    Bind(library, "NewTreeFolder", plugin.NewTreeFolder);
    Bind(library, "DiscardMessage", plugin.DiscardMessage);
    Bind(library, "SetMessageFacts", plugin.SetMessageFacts);
    Bind(library, "SetOption", plugin.SetOption);
    return plugin.GetPluginName && plugin.GetNote && plugin.StartConvert && plugin.NewFolder && plugin.NewMessage &&
           plugin.AppendBuffer && plugin.FinishMessage;
}

std::optional<std::string> PluginText(const WriterPlugin& plugin, DovanTextResult(DOVAN_CALL* entry)(void))
{
    if (!entry) return std::nullopt;
    DovanTextResult result = entry();
    if (result == 0) return std::nullopt;
    if (result <= DOVAN_MAX_STRING_ID) {
        // A string id: a missing string is an empty text, not none.
        char buffer[kStringBufferSize];
        int length =
            platform::LoadLibraryString(plugin.library, static_cast<uint32_t>(result), buffer, kStringBufferSize);
        if (length < 0 || length >= kStringBufferSize) length = 0;
        return std::string(buffer, static_cast<size_t>(length));
    }
    // A block: ours from now on, released even when it holds nothing.
    TextBlock block{reinterpret_cast<char*>(result)};
    if (block.text[0] == '\0') return std::nullopt;
    return std::string(block.text);
}

std::vector<WriterPlugin*> LoadWriterPlugins(const char* directory)
{
    std::vector<WriterPlugin*> plugins;
    std::vector<platform::DirEntry> entries;
    if (!directory || !platform::ListDirectory(directory, entries)) return plugins;

    for (const platform::DirEntry& entry : entries) {
        if (entry.is_directory || !HasSuffixNoCase(entry.name, platform::SharedLibrarySuffix())) continue;
        platform::LibraryHandle library = platform::LoadSharedLibrary(JoinPath(directory, entry.name).c_str());
        if (!library) continue;  // not loadable: left out silently
        auto* plugin = new (std::nothrow) WriterPlugin;
        if (!plugin) {
            platform::FreeSharedLibrary(library);
            continue;
        }
        if (!BindWriterPlugin(library, *plugin)) {
            UnloadWriterPlugin(plugin);
            continue;
        }
        plugin->file_name = entry.name;
        // A plugin that gives no name is listed under its file name, so that it can still be told apart.
        std::optional<std::string> name = PluginText(*plugin, plugin->GetPluginName);
        plugin->display_name = name && !name->empty() ? *name : entry.name;
        plugins.push_back(plugin);
    }
    // As a sorted list box shows them: by display name, letter case aside; the file name settles a tie.
    std::stable_sort(plugins.begin(), plugins.end(), [](const WriterPlugin* a, const WriterPlugin* b) {
        int order = platform::CompareNoCase(a->display_name.c_str(), b->display_name.c_str());
        if (order != 0) return order < 0;
        return platform::CompareNoCase(a->file_name.c_str(), b->file_name.c_str()) < 0;
    });
    return plugins;
}

int OpenWriterFolder(const WriterPlugin& plugin, const char* name, const FolderPlace* place)
{
    if (!place) return plugin.NewFolder(name);
    if (!plugin.NewTreeFolder || place->path.empty()) return plugin.NewFolder(place->flat_name.c_str());
    std::vector<const char*> parts;
    for (const std::string& part : place->path) parts.push_back(part.c_str());
    uint32_t flags = place->has_subfolders ? DOVAN_FOLDER_HAS_SUBFOLDERS : 0;
    return plugin.NewTreeFolder(parts.data(), static_cast<uint32_t>(parts.size()), flags);
}

void UnloadWriterPlugin(WriterPlugin* plugin)
{
    if (!plugin) return;
    if (plugin->library) platform::FreeSharedLibrary(plugin->library);
    delete plugin;
}

}  // namespace engine
