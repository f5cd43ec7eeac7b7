// The clock that names a run's mailbox. Builds with tests also export SetMailboxClockForTesting, which fixes
// it so that a test knows the mailbox's name; shipped builds have the system's clock alone.
#include "platform/platform.h"
#include "plugin_api/dovan_plugin.h"
#include "plugins/bmf/writer.h"

#if DOVAN_TEST_HOOKS

namespace {

uint32_t g_fixed_time = 0;  // 0: the real clock

}  // namespace

// For tests: the next runs name their mailbox as if the clock read `seconds` since 1970 (0: the real clock).
DOVAN_ENTRY(void) SetMailboxClockForTesting(uint32_t seconds) { g_fixed_time = seconds; }

uint32_t bmf::MailboxClock() { return g_fixed_time != 0 ? g_fixed_time : platform::SecondsSince1970(); }

#else

uint32_t bmf::MailboxClock() { return platform::SecondsSince1970(); }

#endif
