// Reading the facts record that SetMessageFacts hands over (plugin_api/dovan_plugin.h): a copy that a writer
// keeps for the next message, and the values a writer uses from it, each only where the host filled it in.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "plugin_api/dovan_plugin.h"

namespace plugins {

// A copy of the host's record, no larger than this build's record; an empty record when there is none.
inline DovanMessageFacts CopyMessageFacts(const DovanMessageFacts* facts)
{
    DovanMessageFacts copy{};
    if (!facts || facts->size < sizeof(uint32_t)) return copy;
    std::memcpy(&copy, facts, std::min<size_t>(facts->size, sizeof copy));
    copy.size = std::min<uint32_t>(facts->size, sizeof copy);
    return copy;
}

// The message's date: its received time, else its sent time; 0 when it has neither.
inline uint64_t MessageDate(const DovanMessageFacts& facts)
{
    if (!DOVAN_FACTS_HAVE(&facts, sent_time)) return 0;
    if (facts.present & DOVAN_FACT_RECEIVED_TIME) return facts.received_time;
    if (facts.present & DOVAN_FACT_SENT_TIME) return facts.sent_time;
    return 0;
}

// True, with the DOVAN_MESSAGE_ bits, when the record holds the message's state.
inline bool MessageFlags(const DovanMessageFacts& facts, uint32_t* flags)
{
    if (!DOVAN_FACTS_HAVE(&facts, flags) || !(facts.present & DOVAN_FACT_FLAGS)) return false;
    *flags = facts.flags;
    return true;
}

}  // namespace plugins
