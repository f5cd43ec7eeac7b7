// The Windows side of the wake-ups of interrupts.h, for the console reader: the event that is set while
// wake-ups wait, and taking them without waiting.
#pragma once

#include <string>

namespace cli {

// The wake-up event's handle (a HANDLE); null while no handlers are installed.
void* WakeEventHandle();

// Every wake-up there is, possibly none.
std::string TakeWakeUps();

}  // namespace cli
