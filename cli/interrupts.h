// Ctrl-C and termination signals during a conversion. The handler only flips the engine's run-control flags
// and writes one byte into a wake-up pipe; the main thread reads the pipe and does the talking.
//
// Bytes in the pipe: kWakeInterrupt for Ctrl-C, kWakeTerminate for SIGTERM or SIGHUP, and kWakeEvent, which the
// worker writes when it has queued something for the main thread.
#pragma once

namespace cli {

inline constexpr char kWakeInterrupt = 'i';
inline constexpr char kWakeTerminate = 't';
inline constexpr char kWakeEvent = 'w';

// Creates the pipe and installs the handlers. With `can_ask` a Ctrl-C pauses the run (the main thread then
// asks whether to abort); without it a Ctrl-C stops the run at once, and a second one ends the program.
// False when the pipe cannot be made.
bool InstallInterruptHandlers(bool can_ask);

// Puts back the handlers that were there before, and closes the pipe.
void RemoveInterruptHandlers();

// The end of the pipe that the main thread polls.
int WakeReadDescriptor();

// Writes one byte into the pipe; safe from any thread and from a signal handler.
void Wake(char tag);

// After the user has confirmed the stop: a further Ctrl-C ends the program the usual way, in case a plugin
// call hangs.
void LetNextInterruptKill();

}  // namespace cli
