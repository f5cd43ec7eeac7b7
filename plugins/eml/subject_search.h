// Finding a message's Subject while its text streams past in pieces.
//
// The pieces cut lines anywhere, also between CR and LF, so the start of a line is held across pieces. The
// result never depends on where the pieces were cut.
#pragma once

#include <cstddef>

namespace eml {

inline constexpr size_t kHeldLineMax = 128;  // bytes of a line that are looked at
inline constexpr size_t kSubjectMax = 120;   // bytes of a subject that are kept

struct SubjectSearch {
    char held[kHeldLineMax];
    size_t held_length = 0;
    bool held_line_goes_on = false;  // the line has printable bytes beyond the held 128
    char subject[kSubjectMax];
    size_t subject_length = 0;  // non-zero once found: the search is over
};

void ResetSubjectSearch(SubjectSearch& search);

// Looks at one piece: completes the lines it ends and holds the start of the line it leaves open. Does nothing
// once a non-empty subject has been found. Every line of the message is looked at, body included, until a
// line beginning "subject:" (in any letter case) gives a non-empty subject; a Subject line with nothing after
// the colon does not end the search, and the next line is looked at.
void ScanPieceForSubject(SubjectSearch& search, const unsigned char* data, size_t length);

}  // namespace eml
