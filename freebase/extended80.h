// The 80-bit extended-precision value of `floating` entries, kept as the ten
// bytes the file holds (x87 double-extended layout, little-endian): bytes 0-7
// the significand with its explicit integer bit, bytes 8-9 sign and exponent
// (bias 16383). Conversions work on the bits, so every host reads and writes
// the same bytes whatever its own long double is.
#pragma once

#include <array>
#include <cstdint>

struct Extended80 {
    std::array<std::uint8_t, 10> Bytes{};

    // Exact: every double has an extended value.
    static Extended80 FromDouble(double value);
    // Rounded to nearest, ties to even; too large gives infinity, too small a
    // subnormal or zero; NaN keeps its sign and the top of its payload.
    double ToDouble() const;

    std::uint64_t Significand() const;
    std::uint16_t SignExponent() const;
    static Extended80 FromParts(std::uint64_t significand, std::uint16_t signExponent);

    bool operator==(const Extended80&) const = default;
};
