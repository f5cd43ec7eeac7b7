// Ctrl-C and termination signals during a conversion. The handler only flips the engine's run-control flags
// and leaves one wake-up byte (a pipe on POSIX, a list behind an event on Windows); the main thread takes the
// wake-ups and does the talking.
//
// Wake-up bytes: kWakeInterrupt for Ctrl-C (or Ctrl-Break), kWakeTerminate for SIGTERM or SIGHUP (closing the
// console window, logging off), and kWakeEvent, which the worker leaves when it has queued something for the main
// thread.
#pragma once

#include <string>

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

// Waits until there is at least one wake-up, and takes every one there is.
std::string WaitForWakeUps();

#ifndef _WIN32
// The end of the pipe that the main thread polls.
int WakeReadDescriptor();
#endif

// Leaves one wake-up; safe from any thread and from a signal handler.
void Wake(char tag);

// After the user has confirmed the stop: a further Ctrl-C ends the program the usual way, in case a plugin
// call hangs.
void LetNextInterruptKill();

}  // namespace cli
