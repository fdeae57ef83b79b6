// Search text without letter case and accents, for UTF-8 text: "MULLER"
// finds "Müller". Done here rather than with the toolkit, which has no
// Unicode tables on every platform.
#pragma once

#include <string>
#include <string_view>

// Lower case, accents removed, for ASCII, Latin-1 Supplement and Latin
// Extended-A; ß, æ, œ, þ and the ligatures become two letters. Other
// characters are kept as they are; a byte that is no valid UTF-8 is kept.
std::string FoldForSearch(std::string_view utf8);

// True when the folded needle occurs in the folded haystack (an empty
// needle is found everywhere).
bool ContainsFolded(std::string_view haystackUtf8, std::string_view needleUtf8);
