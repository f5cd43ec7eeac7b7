#include "plugins/mbox/quote_candidates.h"

#include <cstring>

#include "plugins/mbox/setting.h"

#if defined(__SSE2__)
#include <emmintrin.h>
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

#if defined(__SSE2__)
// Sixteen bytes at a time: the positions holding an LF whose next byte is a candidate.
template <bool kAnyCase>
const char* ScanWide(const char* at, const char* end)
{
    const __m128i line_feed = _mm_set1_epi8('\n');
    const __m128i upper_f = _mm_set1_epi8('F');
    const __m128i lower_f = _mm_set1_epi8('f');
    const __m128i quote = _mm_set1_epi8('>');
    // Each step reads the 16 bytes at `at` and the 16 after `at + 1`, so it needs 17 bytes.
    while (end - at >= 17) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        __m128i after = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
        __m128i candidate = _mm_cmpeq_epi8(after, upper_f);
        if (kAnyCase) {
            __m128i other = _mm_or_si128(_mm_cmpeq_epi8(after, lower_f), _mm_cmpeq_epi8(after, quote));
            candidate = _mm_or_si128(candidate, other);
        }
        __m128i found = _mm_and_si128(_mm_cmpeq_epi8(here, line_feed), candidate);
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(found));
        if (mask != 0) return at + __builtin_ctz(mask) + 1;
        at += 16;
    }
    return ScanLineByLine(kAnyCase ? kIgnoreCase : kFromQuoting, at, end);
}
#endif

}  // namespace

const char* FindQuoteCandidate(uint32_t mode, const char* from, const char* end)
{
    if (mode == kPassThrough || from >= end) return nullptr;
    if (IsCandidate(mode, *from)) return from;
#if defined(__SSE2__)
    return mode == kIgnoreCase ? ScanWide<true>(from, end) : ScanWide<false>(from, end);
#else
    return ScanLineByLine(mode, from, end);
#endif
}

}  // namespace mbox
