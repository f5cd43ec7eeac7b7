#include "plugins/mbox/output.h"

#include "plugins/common/gathered_output.h"

namespace mbox {
namespace {

plugins::GatheredOutput g_gathered;

}  // namespace

bool WriteOutput(platform::FileHandle file, const char* bytes, size_t count)
{
    return plugins::Gather(g_gathered, file, bytes, count);
}

void StartOutputFile(platform::FileHandle file) { plugins::StartFile(g_gathered, file); }

bool FlushOutput() { return plugins::Flush(g_gathered); }

void DiscardOutput() { plugins::Discard(g_gathered); }

}  // namespace mbox
