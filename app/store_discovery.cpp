#include "app/store_discovery.h"

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace app {
namespace {

constexpr DWORD kKeyNameSize = 1024;
// An expanded path gets five times the stored size, and at least the longest path of two code-page bytes each.
constexpr DWORD kMinimumExpansionSize = 520;

// A string value of an accepted type, read at the size the registry reports plus one byte.
std::optional<std::string> ReadTextValue(HKEY key, const char* name, bool accept_expand, DWORD* type_out)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
    if (type != REG_SZ && !(accept_expand && type == REG_EXPAND_SZ)) return std::nullopt;
    std::vector<char> buffer(size + 1, '\0');
    DWORD read_size = size;
    DWORD read_type = 0;
    if (RegQueryValueExA(key, name, nullptr, &read_type, reinterpret_cast<BYTE*>(buffer.data()), &read_size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // The value may have changed its type between the two calls.
    if (read_type != type) return std::nullopt;
    *type_out = type;
    buffer[read_size < size + 1 ? read_size : size] = '\0';  // a value stored without its terminator
    return std::string(buffer.data());
}

std::optional<std::string> Expand(const std::string& stored)
{
    DWORD size = static_cast<DWORD>(stored.size() + 1) * 5;
    if (size < kMinimumExpansionSize) size = kMinimumExpansionSize;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<char> expanded(size, '\0');
        DWORD needed = ExpandEnvironmentStringsA(stored.c_str(), expanded.data(), size);
        if (needed == 0) return std::nullopt;
        if (needed <= size) return std::string(expanded.data());
        // Too small: the call told what it needs; a path cut short would name another folder.
        size = needed;
    }
    return std::nullopt;
}

std::optional<std::pair<std::string, std::string>> ReadIdentity(HKEY identities, const char* subkey)
{
    HKEY identity = nullptr;
    if (RegOpenKeyExA(identities, subkey, 0, KEY_READ, &identity) != ERROR_SUCCESS) return std::nullopt;
    std::optional<std::pair<std::string, std::string>> result;
    DWORD type = 0;
    std::optional<std::string> user_name = ReadTextValue(identity, "UserName", false, &type);
    HKEY store_key = nullptr;
    if (user_name && RegOpenKeyExA(identity, "Software\\Microsoft\\Outlook Express\\5.0", 0, KEY_READ, &store_key) ==
                         ERROR_SUCCESS) {
        std::optional<std::string> store_root = ReadTextValue(store_key, "Store Root", true, &type);
        if (store_root && type == REG_EXPAND_SZ) store_root = Expand(*store_root);
        if (store_root) result.emplace(*user_name, *store_root);
        RegCloseKey(store_key);
    }
    RegCloseKey(identity);
    return result;
}

}  // namespace

void AddOutlookExpressStores(HWND combo)
{
    HKEY identities = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Identities", 0, KEY_READ, &identities) != ERROR_SUCCESS) return;
    char name[kKeyNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD name_size = kKeyNameSize;
        if (RegEnumKeyExA(identities, index, name, &name_size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::optional<std::pair<std::string, std::string>> identity = ReadIdentity(identities, name);
        if (!identity) continue;
        LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(identity->first.c_str()));
        if (item < 0) continue;
        char* path = new (std::nothrow) char[identity->second.size() + 1];
        if (!path) {
            SendMessageA(combo, CB_DELETESTRING, static_cast<WPARAM>(item), 0);
            continue;
        }
        std::memcpy(path, identity->second.c_str(), identity->second.size() + 1);
        SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(path));
    }
    RegCloseKey(identities);
}

}  // namespace app
