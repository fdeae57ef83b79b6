// The ten-byte extended value: exact from double, correctly rounded back.
#include "freebase/extended80.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

std::uint64_t Bits(double d) {
    return std::bit_cast<std::uint64_t>(d);
}

TEST(Extended80, KnownPatterns) {
    const Extended80 one = Extended80::FromDouble(1.0);
    EXPECT_EQ(one.Bytes, (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}));
    EXPECT_EQ(Extended80::FromDouble(-2.5), Extended80::FromParts(0xA000000000000000ULL, 0xC000));
    EXPECT_EQ(Extended80::FromDouble(0.0), Extended80{});
    EXPECT_EQ(Extended80::FromDouble(-0.0), Extended80::FromParts(0, 0x8000));
    EXPECT_EQ(Extended80::FromDouble(std::numeric_limits<double>::infinity()),
              Extended80::FromParts(0x8000000000000000ULL, 0x7FFF));
    // The smallest subnormal double is 2^-1074, a normal extended number.
    EXPECT_EQ(Extended80::FromDouble(std::numeric_limits<double>::denorm_min()),
              Extended80::FromParts(0x8000000000000000ULL, 16383 - 1074));
    EXPECT_EQ(Extended80::FromDouble(DBL_MAX),
              Extended80::FromParts(0xFFFFFFFFFFFFF800ULL, 16383 + 1023));
}

TEST(Extended80, EveryDoubleComesBackBitForBit) {
    std::mt19937_64 rng(42);
    for (int i = 0; i < 200000; ++i) {
        const std::uint64_t bits = rng();
        const double d = std::bit_cast<double>(bits);
        const double back = Extended80::FromDouble(d).ToDouble();
        if (std::isnan(d)) {
            EXPECT_TRUE(std::isnan(back));
            EXPECT_EQ(Bits(back) & ~(1ULL << 51), bits & ~(1ULL << 51)); // payload kept
        } else {
            ASSERT_EQ(Bits(back), bits) << std::hexfloat << d;
        }
    }
    for (double d : {0.0, -0.0, 1e-310, -4.9e-324, DBL_MIN, DBL_MAX, -DBL_MAX,
                     std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(Bits(Extended80::FromDouble(d).ToDouble()), Bits(d));
    }
}

TEST(Extended80, NarrowingRoundsToNearestEven) {
    const std::uint16_t exp1 = 16383; // 1.x
    // 1 + half an ulp of double: a tie, stays at the even 1.0.
    EXPECT_EQ(Extended80::FromParts(0x8000000000000400ULL, exp1).ToDouble(), 1.0);
    // A tie above an odd significand rounds up.
    EXPECT_EQ(Extended80::FromParts(0x8000000000000C00ULL, exp1).ToDouble(), 1.0 + 2 * DBL_EPSILON);
    // Just above half rounds up.
    EXPECT_EQ(Extended80::FromParts(0x8000000000000401ULL, exp1).ToDouble(), 1.0 + DBL_EPSILON);
    // All ones carry into the exponent: 2.0.
    EXPECT_EQ(Extended80::FromParts(0xFFFFFFFFFFFFFFFFULL, exp1).ToDouble(), 2.0);
    // Beyond the double range: infinity; carrying past DBL_MAX too.
    EXPECT_EQ(Extended80::FromParts(0x8000000000000000ULL, 16383 + 1024).ToDouble(), INFINITY);
    EXPECT_EQ(Extended80::FromParts(0xFFFFFFFFFFFFFFFFULL, 16383 + 1023).ToDouble(), INFINITY);
    EXPECT_EQ(Extended80::FromParts(0x8000000000000000ULL, 0x8000 | (16383 + 2000)).ToDouble(),
              -INFINITY);
    // Below: subnormals, rounded; far below: a signed zero.
    EXPECT_EQ(Extended80::FromParts(0x8000000000000000ULL, 16383 - 1074).ToDouble(),
              std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(Extended80::FromParts(0x8000000000000000ULL, 16383 - 1075).ToDouble(), 0.0); // tie
    EXPECT_EQ(Extended80::FromParts(0xC000000000000000ULL, 16383 - 1075).ToDouble(),
              std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(Bits(Extended80::FromParts(0x8000000000000000ULL, 0x8000 | 1).ToDouble()),
              Bits(-0.0));
    // Extended subnormals and unnormals are read by their value.
    EXPECT_EQ(Extended80::FromParts(0x0000000000000001ULL, 0).ToDouble(), 0.0);
    EXPECT_EQ(Extended80::FromParts(0x4000000000000000ULL, exp1).ToDouble(), 0.5);
    // NaN stays NaN, also with a payload only in the low bits.
    EXPECT_TRUE(std::isnan(Extended80::FromParts(0xC000000000000000ULL, 0x7FFF).ToDouble()));
    EXPECT_TRUE(std::isnan(Extended80::FromParts(0x8000000000000001ULL, 0x7FFF).ToDouble()));
}

#if (defined(__x86_64__) || defined(__i386__)) && LDBL_MANT_DIG == 64
// On x86 the host's own long double is the reference for valid encodings.
TEST(Extended80, AgreesWithTheX87OnRandomValues) {
    std::mt19937_64 rng(7);
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t sig = rng();
        auto se = static_cast<std::uint16_t>(rng());
        if (i % 2) {
            // Concentrate on the double range and just around its edges.
            se = static_cast<std::uint16_t>((se & 0x8000) | (16383 - 1100 + rng() % 2230));
        }
        if ((se & 0x7FFF) != 0) {
            sig |= 1ULL << 63; // valid normal encoding
        } else {
            sig &= ~(1ULL << 63); // valid subnormal encoding
        }
        const Extended80 e = Extended80::FromParts(sig, se);
        long double host = 0;
        std::memcpy(&host, e.Bytes.data(), 10);
        const double expected = static_cast<double>(host);
        const double got = e.ToDouble();
        if (std::isnan(expected)) {
            EXPECT_TRUE(std::isnan(got));
        } else {
            ASSERT_EQ(Bits(got), Bits(expected)) << std::hex << sig << " " << se;
        }
    }
}
#endif

} // namespace
