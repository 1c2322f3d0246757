#pragma once
// Automatic hyphenation during line building: the word at the character that
// overflows a line, checked against the paragraph's and the document's
// hyphenation settings, hyphenated by the proofing tools' data.
#include <cstdint>
#include <vector>

class TLayoutLine;
class TParagraph;
struct THyphProbeCandidate;

// The word being hyphenated.
struct THyphenationCandidate {
    // Its first character in the paragraph and its length in characters.
    int32_t WordStart = 0;
    int32_t WordLength = 0;
    // The positions in the word of its conditional hyphens.
    std::vector<int32_t> ConditionalHyphens;
};

// Finds the word at the paragraph character atChar (the one that overflows
// the line, whose last break point is lastBreak characters into the line),
// and fills points with its hyphenation points. False when nothing is to be
// hyphenated or the word has no point.
bool FindHyphenationPoints(TParagraph& paragraph, const TLayoutLine& line, int32_t atChar, int32_t lastBreak,
                           THyphenationCandidate& candidate, std::vector<int32_t>& points);

// The probe of the manual hyphenation run: the word that the line would be
// cut in at atChar, whatever the document's automatic hyphenation, its limit
// of consecutive hyphenated lines, or the conditional hyphens the word holds
// already (the run replaces them). The word must start behind the line's
// last break point (or the line have none) and have a language with
// hyphenation data. Fills the candidate with the word's break positions that
// lie behind the part of it on earlier lines and before the characters left
// out; false when there is no such word.
bool FindProbeCandidate(TParagraph& paragraph, const TLayoutLine& line, int32_t atChar, int32_t lastBreak,
                        THyphProbeCandidate& candidate);
