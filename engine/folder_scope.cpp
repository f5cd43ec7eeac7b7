#include "engine/folder_scope.h"

namespace engine {

FolderScope MakeFolderScope(const WriterPlugin& plugin, const char* folder_name)
{
    FolderScope scope;
    scope.plugin = &plugin;
    scope.folder_name = folder_name;
    return scope;
}

bool BeginMessage(FolderScope& scope, uint32_t kind)
{
    if (scope.state == ScopeState::MessageOpen) {
        // A failed close is not tried again: the message counts as closed whatever FinishMessage says.
        scope.state = ScopeState::FolderOpen;
        if (scope.plugin->FinishMessage() == 0) return false;
    }
    scope.message_kind = kind;
    return true;
}

bool AppendPiece(FolderScope& scope, const void* bytes, uint32_t count)
{
    if (scope.state == ScopeState::NothingOpen) {
        if (OpenWriterFolder(*scope.plugin, scope.folder_name, scope.place) == 0) return false;
        scope.state = ScopeState::FolderOpen;
    }
    if (scope.state == ScopeState::FolderOpen) {
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
