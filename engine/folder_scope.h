// FolderScope: the program's view of one source folder towards the writer plugin. It opens the plugin's folder
// and message lazily, at the first piece of text, and makes sure that whatever it opened is closed.
#pragma once

#include <cstdint>
#include <vector>

#include "dbx/message_facts.h"
#include "engine/plugin_host.h"

namespace engine {

enum class ScopeState {
    NothingOpen = 0,  // NewFolder has not yet succeeded for this folder
    FolderOpen = 1,   // NewFolder succeeded; no message is open
    MessageOpen = 2,  // NewMessage succeeded and FinishMessage has not been called for it
};

struct FolderScope {
    const WriterPlugin* plugin = nullptr;  // borrowed from the run
    const char* folder_name = "";          // borrowed from the run's folder list: the .dbx file's base name
    ScopeState state = ScopeState::NothingOpen;
    uint32_t message_kind = 0;           // the argument of the next NewMessage
    const FolderPlace* place = nullptr;  // borrowed: where the folder goes in a run that keeps the tree
    DovanMessageFacts message_facts{};   // handed to SetMessageFacts before the next NewMessage
    // The first blocks of messages cut short by a damaged store (once per attempt): recovery gives back what
    // could be read of them.
    std::vector<uint32_t> cut_by_damage;
};

// The facts of a record in the plugin's terms.
DovanMessageFacts MakePluginFacts(const dbx::MessageFacts& facts);

FolderScope MakeFolderScope(const WriterPlugin& plugin, const char* folder_name);

// Starts a message of this kind and with these facts. Closes a message left open by an earlier failure first;
// false when that FinishMessage fails.
bool BeginMessage(FolderScope& scope, uint32_t kind, const DovanMessageFacts& facts = DovanMessageFacts{});

// Hands one piece (1 to 2048 bytes) to the plugin, calling NewFolder and NewMessage first where needed (and
// SetMessageFacts right before NewMessage, where the plugin has it). False
// when any of the three calls fails.
bool AppendPiece(FolderScope& scope, const void* bytes, uint32_t count);

// Closes the open message, if any; false when FinishMessage fails (the message counts as closed anyway).
bool EndMessage(FolderScope& scope);

// Gives up the open message: the plugin takes back what it has of it (DiscardMessage) where it can; otherwise the
// message stays open until the next BeginMessage or EndFolder closes it, as before. False only when
// DiscardMessage fails (the message counts as closed anyway).
bool GiveUpMessage(FolderScope& scope);

// Closes whatever is still open: FinishMessage, then FinishFolder. Results are not examined.
void EndFolder(FolderScope& scope);

}  // namespace engine
