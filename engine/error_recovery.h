// What the engine remembers of the user's answers to errors, and the one question it asks.
//
// Two memories live in static storage: the default choice (the answer selected when the question opens; Retry
// at program start, then the last confirmed answer, kept across runs) and the After All choice (an answer given
// for the rest of one run; only SkipMail or SkipFolder can be remembered). Only the run's worker touches them.
#pragma once

#include "engine/front_end.h"

namespace engine {

// Asks how to go on after a failed step; the failing step's last-error code is read first. A remembered After
// All answer is returned without asking, except that a file-level error is never answered SkipMail (the file
// cannot be read, so there is no message to skip): the question is asked then. The answer is one of the four
// choices, or NotShown when the front end could not ask (or gave an answer that is not offered).
ErrorChoice AskErrorChoice(bool file_level, const char* folder_name, FrontEnd& front_end);

// Forgets the After All answer: every run starts without one.
void ForgetAfterAllChoice();

ErrorChoice DefaultErrorChoice();
ErrorChoice AfterAllChoice();  // NotShown when none is remembered

// Back to the state at program start: default Retry, nothing remembered.
void ResetErrorMemory();

}  // namespace engine
