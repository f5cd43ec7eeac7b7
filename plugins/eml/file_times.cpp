#include "plugins/eml/file_times.h"

#include "platform/file_times.h"
#include "plugins/common/message_facts.h"

namespace eml {
namespace {

uint64_t g_next_date = 0;  // FILETIME; 0: none
uint64_t g_open_date = 0;

}  // namespace

void NoteMessageFacts(const DovanMessageFacts* facts)
{
    g_next_date = plugins::MessageDate(plugins::CopyMessageFacts(facts));
}

void BeginMessageDate()
{
    g_open_date = g_next_date;
    g_next_date = 0;
}

bool DateMessageFile(platform::FileHandle file)
{
    return g_open_date == 0 || platform::SetFileModifiedTime(file, g_open_date);
}

}  // namespace eml
