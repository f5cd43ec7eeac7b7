// The program's messages in English and Japanese. Their ids and texts are the table texts/program.texts; the
// build makes MessageId and the string tables from it.
#pragma once

#include <string>

#include "platform/platform.h"
#include "texts/program_ids.h"  // generated: enum MessageId

namespace engine {

// The text of a message in the language of the user interface (UTF-8 on POSIX, the ANSI code page on
// Windows); empty for an unknown id.
std::string LoadMessage(int id);

// The message with its "%d" or "%s" filled in.
std::string FormatMessageNumber(int id, long long number);
std::string FormatMessageText(int id, const std::string& argument);

// A message followed by "\r\n" and the system's text for an error code (nothing more when the system has none).
std::string MessageWithErrorText(const std::string& text, platform::ErrorCode code);

}  // namespace engine
