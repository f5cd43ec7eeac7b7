// Invented but realistic message texts for the benchmark's store: headers as mail clients and servers write
// them, wrapped body text with quotes and "From " lines, HTML alternatives and base64 attachments, CR LF line
// ends throughout. Deterministic: the same seed gives the same texts on every machine.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// A small, fast generator (xorshift64*): the benchmark writes a gigabyte of text and must not wait for it.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
    uint64_t Next()
    {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>((Next() >> 32) % bound); }
    // Log-uniform in [low, high): many small values, few large ones, as message sizes are spread.
    uint64_t LogUniform(uint64_t low, uint64_t high);

private:
    uint64_t state_;
};

struct MailShape {
    uint64_t target_size = 4096;  // about this many bytes of text in all
    bool news = false;            // a news article (Newsgroups, Path) rather than a mail
    bool attachment = false;      // a multipart message carrying a base64 attachment
    uint32_t thread = 0;          // messages of one thread share their subject
};

// One message text of about shape.target_size bytes (never less than its header), ending with CR LF.
std::string MakeMailText(const MailShape& shape, uint32_t number, Random& random);

}  // namespace bench
