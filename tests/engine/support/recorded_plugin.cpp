#include "tests/engine/support/recorded_plugin.h"

#include <gtest/gtest.h>

namespace enginetest {
namespace {

template <typename Fn>
void Find(platform::LibraryHandle library, const char* name, Fn& slot)
{
    slot = reinterpret_cast<Fn>(platform::FindSymbol(library, name));
    if (!slot) ADD_FAILURE() << "the recording writer lacks " << name;
}

}  // namespace

RecordedPlugin::RecordedPlugin() : RecordedPlugin(DOVAN_RECORDING_PLUGIN) {}

RecordedPlugin::RecordedPlugin(const char* path)
{
    platform::LibraryHandle library = platform::LoadSharedLibrary(path);
    if (!library) {
        ADD_FAILURE() << "cannot load " << path;
        return;
    }
    EXPECT_TRUE(engine::BindWriterPlugin(library, plugin_));
    Find(library, "RecordReset", reset_);
    Find(library, "RecordFailCall", fail_);
    Find(library, "RecordSetText", set_text_);
    Find(library, "RecordSetHook", set_hook_);
    Find(library, "RecordCallCount", count_);
    Find(library, "RecordCallEntry", entry_);
    Find(library, "RecordCallArgument", argument_);
    Find(library, "RecordCallFailed", failed_);
    if (reset_) reset_();
}

RecordedPlugin::~RecordedPlugin()
{
    if (set_hook_) set_hook_(nullptr, nullptr);
    platform::FreeSharedLibrary(plugin_.library);
}

std::vector<RecordedCall> RecordedPlugin::Calls() const
{
    std::vector<RecordedCall> calls;
    if (!count_) return calls;
    for (size_t i = 0; i < count_(); ++i) {
        size_t length = 0;
        const char* argument = argument_(i, &length);
        calls.push_back({entry_(i), std::string(argument, length), failed_(i) != 0});
    }
    return calls;
}

std::vector<std::string> RecordedPlugin::Trace() const
{
    std::vector<std::string> trace;
    for (const RecordedCall& call : Calls()) {
        std::string line = call.entry;
        if (call.entry == "AppendBuffer") line += " " + std::to_string(call.argument.size());
        else if (call.entry == "NewFolder" || call.entry == "NewTreeFolder" || call.entry == "NewMessage")
            line += " " + call.argument;
        if (call.failed) line += " FAILED";
        trace.push_back(line);
    }
    return trace;
}

std::vector<std::string> RecordedPlugin::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const RecordedCall& call : Calls()) {
        if (call.entry == "NewMessage" && !call.failed) texts.emplace_back();
        if (call.entry == "AppendBuffer" && !texts.empty()) texts.back() += call.argument;
    }
    return texts;
}

std::vector<size_t> RecordedPlugin::PieceLengths() const
{
    std::vector<size_t> lengths;
    for (const RecordedCall& call : Calls())
        if (call.entry == "AppendBuffer") lengths.push_back(call.argument.size());
    return lengths;
}

}  // namespace enginetest
