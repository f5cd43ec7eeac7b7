// Driving a writer plugin as the host does: load the built module, call its entry points in the host's
// order, cut each message into pieces, and read back what it wrote, in a fresh scratch directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "tests/plugins/common/writer_exports.h"

namespace writer_test {

// The pieces the host passes for a stored text: at most piece_size bytes each, and "\r\n" after a text that
// does not end with LF.
std::vector<std::string> HostPieces(const std::string& text, size_t piece_size);

// The text cut at the given ascending positions (positions 0 and past the end are ignored).
std::vector<std::string> CutAt(const std::string& text, const std::vector<size_t>& positions);

// NewMessage(kind), AppendBuffer for every piece, FinishMessage. False at the first call that returns 0.
bool PassMessage(const WriterExports& writer, uint32_t kind, const std::vector<std::string>& pieces);

struct SourceFolder {
    SourceFolder(std::string folder_name, std::vector<std::string> texts, std::vector<uint32_t> text_kinds = {})
        : name(std::move(folder_name)), messages(std::move(texts)), kinds(std::move(text_kinds))
    {
    }
    std::string name;
    std::vector<std::string> messages;  // stored texts, all of MessageKindMail unless kinds says otherwise
    std::vector<uint32_t> kinds;        // optional, one per message
};

// A whole run into destination as the host calls it, each text cut as HostPieces does. False at the first
// failed call (the run is then ended as the host ends a stopped run).
bool RunConversion(const WriterExports& writer, const std::string& destination,
                   const std::vector<SourceFolder>& folders, size_t piece_size = 2048);

std::string ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& content);

// Every name in a directory, sorted; empty when it cannot be read.
std::vector<std::string> DirectoryNames(const std::string& path);

// A fixture with a fresh scratch directory per test. It saves the current directory, which writers move,
// and restores it afterwards.
class ScratchTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // An absolute path inside the scratch directory.
    std::string Scratch(const std::string& relative = std::string()) const;

    std::string scratch_;
    std::string saved_directory_;
};

// A scratch-directory fixture that also loads the writer named by WriterName() for each test.
class WriterTest : public ScratchTest {
protected:
    virtual const char* WriterName() const = 0;
    void SetUp() override;
    void TearDown() override;

    WriterExports writer_;
};

std::string CurrentDirectory();

// String `id` of the writer's table in English or Japanese, as the host loads it.
std::string PluginString(const WriterExports& writer, uint32_t id, bool japanese);

// Runs a command with /bin/sh and returns its exit status (-1 when it could not run or did not exit).
int RunCommand(const std::string& command);

// Whether the standard library's Python 3 is there for the reader checks.
bool HavePython();
inline constexpr char kPython[] = "/usr/bin/python3";

}  // namespace writer_test
