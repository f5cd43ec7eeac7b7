// The Maildir writer's exports: the contract's entry points, each handing on to the writer.
#include "plugin_api/dovan_plugin.h"
#include "plugins/maildir/maildir_writer.h"

namespace {

// A host that unloads the plugin without finishing the run must not leave the helper running in unloaded code.
struct FinishRunAtUnload {
    FinishRunAtUnload() { maildir::TheRun(); }  // made first, so that it outlives this
    ~FinishRunAtUnload() { maildir::FinishRun(maildir::TheRun()); }
} g_finish_run_at_unload;

}  // namespace

DOVAN_ENTRY(DovanTextResult) GetPluginName(void) { return 1; }

DOVAN_ENTRY(DovanTextResult) GetNote(void) { return 2; }

DOVAN_ENTRY(int) StartConvert(const char* destination)
{
    return maildir::StartRun(maildir::TheRun(), destination) ? 1 : 0;
}

DOVAN_ENTRY(int) NewFolder(const char* name) { return maildir::OpenFolder(maildir::TheRun(), name) ? 1 : 0; }

DOVAN_ENTRY(int) SetMessageFacts(const DovanMessageFacts* facts)
{
    maildir::TakeFacts(maildir::TheRun(), facts);
    return 1;
}

DOVAN_ENTRY(int) NewMessage(uint32_t) { return maildir::OpenMessage(maildir::TheRun()) ? 1 : 0; }

DOVAN_ENTRY(int) AppendBuffer(const void* data, uint32_t length)
{
    return maildir::WritePiece(maildir::TheRun(), data, length) ? 1 : 0;
}

DOVAN_ENTRY(int) FinishMessage(void) { return maildir::DeliverMessage(maildir::TheRun()) ? 1 : 0; }

DOVAN_ENTRY(int) FinishFolder(void) { return maildir::CloseFolder(maildir::TheRun()) ? 1 : 0; }

DOVAN_ENTRY(int) FinishConvert(void)
{
    maildir::FinishRun(maildir::TheRun());
    return 1;
}

// The folder tree in the Maildir++ layout (tree_folders.h).
DOVAN_ENTRY(int) NewTreeFolder(const char* const* path, uint32_t depth, uint32_t /*flags: nothing to prepare*/)
{
    return maildir::OpenTreeFolder(maildir::TheRun(), path, depth) ? 1 : 0;
}

// Optional: a message the host gives up on leaves no file in tmp/.
DOVAN_ENTRY(int) DiscardMessage(void) { return maildir::DiscardMessage(maildir::TheRun()) ? 1 : 0; }
