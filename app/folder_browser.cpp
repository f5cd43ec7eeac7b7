#include "app/folder_browser.h"

#include <objbase.h>
#include <shlobj.h>

#include "app/message_boxes.h"

namespace app {
namespace {

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM initial_path)
{
    // Open the browser at the folder the field already names.
    if (message == BFFM_INITIALIZED) SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, initial_path);
    return 0;
}

}  // namespace

std::optional<std::string> BrowseForFolder(HWND owner, const std::string& initial_path, UINT title_id)
{
    // The new-style browser is built from COM objects that need an apartment on this thread.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    std::string title = LoadProgramText(title_id, 128);
    char path[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = path;
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(initial_path.c_str());

    std::optional<std::string> chosen;
    if (LPITEMIDLIST items = SHBrowseForFolderA(&info)) {
        if (SHGetPathFromIDListA(items, path)) chosen = std::string(path);
        IMalloc* shell_malloc = nullptr;
        if (SUCCEEDED(SHGetMalloc(&shell_malloc))) {
            shell_malloc->Free(items);
            shell_malloc->Release();
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

}  // namespace app
