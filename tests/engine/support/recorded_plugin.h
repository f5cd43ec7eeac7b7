// The recording writer loaded into the test process: bound like any plugin, with its controls at hand.
#pragma once

#include <string>
#include <vector>

#include "engine/plugin_host.h"
#include "tests/engine/recording_plugin/recording_control.h"

namespace enginetest {

struct RecordedCall {
    std::string entry;
    std::string argument;
    bool failed = false;
};

class RecordedPlugin {
public:
    RecordedPlugin();  // loads and binds the library and resets its record; fails the test when it cannot
    explicit RecordedPlugin(const char* path);  // the same from another build of the recording writer
    ~RecordedPlugin();
    RecordedPlugin(const RecordedPlugin&) = delete;
    RecordedPlugin& operator=(const RecordedPlugin&) = delete;

    const engine::WriterPlugin& plugin() const { return plugin_; }

    void Reset() { reset_(); }  // forgets every call, failure, text setting and hook
    void Fail(const char* entry, uint32_t nth, uint32_t error_code) { fail_(entry, nth, error_code); }
    void SetText(const char* entry, int mode, uint32_t id, const char* text) { set_text_(entry, mode, id, text); }
    void SetHook(RecordHookFn hook, void* context) { set_hook_(hook, context); }

    std::vector<RecordedCall> Calls() const;

    // The run as one list: "StartConvert", "NewFolder Inbox", "NewMessage 1", "AppendBuffer 5", "FinishMessage"
    // and so on; a call made to fail ends in " FAILED".
    std::vector<std::string> Trace() const;

    // The bytes of every AppendBuffer since the last NewMessage, one text per NewMessage.
    std::vector<std::string> MessageTexts() const;

    // The lengths handed to AppendBuffer, in order.
    std::vector<size_t> PieceLengths() const;

private:
    engine::WriterPlugin plugin_;
    RecordResetFn reset_ = nullptr;
    RecordFailCallFn fail_ = nullptr;
    RecordSetTextFn set_text_ = nullptr;
    RecordSetHookFn set_hook_ = nullptr;
    RecordCallCountFn count_ = nullptr;
    RecordCallEntryFn entry_ = nullptr;
    RecordCallArgumentFn argument_ = nullptr;
    RecordCallFailedFn failed_ = nullptr;
};

}  // namespace enginetest
