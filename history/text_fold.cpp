#include "history/text_fold.h"

#include <cstdint>

namespace {

// U+00C0..U+00FF, one entry each; "" keeps the character (× and ÷).
const char* const Latin1Fold[64] = {
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};

// U+0100..U+017F in runs of one base letter.
struct Run {
    char32_t Last;
    const char* Base;
};
const Run ExtendedAFold[] = {{0x105, "a"}, {0x10D, "c"}, {0x111, "d"},  {0x11B, "e"},  {0x123, "g"},
                             {0x127, "h"}, {0x131, "i"}, {0x133, "ij"}, {0x135, "j"},  {0x138, "k"},
                             {0x142, "l"}, {0x14B, "n"}, {0x151, "o"},  {0x153, "oe"}, {0x159, "r"},
                             {0x161, "s"}, {0x167, "t"}, {0x173, "u"},  {0x175, "w"},  {0x178, "y"},
                             {0x17E, "z"}, {0x17F, "s"}};

// One UTF-8 sequence at text[i]: its code point and length, or length 0.
std::size_t Decode(std::string_view text, std::size_t i, char32_t* cp) {
    const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(text[i + k]); };
    const std::uint8_t lead = b(0);
    std::size_t n = lead < 0x80             ? 1
                    : (lead & 0xE0) == 0xC0 ? 2
                    : (lead & 0xF0) == 0xE0 ? 3
                    : (lead & 0xF8) == 0xF0 ? 4
                                            : 0;
    if (n == 0 || i + n > text.size())
        return 0;
    char32_t c = n == 1 ? lead : n == 2 ? (lead & 0x1F) : n == 3 ? (lead & 0x0F) : (lead & 0x07);
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(k) & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b(k) & 0x3F);
    }
    // Overlong forms are no valid UTF-8: kept as bytes, never folded.
    if ((n == 2 && c < 0x80) || (n == 3 && c < 0x800) || (n == 4 && c < 0x10000))
        return 0;
    *cp = c;
    return n;
}

} // namespace

std::string FoldForSearch(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t c = 0;
        const std::size_t n = Decode(utf8, i, &c);
        if (n == 0) {
            out += utf8[i++];
            continue;
        }
        const char* base = nullptr;
        if (c >= 'A' && c <= 'Z') {
            out += static_cast<char>(c - 'A' + 'a');
        } else if (c >= 0xC0 && c <= 0xFF) {
            base = Latin1Fold[c - 0xC0];
        } else if (c >= 0x100 && c <= 0x17F) {
            for (const Run& r : ExtendedAFold) {
                if (c <= r.Last) {
                    base = r.Base;
                    break;
                }
            }
        } else {
            out.append(utf8.substr(i, n));
        }
        if (base)
            out += *base ? std::string_view(base) : utf8.substr(i, n);
        i += n;
    }
    return out;
}

bool ContainsFolded(std::string_view haystackUtf8, std::string_view needleUtf8) {
    return FoldForSearch(haystackUtf8).find(FoldForSearch(needleUtf8)) != std::string::npos;
}
