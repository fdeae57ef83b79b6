// Single-byte Windows-1252 (files, settings, the tester's serial numbers)
// to and from UTF-8 (the windows).
#pragma once

#include <string>
#include <string_view>

// Every byte maps to one character; the five bytes Windows-1252 leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to U+0081 etc., so the round
// trip is lossless for every byte.
std::string Cp1252ToUtf8(std::string_view bytes);
// Characters without a Windows-1252 byte become '?'; invalid UTF-8 too.
std::string Utf8ToCp1252(std::string_view utf8);
