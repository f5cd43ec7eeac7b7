// Drives a built writer plugin through its exports as the host does, in a scratch directory of its own.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"

namespace plugin_test {

struct Writer {
    platform::LibraryHandle library = nullptr;
    GetPluginNameFn GetPluginName = nullptr;
    GetNoteFn GetNote = nullptr;
    GetDefaultDestDirFn GetDefaultDestDir = nullptr;
    SettingDlgFn SettingDlg = nullptr;
    StartConvertFn StartConvert = nullptr;
    NewFolderFn NewFolder = nullptr;
    NewMessageFn NewMessage = nullptr;
    AppendBufferFn AppendBuffer = nullptr;
    FinishMessageFn FinishMessage = nullptr;
    FinishFolderFn FinishFolder = nullptr;
    FinishConvertFn FinishConvert = nullptr;
    SetSettingFn SetSetting = nullptr;
    LoadPluginStringFn LoadPluginString = nullptr;
};

// The pieces the host hands over for a stored text: piece_size bytes at most, then "\r\n" when the text does
// not end with LF.
std::vector<std::string> HostPieces(const std::string& text, size_t piece_size = 2048);

// The text cut before each of the given ascending positions.
std::vector<std::string> CutAt(const std::string& text, const std::vector<size_t>& positions);

// NewMessage, AppendBuffer for each piece, FinishMessage; false at the first call that fails.
bool PassMessage(const Writer& writer, uint32_t kind, const std::vector<std::string>& pieces);

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);

// The names in a directory, sorted.
std::vector<std::string> NamesIn(const std::string& directory);

std::string CurrentDirectory();

// A string of the library's table in the given language.
std::string PluginString(const Writer& writer, uint32_t id, bool japanese);

// Loads the plugin named by WriterName() afresh for each test, in a fresh scratch directory, and restores the
// process's current directory (which writers move) afterwards.
class WriterTest : public ::testing::Test {
protected:
    virtual const char* WriterName() const = 0;
    void SetUp() override;
    void TearDown() override;

    // An absolute path inside the scratch directory.
    std::string Scratch(const std::string& relative = std::string()) const;

    Writer writer_;
    std::string scratch_;

private:
    std::string saved_directory_;
};

}  // namespace plugin_test
