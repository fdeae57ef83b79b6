#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "text/cp1252.h"

#include <gtest/gtest.h>

#include <string>

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    const std::string utf8 = Cp1252ToUtf8(all);
    EXPECT_EQ(Utf8ToCp1252(utf8), all);
    // Every byte became exactly one character, none of them a replacement.
    EXPECT_EQ(utf8.find("\xEF\xBF\xBD"), std::string::npos);
}

namespace {

#ifdef _WIN32
// Windows' own tables for code page 1252, through UTF-16.
std::string SystemCp1252ToUtf8(char byte) {
    wchar_t wide[4] = {};
    const int n = MultiByteToWideChar(1252, 0, &byte, 1, wide, 4);
    char out[8] = {};
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide, n, out, sizeof out, nullptr, nullptr);
    return n > 0 && m > 0 ? std::string(out, static_cast<std::size_t>(m)) : std::string();
}
#else
std::string SystemCp1252ToUtf8(char byte) {
    iconv_t cd = iconv_open("UTF-8", "CP1252");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    char in[1] = {byte};
    char out[8] = {};
    char* inPtr = in;
    char* outPtr = out;
    size_t inLeft = 1, outLeft = sizeof out;
    const bool ok = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    return ok ? std::string(out, sizeof out - outLeft) : std::string();
}
#endif

} // namespace

// The system's own converter as an independent table for the 251 bytes the
// code page defines.
TEST(Cp1252, AgreesWithTheSystemConverterOnEveryDefinedByte) {
    int compared = 0;
    for (int b = 0; b < 256; ++b) {
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            continue;
        }
        const std::string expected = SystemCp1252ToUtf8(static_cast<char>(b));
        ASSERT_FALSE(expected.empty()) << "byte " << b;
        EXPECT_EQ(Cp1252ToUtf8(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
        EXPECT_EQ(Utf8ToCp1252(expected), std::string(1, static_cast<char>(b))) << "byte " << b;
        ++compared;
    }
    EXPECT_EQ(compared, 251);
}

TEST(Cp1252, UndefinedBytesAndNulPassThrough) {
    EXPECT_EQ(Cp1252ToUtf8("M\xFCller"), "M\xC3\xBCller"); // ü
    EXPECT_EQ(Cp1252ToUtf8("\x80"), "\xE2\x82\xAC");       // €
    EXPECT_EQ(Cp1252ToUtf8("\x9F"), "\xC5\xB8");           // Ÿ
    EXPECT_EQ(Cp1252ToUtf8("\x96"), "\xE2\x80\x93");       // en dash
    EXPECT_EQ(Cp1252ToUtf8("\xDF"), "\xC3\x9F");           // ß
    EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"),        // undefined: C1 controls
              "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(Cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252, CharactersWithoutAByteBecomeQuestionMarks) {
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82\xAC 5"), "\x80 5");
    EXPECT_EQ(Utf8ToCp1252("Stra\xC3\x9F"
                           "e"),
              "Stra\xDF"
              "e");
    EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");         // CJK
    EXPECT_EQ(Utf8ToCp1252("a\xF0\x9F\x98\x80z"), "a?z"); // emoji: one mark
    EXPECT_EQ(Utf8ToCp1252("\xC2\x80"), "?");             // U+0080: 0x80 is the euro
}

TEST(Cp1252, InvalidUtf8BecomesQuestionMarksWithoutSwallowingText) {
    EXPECT_EQ(Utf8ToCp1252("\x80"
                           "A"),
              "?A"); // lone continuation
    EXPECT_EQ(Utf8ToCp1252("\xE2\x82"
                           "A"),
              "?A");                                     // cut sequence
    EXPECT_EQ(Utf8ToCp1252("x\xE2\x82"), "x?");          // cut at the end
    EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");           // overlong '/'
    EXPECT_EQ(Utf8ToCp1252("\xE0\x80\xAF"), "???");      // overlong '/' in three bytes
    EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");      // surrogate
    EXPECT_EQ(Utf8ToCp1252("\xF4\x90\x80\x80"), "????"); // beyond U+10FFFF
    EXPECT_EQ(Utf8ToCp1252("\xFF\xFE"), "??");
}
