#include "tests/plugins/eml/plugin_driver.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

namespace plugin_test {

std::vector<std::string> HostPieces(const std::string& text, size_t piece_size)
{
    std::vector<std::string> pieces;
    for (size_t start = 0; start < text.size(); start += piece_size) pieces.push_back(text.substr(start, piece_size));
    if (!text.empty() && text.back() != '\n') pieces.push_back("\r\n");
    return pieces;
}

std::vector<std::string> CutAt(const std::string& text, const std::vector<size_t>& positions)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (size_t position : positions) {
        if (position <= start || position >= text.size()) continue;
        pieces.push_back(text.substr(start, position - start));
        start = position;
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

bool PassMessage(const Writer& writer, uint32_t kind, const std::vector<std::string>& pieces)
{
    if (!writer.NewMessage(kind)) return false;
    for (const std::string& piece : pieces)
        if (!writer.AppendBuffer(piece.data(), static_cast<uint32_t>(piece.size()))) return false;
    return writer.FinishMessage() != 0;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

std::vector<std::string> NamesIn(const std::string& directory)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(directory, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string CurrentDirectory()
{
    std::string directory;
    platform::GetCurrentDir(directory);
    return directory;
}

std::string PluginString(const Writer& writer, uint32_t id, bool japanese)
{
    const char* saved = std::getenv("LC_ALL");
    std::string restore = saved ? saved : "";
    setenv("LC_ALL", japanese ? "ja_JP.UTF-8" : "C", 1);
    char buffer[1024];
    int length = writer.LoadPluginString ? writer.LoadPluginString(id, buffer, sizeof buffer) : 0;
    if (saved)
        setenv("LC_ALL", restore.c_str(), 1);
    else
        unsetenv("LC_ALL");
    return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

void WriterTest::SetUp()
{
    ASSERT_TRUE(platform::GetCurrentDir(saved_directory_));
    std::string path = std::string(DOVAN_PLUGIN_DIR) + "/" + WriterName() + platform::SharedLibrarySuffix();
    writer_.library = platform::LoadSharedLibrary(path.c_str());
    ASSERT_NE(writer_.library, nullptr) << path;
    auto bind = [this](const char* name) { return platform::FindSymbol(writer_.library, name); };
    writer_.GetPluginName = reinterpret_cast<GetPluginNameFn>(bind("GetPluginName"));
    writer_.GetNote = reinterpret_cast<GetNoteFn>(bind("GetNote"));
    writer_.GetDefaultDestDir = reinterpret_cast<GetDefaultDestDirFn>(bind("GetDefaultDestDir"));
    writer_.SettingDlg = reinterpret_cast<SettingDlgFn>(bind("SettingDlg"));
    writer_.StartConvert = reinterpret_cast<StartConvertFn>(bind("StartConvert"));
    writer_.NewFolder = reinterpret_cast<NewFolderFn>(bind("NewFolder"));
    writer_.NewMessage = reinterpret_cast<NewMessageFn>(bind("NewMessage"));
    writer_.AppendBuffer = reinterpret_cast<AppendBufferFn>(bind("AppendBuffer"));
    writer_.FinishMessage = reinterpret_cast<FinishMessageFn>(bind("FinishMessage"));
    writer_.FinishFolder = reinterpret_cast<FinishFolderFn>(bind("FinishFolder"));
    writer_.FinishConvert = reinterpret_cast<FinishConvertFn>(bind("FinishConvert"));
    writer_.SetSetting = reinterpret_cast<SetSettingFn>(bind("SetSetting"));
    writer_.LoadPluginString = reinterpret_cast<LoadPluginStringFn>(bind("LoadPluginString"));
    ASSERT_TRUE(writer_.StartConvert && writer_.NewFolder && writer_.NewMessage && writer_.AppendBuffer &&
                writer_.FinishMessage && writer_.SetSetting);

    std::string pattern = (std::filesystem::temp_directory_path() / "dovan-writer-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
}

void WriterTest::TearDown()
{
    platform::SetCurrentDir(saved_directory_.c_str());
    std::error_code error;
    if (!scratch_.empty()) std::filesystem::remove_all(scratch_, error);
    if (writer_.library) platform::FreeSharedLibrary(writer_.library);
}

std::string WriterTest::Scratch(const std::string& relative) const
{
    return relative.empty() ? scratch_ : scratch_ + "/" + relative;
}

}  // namespace plugin_test
