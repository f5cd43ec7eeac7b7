#include "tests/reliability/support/ledger_writer.h"

#include <gtest/gtest.h>

namespace reliability {
namespace {

const engine::WriterPlugin* g_real = nullptr;
Ledger* g_ledger = nullptr;
std::string g_folder;

int Noted(int result, const char* entry)
{
    if (result == 0) g_ledger->failed_calls.push_back(entry);
    return result;
}

LedgerMessage* OpenMessage()
{
    if (g_ledger->messages.empty() || g_ledger->messages.back().finished || g_ledger->messages.back().discarded)
        return nullptr;
    return &g_ledger->messages.back();
}

int DOVAN_CALL ShimStartConvert(const char* destination)
{
    return Noted(g_real->StartConvert(destination), "StartConvert");
}

int DOVAN_CALL ShimNewFolder(const char* name)
{
    int result = Noted(g_real->NewFolder(name), "NewFolder");
    if (result != 0) {
        g_folder = name;
        g_ledger->folders.push_back(name);
    }
    return result;
}

int DOVAN_CALL ShimNewMessage(uint32_t kind)
{
    int result = Noted(g_real->NewMessage(kind), "NewMessage");
    if (result != 0) g_ledger->messages.push_back({g_folder, "", false, false});
    return result;
}

int DOVAN_CALL ShimAppendBuffer(const void* data, uint32_t length)
{
    int result = Noted(g_real->AppendBuffer(data, length), "AppendBuffer");
    if (LedgerMessage* message = OpenMessage()) {
        message->text.append(static_cast<const char*>(data), length);
        if (result == 0) message->failed = true;
    }
    return result;
}

int DOVAN_CALL ShimFinishMessage(void)
{
    int result = Noted(g_real->FinishMessage(), "FinishMessage");
    if (LedgerMessage* message = OpenMessage()) {
        // The host calls FinishMessage once per message, whatever it returns.
        message->finished = true;
        if (result == 0) message->failed = true;
    }
    return result;
}

int DOVAN_CALL ShimDiscardMessage(void)
{
    int result = Noted(g_real->DiscardMessage(), "DiscardMessage");
    if (LedgerMessage* message = OpenMessage()) {
        message->discarded = true;
        message->discard_failed = result == 0;
    }
    return result;
}

// Noted too: a folder's last file may fail to close (the host goes on, yet the writer must say so).
int DOVAN_CALL ShimFinishFolder(void) { return Noted(g_real->FinishFolder(), "FinishFolder"); }

int DOVAN_CALL ShimFinishConvert(void) { return g_real->FinishConvert ? g_real->FinishConvert() : 1; }

}  // namespace

size_t Ledger::CountedMessages() const
{
    size_t counted = 0;
    for (const LedgerMessage& message : messages) counted += message.Counted() ? 1 : 0;
    return counted;
}

LoadedWriter::LoadedWriter(const char* name, const char* setting)
{
    std::string path = std::string(DOVAN_PLUGIN_DIR) + "/" + name + platform::SharedLibrarySuffix();
    platform::LibraryHandle library = platform::LoadSharedLibrary(path.c_str());
    if (!library) {
        ADD_FAILURE() << "cannot load " << path;
        return;
    }
    if (!engine::BindWriterPlugin(library, plugin_)) {
        ADD_FAILURE() << path << " is not a writer";
        platform::FreeSharedLibrary(library);
        return;
    }
    if (setting && (!plugin_.SetSetting || plugin_.SetSetting(setting) == 0)) {
        ADD_FAILURE() << name << " refuses the setting " << setting;
        platform::FreeSharedLibrary(library);
        return;
    }
    loaded_ = true;
}

LoadedWriter::~LoadedWriter()
{
    if (g_real == &plugin_) g_real = nullptr;
    if (loaded_) platform::FreeSharedLibrary(plugin_.library);
}

const engine::WriterPlugin& LoadedWriter::WithLedger(Ledger& ledger)
{
    g_real = &plugin_;
    g_ledger = &ledger;
    g_folder.clear();
    shim_ = plugin_;
    shim_.StartConvert = ShimStartConvert;
    shim_.NewFolder = ShimNewFolder;
    shim_.NewMessage = ShimNewMessage;
    shim_.AppendBuffer = ShimAppendBuffer;
    shim_.FinishMessage = ShimFinishMessage;
    shim_.DiscardMessage = plugin_.DiscardMessage ? ShimDiscardMessage : nullptr;
    shim_.FinishFolder = plugin_.FinishFolder ? ShimFinishFolder : nullptr;
    shim_.FinishConvert = plugin_.FinishConvert ? ShimFinishConvert : nullptr;
    return shim_;
}

}  // namespace reliability
