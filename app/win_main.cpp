// Dovan.exe: the Windows program. It shows the main dialog and ends when the dialog closes.
#include <windows.h>
#include <commctrl.h>

#include "app/main_dialog.h"
#include "app/message_boxes.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    app::g_instance = instance;
    // The main dialog holds a progress bar: its window class must exist before the dialog is created.
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    app::RunMainDialog();
    return 0;
}
