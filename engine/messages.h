// The program's messages (string ids 1 to 10 and 12 to 14) in English and Japanese.
#pragma once

#include <string>

#include "platform/platform.h"

namespace engine {

enum MessageId {
    kMsgNoDbxFiles = 1,
    kMsgCannotCreateDirectory = 2,
    kMsgFailedToConvert = 3,
    kMsgConfirmAbort = 4,
    kMsgConverted = 5,  // "%d message(s) were converted."
    kMsgNoteHead = 6,
    kMsgNoPlugins = 7,
    kMsgSpecifyDestination = 8,
    kMsgSelectDestination = 9,
    kMsgSelectSource = 10,
    kMsgChangeDestination = 12,  // "%s": the plugin's default folder
    kMsgSelectFormat = 13,
    kMsgThreadFailed = 14,
};

// The text of a message in the language of the user interface (UTF-8 on POSIX, the ANSI code page on
// Windows); empty for an unknown id.
std::string LoadMessage(int id);

// The message with its "%d" or "%s" filled in.
std::string FormatMessageNumber(int id, long long number);
std::string FormatMessageText(int id, const std::string& argument);

// A message followed by "\r\n" and the system's text for an error code (nothing more when the system has none).
std::string MessageWithErrorText(const std::string& text, platform::ErrorCode code);

}  // namespace engine
