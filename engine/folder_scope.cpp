#include "engine/folder_scope.h"

namespace engine {

FolderScope MakeFolderScope(const WriterPlugin& plugin, const char* folder_name)
{
    FolderScope scope;
    scope.plugin = &plugin;
    scope.folder_name = folder_name;
    return scope;
}

DovanMessageFacts MakePluginFacts(const dbx::MessageFacts& facts)
{
    DovanMessageFacts out{};
    out.size = sizeof out;
    if (facts.has_received_time) {
        out.present |= DOVAN_FACT_RECEIVED_TIME;
        out.received_time = facts.received_time;
    }
    if (facts.has_sent_time) {
        out.present |= DOVAN_FACT_SENT_TIME;
        out.sent_time = facts.sent_time;
    }
    if (facts.has_flags) {
        out.present |= DOVAN_FACT_FLAGS;
        static const struct {
            uint32_t store;
            uint32_t plugin;
        } kFlags[] = {
            {dbx::kStoreFlagRead, DOVAN_MESSAGE_READ},           {dbx::kStoreFlagAnswered, DOVAN_MESSAGE_ANSWERED},
            {dbx::kStoreFlagForwarded, DOVAN_MESSAGE_FORWARDED}, {dbx::kStoreFlagFlagged, DOVAN_MESSAGE_FLAGGED},
            {dbx::kStoreFlagDraft, DOVAN_MESSAGE_DRAFT},
        };
        for (const auto& flag : kFlags)
            if (facts.flags & flag.store) out.flags |= flag.plugin;
        if (facts.header_only) out.flags |= DOVAN_MESSAGE_HEADER_ONLY;
    }
    return out;
}

bool BeginMessage(FolderScope& scope, uint32_t kind, const DovanMessageFacts& facts)
{
    if (scope.state == ScopeState::MessageOpen) {
        // A failed close is not tried again: the message counts as closed whatever FinishMessage says.
        scope.state = ScopeState::FolderOpen;
        if (scope.plugin->FinishMessage() == 0) return false;
    }
    scope.message_kind = kind;
    scope.message_facts = facts;
    return true;
}

bool AppendPiece(FolderScope& scope, const void* bytes, uint32_t count)
{
    if (scope.state == ScopeState::NothingOpen) {
        if (OpenWriterFolder(*scope.plugin, scope.folder_name, scope.place) == 0) return false;
        scope.state = ScopeState::FolderOpen;
    }
    if (scope.state == ScopeState::FolderOpen) {
        if (scope.plugin->SetMessageFacts) scope.plugin->SetMessageFacts(&scope.message_facts);
        if (scope.plugin->NewMessage(scope.message_kind) == 0) return false;
        scope.state = ScopeState::MessageOpen;
    }
    return scope.plugin->AppendBuffer(bytes, count) != 0;
}

bool EndMessage(FolderScope& scope)
{
    if (scope.state != ScopeState::MessageOpen) return true;
    scope.state = ScopeState::FolderOpen;
    return scope.plugin->FinishMessage() != 0;
}

bool GiveUpMessage(FolderScope& scope)
{
    if (scope.state != ScopeState::MessageOpen || !scope.plugin->DiscardMessage) return true;
    scope.state = ScopeState::FolderOpen;
    return scope.plugin->DiscardMessage() != 0;
}

void EndFolder(FolderScope& scope)
{
    if (scope.state == ScopeState::MessageOpen) {
        scope.plugin->FinishMessage();
        scope.state = ScopeState::FolderOpen;
    }
    if (scope.state == ScopeState::FolderOpen && scope.plugin->FinishFolder) scope.plugin->FinishFolder();
}

}  // namespace engine
