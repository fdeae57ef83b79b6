#include "text/cp1252.h"

#include <cstdint>

namespace {

// Bytes 0x80..0x9F; the rest of the code page equals Latin-1. The five bytes
// the code page leaves undefined keep their C1 control code point.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98..9F
};

char32_t ByteToCodePoint(unsigned char b) {
    if (b >= 0x80 && b <= 0x9F) {
        return kHighControls[b - 0x80];
    }
    return b;
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        // Every code point of the table is below U+10000.
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

int CodePointToByte(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<int>(cp);
    }
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == cp) {
            return 0x80 + i;
        }
    }
    return -1;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        AppendUtf8(out, ByteToCodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    const size_t n = utf8.size();
    size_t i = 0;
    auto at = [&](size_t k) { return static_cast<unsigned char>(utf8[k]); };
    while (i < n) {
        const unsigned char lead = at(i);
        if (lead < 0x80) {
            out += static_cast<char>(lead);
            ++i;
            continue;
        }
        // Length and the allowed range of the second byte (excludes
        // overlong forms, surrogates and code points above U+10FFFF).
        int len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            len = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            len = 3;
            if (lead == 0xE0) {
                lo = 0xA0;
            } else if (lead == 0xED) {
                hi = 0x9F;
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            len = 4;
            if (lead == 0xF0) {
                lo = 0x90;
            } else if (lead == 0xF4) {
                hi = 0x8F;
            }
        } else {
            out += '?';
            ++i;
            continue;
        }
        char32_t cp = lead & (0xFF >> (len + 1));
        size_t k = 1;
        bool valid = true;
        for (; k < static_cast<size_t>(len); ++k) {
            if (i + k >= n) {
                valid = false;
                break;
            }
            const unsigned char c = at(i + k);
            const unsigned char min = k == 1 ? lo : 0x80;
            const unsigned char max = k == 1 ? hi : 0xBF;
            if (c < min || c > max) {
                valid = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        // A broken sequence becomes one '?' and reading resumes at the
        // first byte that did not fit.
        i += k;
        if (!valid) {
            out += '?';
            continue;
        }
        const int b = CodePointToByte(cp);
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    return out;
}
