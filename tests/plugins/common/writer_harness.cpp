#include "tests/plugins/common/writer_harness.h"

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace writer_test {

std::vector<std::string> HostPieces(const std::string& text, size_t piece_size)
{
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size(); at += piece_size) pieces.push_back(text.substr(at, piece_size));
    if (!text.empty() && text.back() != '\n') pieces.push_back("\r\n");
    return pieces;
}

std::vector<std::string> CutAt(const std::string& text, const std::vector<size_t>& positions)
{
    std::vector<std::string> pieces;
    size_t from = 0;
    for (size_t position : positions) {
        if (position <= from || position >= text.size()) continue;
        pieces.push_back(text.substr(from, position - from));
        from = position;
    }
    if (from < text.size()) pieces.push_back(text.substr(from));
    return pieces;
}

bool PassMessage(const WriterExports& writer, uint32_t kind, const std::vector<std::string>& pieces)
{
    if (!writer.NewMessage(kind)) return false;
    for (const std::string& piece : pieces) {
        if (!writer.AppendBuffer(piece.data(), static_cast<uint32_t>(piece.size()))) {
            writer.FinishMessage();
            return false;
        }
    }
    return writer.FinishMessage() != 0;
}

bool RunConversion(const WriterExports& writer, const std::string& destination,
                   const std::vector<SourceFolder>& folders, size_t piece_size)
{
    if (!writer.StartConvert(destination.c_str())) return false;
    bool ok = true;
    for (const SourceFolder& folder : folders) {
        bool open = false;
        for (size_t i = 0; ok && i < folder.messages.size(); ++i) {
            if (folder.messages[i].empty()) continue;  // a message without text reaches no writer
            if (!open && !(open = writer.NewFolder(folder.name.c_str()) != 0)) ok = false;
            uint32_t kind = i < folder.kinds.size() ? folder.kinds[i] : static_cast<uint32_t>(MessageKindMail);
            if (ok) ok = PassMessage(writer, kind, HostPieces(folder.messages[i], piece_size));
        }
        if (open && writer.FinishFolder) writer.FinishFolder();
        if (!ok) break;
    }
    if (writer.FinishConvert) writer.FinishConvert();
    return ok;
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteWholeFile(const std::string& path, const std::string& content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return static_cast<bool>(out);
}

std::vector<std::string> DirectoryNames(const std::string& path)
{
    std::vector<std::string> names;
    std::error_code failure;
    for (const auto& entry : std::filesystem::directory_iterator(path, failure))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ScratchTest::SetUp()
{
    ASSERT_TRUE(platform::GetCurrentDir(saved_directory_));
    std::string pattern = (std::filesystem::temp_directory_path() / "dovan-writer-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    scratch_ = pattern;
}

void ScratchTest::TearDown()
{
    if (!saved_directory_.empty()) platform::SetCurrentDir(saved_directory_.c_str());
    if (!scratch_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(scratch_, ignored);
    }
}

std::string ScratchTest::Scratch(const std::string& relative) const
{
    return relative.empty() ? scratch_ : scratch_ + "/" + relative;
}

void WriterTest::SetUp()
{
    ScratchTest::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(LoadWriter(WriterName(), writer_)) << WriterName() << " not found in " << DOVAN_PLUGIN_DIR;
}

void WriterTest::TearDown()
{
    UnloadWriter(writer_);
    ScratchTest::TearDown();
}

int RunCommand(const std::string& command)
{
    std::fflush(nullptr);
    int status = std::system(command.c_str());
    if (status == -1 || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool HavePython() { return access(kPython, X_OK) == 0; }

std::string CurrentDirectory()
{
    std::string directory;
    platform::GetCurrentDir(directory);
    return directory;
}

std::string PluginString(const WriterExports& writer, uint32_t id, bool japanese)
{
    // The language comes from the locale variables, of which LC_ALL is looked at first.
    const char* saved = std::getenv("LC_ALL");
    std::string restore = saved ? saved : "";
    setenv("LC_ALL", japanese ? "ja_JP.UTF-8" : "C", 1);
    char buffer[1024];
    int length = writer.LoadPluginString ? writer.LoadPluginString(id, buffer, sizeof buffer) : 0;
    if (saved) setenv("LC_ALL", restore.c_str(), 1);
    else unsetenv("LC_ALL");
    return std::string(buffer, static_cast<size_t>(length > 0 ? length : 0));
}

}  // namespace writer_test
