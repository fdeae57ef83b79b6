#include "freebase/extended80.h"

#include <bit>

namespace {

constexpr int ExtBias = 16383;
constexpr int DblBias = 1023;
constexpr std::uint64_t IntegerBit = 1ULL << 63;

// Shifts right by count (0..127) and rounds to nearest, ties to even.
std::uint64_t ShiftRightRounded(std::uint64_t value, int count) {
    if (count == 0) {
        return value;
    }
    if (count > 64) {
        return 0; // below half of the smallest step
    }
    std::uint64_t kept = count == 64 ? 0 : value >> count;
    std::uint64_t rest = count == 64 ? value : value & ((1ULL << count) - 1);
    std::uint64_t half = 1ULL << (count - 1);
    if (rest > half || (rest == half && (kept & 1))) {
        ++kept;
    }
    return kept;
}

} // namespace

std::uint64_t Extended80::Significand() const {
    std::uint64_t s = 0;
    for (int i = 7; i >= 0; --i) {
        s = (s << 8) | Bytes[i];
    }
    return s;
}

std::uint16_t Extended80::SignExponent() const {
    return static_cast<std::uint16_t>(Bytes[8] | (Bytes[9] << 8));
}

Extended80 Extended80::FromParts(std::uint64_t significand, std::uint16_t signExponent) {
    Extended80 e;
    for (int i = 0; i < 8; ++i) {
        e.Bytes[i] = static_cast<std::uint8_t>(significand >> (8 * i));
    }
    e.Bytes[8] = static_cast<std::uint8_t>(signExponent);
    e.Bytes[9] = static_cast<std::uint8_t>(signExponent >> 8);
    return e;
}

Extended80 Extended80::FromDouble(double value) {
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const std::uint16_t sign = (bits >> 63) ? 0x8000 : 0;
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF);
    std::uint64_t fraction = bits & ((1ULL << 52) - 1);

    if (exponent == 0x7FF) {
        // Infinity has a clear fraction; a NaN keeps its payload at the top.
        return FromParts(IntegerBit | (fraction << 11), sign | 0x7FFF);
    }
    if (exponent == 0) {
        if (fraction == 0) {
            return FromParts(0, sign);
        }
        // Subnormal double: normalise, the extended range holds it.
        int e = 1 - DblBias;
        while (!(fraction & (1ULL << 52))) {
            fraction <<= 1;
            --e;
        }
        return FromParts(fraction << 11, static_cast<std::uint16_t>(sign | (e + ExtBias)));
    }
    return FromParts(IntegerBit | (fraction << 11),
                     static_cast<std::uint16_t>(sign | (exponent - DblBias + ExtBias)));
}

double Extended80::ToDouble() const {
    const std::uint16_t se = SignExponent();
    const std::uint64_t signBit = (se & 0x8000) ? (1ULL << 63) : 0;
    const int exponent = se & 0x7FFF;
    std::uint64_t sig = Significand();

    if (exponent == 0x7FFF) {
        const std::uint64_t fraction = sig & ~IntegerBit;
        if (fraction == 0) {
            return std::bit_cast<double>(signBit | (0x7FFULL << 52));
        }
        // Keep the top of the payload and make sure it stays a NaN.
        std::uint64_t payload = fraction >> 11;
        if (payload == 0) {
            payload = 1ULL << 51;
        }
        return std::bit_cast<double>(signBit | (0x7FFULL << 52) | payload);
    }
    if (sig == 0) {
        return std::bit_cast<double>(signBit);
    }

    // value = sig * 2^(e - 63), with sig normalised so that bit 63 is set.
    int e = (exponent == 0 ? 1 : exponent) - ExtBias;
    const int lead = std::countl_zero(sig);
    sig <<= lead;
    e -= lead;

    if (e > DblBias) {
        return std::bit_cast<double>(signBit | (0x7FFULL << 52));
    }
    if (e >= 1 - DblBias) {
        std::uint64_t mant = ShiftRightRounded(sig, 11); // 53 bits, maybe 2^53 after rounding
        if (mant >> 53) {
            mant >>= 1;
            ++e;
            if (e > DblBias) {
                return std::bit_cast<double>(signBit | (0x7FFULL << 52));
            }
        }
        const std::uint64_t biased = static_cast<std::uint64_t>(e + DblBias);
        return std::bit_cast<double>(signBit | (biased << 52) | (mant & ((1ULL << 52) - 1)));
    }
    // Subnormal: the result is m * 2^-1074. Rounding up to 2^52 gives the
    // smallest normal number, whose bit pattern is the same integer.
    const int shift = -(e + 1011);
    const std::uint64_t m = ShiftRightRounded(sig, shift > 127 ? 127 : shift);
    return std::bit_cast<double>(signBit | m);
}
