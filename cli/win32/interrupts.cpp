// Ctrl-C, Ctrl-Break and the console's close, log-off and shut-down events through the console control handler,
// which Windows calls on a thread of its own. Wake-ups are kept in a list behind a lock and an event.
#include <windows.h>

#include <atomic>

#include "cli/interrupts.h"
#include "cli/win32/wake_ups.h"
#include "engine/front_end.h"

namespace cli {
namespace {

CRITICAL_SECTION wake_lock;
bool wake_lock_made = false;
HANDLE wake_event = nullptr;
HANDLE handlers_removed = nullptr;  // set once the run has ended and the handler is no longer wanted
std::string pending_wake_ups;
std::atomic<bool> ask_on_interrupt{false};
std::atomic<bool> interrupt_kills{false};

BOOL WINAPI OnControl(DWORD type)
{
    engine::RunControl& control = engine::TheRunControl();
    if (type == CTRL_C_EVENT || type == CTRL_BREAK_EVENT) {
        // Not handled: the system's own handler ends the program.
        if (interrupt_kills.load()) return FALSE;
        if (ask_on_interrupt.load()) {
            // Pause at once so the worker stops before its next message while the question is being put.
            control.pause.store(true);
        } else {
            control.abort.store(true);
            interrupt_kills.store(true);
        }
        Wake(kWakeInterrupt);
        return TRUE;
    }
    // The window is being closed or the user logs off: stop as a termination signal does on POSIX. The system
    // ends the program once the handler returns, so the handler waits a little for the run to stop (before its
    // next message) and the writers to close their files; the system allows five seconds.
    control.abort.store(true);
    Wake(kWakeTerminate);
    if (handlers_removed) WaitForSingleObject(handlers_removed, 4000);
    return TRUE;
}

}  // namespace

bool InstallInterruptHandlers(bool can_ask)
{
    if (!wake_lock_made) {
        InitializeCriticalSection(&wake_lock);
        wake_lock_made = true;
    }
    if (!wake_event) wake_event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!wake_event) return false;
    if (!handlers_removed) handlers_removed = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (handlers_removed) ResetEvent(handlers_removed);
    ask_on_interrupt.store(can_ask);
    interrupt_kills.store(false);
    return SetConsoleCtrlHandler(OnControl, TRUE) != 0;
}

void RemoveInterruptHandlers()
{
    SetConsoleCtrlHandler(OnControl, FALSE);
    EnterCriticalSection(&wake_lock);
    pending_wake_ups.clear();
    HANDLE event = wake_event;
    wake_event = nullptr;
    LeaveCriticalSection(&wake_lock);
    if (event) CloseHandle(event);
    if (handlers_removed) SetEvent(handlers_removed);
}

void Wake(char tag)
{
    if (!wake_lock_made) return;
    EnterCriticalSection(&wake_lock);
    if (wake_event) {
        // Enough wake-ups are waiting already when the list is long; losing this one loses nothing.
        if (pending_wake_ups.size() < 64) pending_wake_ups += tag;
        SetEvent(wake_event);
    }
    LeaveCriticalSection(&wake_lock);
}

void* WakeEventHandle() { return wake_event; }

std::string TakeWakeUps()
{
    std::string taken;
    if (!wake_lock_made) return taken;
    EnterCriticalSection(&wake_lock);
    taken.swap(pending_wake_ups);
    LeaveCriticalSection(&wake_lock);
    return taken;
}

std::string WaitForWakeUps()
{
    for (;;) {
        HANDLE event = wake_event;
        if (!event) return std::string();
        WaitForSingleObject(event, INFINITE);
        std::string taken = TakeWakeUps();
        if (!taken.empty()) return taken;  // else the event was left set by wake-ups taken earlier
    }
}

void LetNextInterruptKill() { interrupt_kills.store(true); }

}  // namespace cli
