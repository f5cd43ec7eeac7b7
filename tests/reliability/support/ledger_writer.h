// A real writer plugin with a ledger in front of it: every run-time call is forwarded to the writer, and the
// ledger notes what each message handed on was and whether the host could count it as converted. Tests then
// compare the ledger with what the writer left on disk.
#pragma once

#include <string>
#include <vector>

#include "engine/plugin_host.h"

namespace reliability {

struct LedgerMessage {
    std::string folder;           // the name NewFolder received
    std::string text;             // the bytes of every AppendBuffer call
    bool failed = false;          // some call for this message returned 0
    bool finished = false;        // FinishMessage returned non-zero
    bool discarded = false;       // the host gave it up with DiscardMessage
    bool discard_failed = false;  // ... which reported that something of it may remain
    // Counted by the host: every piece was taken and FinishMessage succeeded.
    bool Counted() const { return finished && !failed; }
    // What may remain of it in the output: a counted message, or one given up that was not taken back.
    bool MayRemain() const { return Counted() || !discarded || discard_failed; }
};

struct Ledger {
    std::vector<std::string> folders;       // every NewFolder that succeeded
    std::vector<LedgerMessage> messages;    // one per NewMessage that succeeded
    std::vector<std::string> failed_calls;  // "NewFolder", "AppendBuffer", ... in order
    size_t CountedMessages() const;
};

// Loads a delivered writer (e.g. "Dovanmbox") from the build's plugin folder and sets its setting (none: the
// default). Fails the test and returns false when it cannot.
class LoadedWriter {
public:
    LoadedWriter(const char* name, const char* setting = nullptr);
    ~LoadedWriter();
    LoadedWriter(const LoadedWriter&) = delete;
    LoadedWriter& operator=(const LoadedWriter&) = delete;

    bool loaded() const { return loaded_; }
    const engine::WriterPlugin& plugin() const { return plugin_; }

    // The writer with the ledger in front; one at a time (the ledger lives in static storage).
    const engine::WriterPlugin& WithLedger(Ledger& ledger);

private:
    engine::WriterPlugin plugin_;
    engine::WriterPlugin shim_;
    bool loaded_ = false;
};

}  // namespace reliability
