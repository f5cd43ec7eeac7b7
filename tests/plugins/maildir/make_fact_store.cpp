// Writes a store whose messages carry every combination of the five flags, with both times, the sent time
// alone, or neither, and a manifest of what a Maildir made from it must hold, one line per message in order:
//   <text in hex> TAB <flag letters> TAB <modification time in seconds since 1970, or ->
// Usage: maildir_fact_store STORE MANIFEST
#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/fact_stores.h"

namespace {

constexpr uint64_t kFiletimeOf1970 = 116444736000000000ull;

std::string Hex(const std::string& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : bytes) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: maildir_fact_store STORE MANIFEST\n");
        return 2;
    }
    // Store bits in the order of the letters' bits below: draft, flagged, forwarded, answered, read.
    const uint32_t kStoreBits[] = {0x08, 0x20, 0x100000, 0x80000, 0x80};
    const char kLetters[] = "DFPRS";
    std::vector<fixture::FixtureMessage> messages;
    std::vector<fixture::FixtureFacts> facts;
    std::string manifest;
    for (uint32_t combination = 0; combination <= 32; ++combination) {
        fixture::FixtureMessage message;
        message.text = "Subject: combination " + std::to_string(combination) + "\r\nMessage-ID: <" +
                       std::to_string(combination) + "@example.org>\r\n\r\nFrom the body\r\n";
        std::string written = message.text;
        if (combination % 4 == 3) {  // a text without a last line end gets one from the host
            message.text += "no line end";
            written = message.text + "\r\n";
        }
        fixture::FixtureFacts one;
        std::string letters;
        if (combination < 32) {
            one.flags_shape = combination % 2 ? fixture::FactShape::Direct : fixture::FactShape::InData;
            one.flags = 0x01 | 0x4000;
            for (int bit = 0; bit < 5; ++bit) {
                if (!(combination & (1u << bit))) continue;
                one.flags |= kStoreBits[bit];
                letters += kLetters[bit];
            }
        }
        int64_t received = 1000000000 + combination * 3600, sent = received - 7200;
        std::string mtime = "-";
        if (combination % 3 != 2) {
            one.sent_shape = fixture::FactShape::InData;
            one.sent_time = kFiletimeOf1970 + uint64_t(sent) * 10000000 + 1234567;  // a fraction of a second
            mtime = std::to_string(sent);
        }
        if (combination % 3 == 0) {
            one.received_shape = fixture::FactShape::InData;
            one.received_time = kFiletimeOf1970 + uint64_t(received) * 10000000;
            mtime = std::to_string(received);
        }
        messages.push_back(message);
        facts.push_back(one);
        manifest += Hex(written) + "\t" + letters + "\t" + mtime + "\n";
    }
    if (!fixture::WriteFixture(argv[1], fixture::BuildDbxWithFacts(messages, facts))) return 1;
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) return 1;
    bool written = std::fwrite(manifest.data(), 1, manifest.size(), out) == manifest.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
