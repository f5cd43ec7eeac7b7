#include "app/run_thread.h"

#include <new>

#include "app/dialog_front_end.h"
#include "app/message_boxes.h"
#include "engine/conversion_run.h"
#include "engine/messages.h"

namespace app {
namespace {

struct RunRequest {
    std::string source;
    std::string destination;
    const engine::WriterPlugin* plugin;
    DialogFrontEnd* front_end;
};

HANDLE g_worker = nullptr;  // the last run's thread; only the dialog thread touches this

DWORD WINAPI ConversionThread(void* argument)
{
    auto* request = static_cast<RunRequest*>(argument);
    engine::RunConversion(request->source.c_str(), request->destination.c_str(), *request->plugin, *request->front_end);
    delete request;
    return 0;
}

}  // namespace

bool StartRun(HWND dialog, std::string source, std::string destination, const engine::WriterPlugin& plugin,
              DialogFrontEnd& front_end)
{
    if (g_worker) {
        // The previous run has posted its end; its thread is leaving or gone.
        CloseHandle(g_worker);
        g_worker = nullptr;
    }
    auto* request = new (std::nothrow) RunRequest{std::move(source), std::move(destination), &plugin, &front_end};
    if (!request) {
        ShowErrorMessage(dialog, engine::kMsgThreadFailed, ERROR_NOT_ENOUGH_MEMORY, MB_ICONHAND);
        return false;
    }
    g_worker = CreateThread(nullptr, 0, ConversionThread, request, 0, nullptr);
    if (!g_worker) {
        DWORD code = GetLastError();
        delete request;
        ShowErrorMessage(dialog, engine::kMsgThreadFailed, code, MB_ICONHAND);
        return false;
    }
    return true;
}

bool RunInProgress() { return g_worker && WaitForSingleObject(g_worker, 0) == WAIT_TIMEOUT; }

void WaitForRunEnd()
{
    if (!g_worker) return;
    // The worker may be inside a call sent to the dialog's windows: keep serving this thread's messages.
    for (;;) {
        DWORD woken = MsgWaitForMultipleObjects(1, &g_worker, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) break;
        if (woken == WAIT_FAILED) {
            WaitForSingleObject(g_worker, INFINITE);
            break;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    CloseHandle(g_worker);
    g_worker = nullptr;
}

}  // namespace app
