#include "plugins/mbox/body_quoting.h"

#include <cstring>

#include "platform/platform.h"
#include "plugins/mbox/setting.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// The 32-byte scan is compiled for AVX2 on its own and chosen at run time, so the program still runs on
// processors without it.
#if defined(__SSE2__) && defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define DOVAN_SCAN_AVX2 1
#include <immintrin.h>
#endif

namespace mbox {
namespace {

inline bool IsCandidate(uint32_t mode, char first)
{
    return first == 'F' || (mode == kIgnoreCase && (first == 'f' || first == '>'));
}

// One line at a time: the next LF, then a look at the byte after it.
const char* ScanLineByLine(uint32_t mode, const char* at, const char* end)
{
    while (at < end) {
        const void* found = std::memchr(at, '\n', static_cast<size_t>(end - at));
        if (!found) return nullptr;
        const char* next = static_cast<const char*>(found) + 1;
        if (next < end && IsCandidate(mode, *next)) return next;
        at = next;
    }
    return nullptr;
}

// The wide scans test, for each position p of a step, whether p holds an LF and p + 1 a candidate: a step
// over n positions reads n + 1 bytes. Once the positions left are fewer than a step, one last step ends at
// the last position instead; the positions it reads twice were found clear before, so its first hit is the
// first one. Only runs too short for even one step are scanned line by line.
#if defined(__SSE2__)
template <bool kAnyCase>
inline unsigned Hits16(const char* at)
{
    __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    __m128i candidate = _mm_cmpeq_epi8(after, _mm_set1_epi8('F'));
    if (kAnyCase) {
        __m128i other =
            _mm_or_si128(_mm_cmpeq_epi8(after, _mm_set1_epi8('f')), _mm_cmpeq_epi8(after, _mm_set1_epi8('>')));
        candidate = _mm_or_si128(candidate, other);
    }
    __m128i found = _mm_and_si128(_mm_cmpeq_epi8(here, _mm_set1_epi8('\n')), candidate);
    return static_cast<unsigned>(_mm_movemask_epi8(found));
}

template <bool kAnyCase>
const char* Scan16(const char* from, const char* end)
{
    constexpr long kStep = 16;
    if (end - from < kStep + 1) return ScanLineByLine(kAnyCase ? kIgnoreCase : kFromQuoting, from, end);
    const char* at = from;
    for (; end - at >= kStep + 1; at += kStep)
        if (unsigned mask = Hits16<kAnyCase>(at)) return at + __builtin_ctz(mask) + 1;
    if (end - at < 2) return nullptr;  // no position left whose next byte is in the run
    at = end - (kStep + 1);
    unsigned mask = Hits16<kAnyCase>(at);
    return mask ? at + __builtin_ctz(mask) + 1 : nullptr;
}
#endif

#if defined(DOVAN_SCAN_AVX2)
template <bool kAnyCase>
__attribute__((target("avx2"))) inline unsigned Hits32(const char* at)
{
    __m256i here = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
    __m256i after = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + 1));
    __m256i candidate = _mm256_cmpeq_epi8(after, _mm256_set1_epi8('F'));
    if (kAnyCase) {
        __m256i other = _mm256_or_si256(_mm256_cmpeq_epi8(after, _mm256_set1_epi8('f')),
                                        _mm256_cmpeq_epi8(after, _mm256_set1_epi8('>')));
        candidate = _mm256_or_si256(candidate, other);
    }
    __m256i found = _mm256_and_si256(_mm256_cmpeq_epi8(here, _mm256_set1_epi8('\n')), candidate);
    return static_cast<unsigned>(_mm256_movemask_epi8(found));
}

template <bool kAnyCase>
__attribute__((target("avx2"))) const char* Scan32(const char* from, const char* end)
{
    constexpr long kStep = 32;
    if (end - from < kStep + 1) return Scan16<kAnyCase>(from, end);
    const char* at = from;
    // Two steps per test while there is room: hits are rare, so the branch is taken seldom.
    for (; end - at >= 2 * kStep + 1; at += 2 * kStep) {
        uint64_t mask = Hits32<kAnyCase>(at) | uint64_t(Hits32<kAnyCase>(at + kStep)) << 32;
        if (mask) return at + __builtin_ctzll(mask) + 1;
    }
    for (; end - at >= kStep + 1; at += kStep)
        if (unsigned mask = Hits32<kAnyCase>(at)) return at + __builtin_ctz(mask) + 1;
    if (end - at < 2) return nullptr;
    at = end - (kStep + 1);
    unsigned mask = Hits32<kAnyCase>(at);
    return mask ? at + __builtin_ctz(mask) + 1 : nullptr;
}

bool HasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}
#endif

}  // namespace

bool NeedsQuote(uint32_t mode, const char* line, size_t length)
{
    if (mode == kPassThrough) return false;
    size_t quotes = 0;
    while (quotes < length && line[quotes] == '>') ++quotes;
    if (quotes + 4 > length) return false;
    if (mode == kIgnoreCase) {
        // Any run of ">" before "from" in any case, blank or not: a reader that strips one ">" from such
        // lines gets every body line back as stored.
        char word[4];
        std::memcpy(word, line + quotes, 4);
        platform::LowerBytes(word, 4);
        return std::memcmp(word, "from", 4) == 0;
    }
    return length >= 5 && std::memcmp(line, "From ", 5) == 0;
}

bool ScanWidthAvailable(ScanWidth width)
{
    switch (width) {
    case ScanWidth::OneLine:
        return true;
#if defined(__SSE2__)
    case ScanWidth::Bytes16:
        return true;
#endif
#if defined(DOVAN_SCAN_AVX2)
    case ScanWidth::Bytes32:
        return HasAvx2();
#endif
    default:
        return false;
    }
}

const char* FindLaterQuoteCandidateWith(ScanWidth width, uint32_t mode, const char* from, const char* end)
{
    if (mode == kPassThrough || from >= end) return nullptr;
    [[maybe_unused]] bool any_case = mode == kIgnoreCase;  // unused where no wide scan is compiled
    switch (width) {
#if defined(DOVAN_SCAN_AVX2)
    case ScanWidth::Bytes32:
        return any_case ? Scan32<true>(from, end) : Scan32<false>(from, end);
#endif
#if defined(__SSE2__)
    case ScanWidth::Bytes16:
        return any_case ? Scan16<true>(from, end) : Scan16<false>(from, end);
#endif
    default:
        return ScanLineByLine(mode, from, end);
    }
}

const char* FindLaterQuoteCandidate(uint32_t mode, const char* from, const char* end)
{
#if defined(DOVAN_SCAN_AVX2)
    if (HasAvx2()) return FindLaterQuoteCandidateWith(ScanWidth::Bytes32, mode, from, end);
#endif
#if defined(__SSE2__)
    return FindLaterQuoteCandidateWith(ScanWidth::Bytes16, mode, from, end);
#else
    return FindLaterQuoteCandidateWith(ScanWidth::OneLine, mode, from, end);
#endif
}

const char* FindQuoteCandidate(uint32_t mode, const char* from, const char* end)
{
    if (mode == kPassThrough || from >= end) return nullptr;
    if (IsCandidate(mode, *from)) return from;
    return FindLaterQuoteCandidate(mode, from, end);
}

}  // namespace mbox
