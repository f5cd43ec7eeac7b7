// Stores whose message records carry chosen facts: flags, sent time and received time, each present or not,
// kept in the entry itself or in the data area, or pointing outside the record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fixtures/dbx_builder.h"

namespace fixture {

// How one value appears in a record.
enum class FactShape {
    Absent,      // the record lists no such attribute
    InData,      // in the data area (the only way for a time)
    Direct,      // in the entry itself (flags that fit 24 bits; a time stored so cannot be read)
    OutOfRange,  // the entry points past the end of the record
};

struct FixtureFacts {
    FactShape flags_shape = FactShape::Absent;
    uint32_t flags = 0;
    FactShape sent_shape = FactShape::Absent;
    uint64_t sent_time = 0;
    FactShape received_shape = FactShape::Absent;
    uint64_t received_time = 0;
};

// A record with these facts, the message-data attribute naming first_block (0: no text) in the place that
// makes it mail (kind 1) or news (kind 2). `self` is the record's own offset.
std::string EncodeFactRecord(const FixtureFacts& facts, uint32_t kind, uint32_t first_block, uint32_t self);

// A store as BuildDbx makes it, whose messages are listed with records carrying facts[i] instead (appended
// after the messages; the index is made to name them). facts may be shorter than messages: the rest keep the
// builder's records.
std::string BuildDbxWithFacts(const std::vector<FixtureMessage>& messages, const std::vector<FixtureFacts>& facts,
                              const FixtureOptions& options = {});

}  // namespace fixture
