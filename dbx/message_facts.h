// What a message record tells about its message beyond the text: when it was received and sent, and the state
// the user's mail client kept (read, answered, forwarded, flagged, draft, body never downloaded).
//
// Every value is optional: a record that lacks one, or holds one that cannot be read, simply leaves it absent.
// Reading the facts never fails a message and never marks the file damaged.
#pragma once

#include <cstddef>
#include <cstdint>

#include "dbx/dbx_file.h"

namespace dbx {

// Attribute ids of a message record.
inline constexpr uint32_t kAttributeFlags = 0x01;
inline constexpr uint32_t kAttributeSentTime = 0x02;
inline constexpr uint32_t kAttributeText = 0x04;
inline constexpr uint32_t kAttributeReceivedTime = 0x12;

// Bits of the flags attribute.
inline constexpr uint32_t kStoreFlagBodyDownloaded = 0x01;
inline constexpr uint32_t kStoreFlagDraft = 0x08;
inline constexpr uint32_t kStoreFlagFlagged = 0x20;
inline constexpr uint32_t kStoreFlagRead = 0x80;
inline constexpr uint32_t kStoreFlagAnswered = 0x80000;
inline constexpr uint32_t kStoreFlagForwarded = 0x100000;

struct MessageFacts {
    bool has_received_time = false;
    uint64_t received_time = 0;  // FILETIME: 100-ns ticks since 1601-01-01 UTC
    bool has_sent_time = false;
    uint64_t sent_time = 0;
    bool has_flags = false;
    uint32_t flags = 0;        // the record's flag bits as stored (kStoreFlag...)
    bool header_only = false;  // the flags say the body was never downloaded and the record has no text
};

// The facts of one record from its bytes: the 12-byte head, the attribute entries and the data area, as far as
// `size` bytes reach. Values that lie beyond them are absent.
MessageFacts DecodeMessageFacts(const unsigned char* record, size_t size);

// The facts of the record at record_offset, read from the file (the sibling of LocateMessageData).
MessageFacts ReadMessageFacts(DbxFile& dbx, uint32_t record_offset);

}  // namespace dbx
