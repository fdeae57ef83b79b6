#include "freebase/fb_crc.h"

#include <zlib.h>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VRX_CRC_FOLD 1
#include <immintrin.h>
#else
#define VRX_CRC_FOLD 0
#endif

namespace fbcrc {

std::uint32_t UpdateByTable(std::uint32_t reg, const void* data, std::size_t size) {
    // zlib inverts on entry and exit; the register form has neither.
    uLong c = ~reg & 0xFFFFFFFFUL;
    const auto* p = static_cast<const Bytef*>(data);
    while (size > 0) {
        const uInt chunk = size > 0x40000000U ? 0x40000000U : static_cast<uInt>(size);
        c = crc32(c, p, chunk);
        p += chunk;
        size -= chunk;
    }
    return static_cast<std::uint32_t>(~c);
}

#if VRX_CRC_FOLD

namespace {

// x^(4*128+32) and x^(4*128-32) mod P, then x^(128+32) and x^(128-32) mod P,
// bit-reflected and shifted by one: a 128-bit lane times these moves it 64
// or 16 bytes further down the message without changing the remainder.
__attribute__((target("pclmul,sse4.1"))) inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    const __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    const __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(lo, hi), next);
}

__attribute__((target("pclmul,sse4.1"))) std::uint32_t
UpdateFolded(std::uint32_t reg, const std::uint8_t* p, std::size_t size) {
    auto load = [](const std::uint8_t* q) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
    };
    __m128i x0 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
    __m128i x1 = load(p + 16);
    __m128i x2 = load(p + 32);
    __m128i x3 = load(p + 48);
    p += 64;
    size -= 64;
    const __m128i k64 = _mm_set_epi64x(0x1c6e41596, 0x154442bd4);
    while (size >= 64) {
        x0 = Fold(x0, k64, load(p));
        x1 = Fold(x1, k64, load(p + 16));
        x2 = Fold(x2, k64, load(p + 32));
        x3 = Fold(x3, k64, load(p + 48));
        p += 64;
        size -= 64;
    }
    const __m128i k16 = _mm_set_epi64x(0x0ccaa009e, 0x1751997d0);
    __m128i x = Fold(x0, k16, x1);
    x = Fold(x, k16, x2);
    x = Fold(x, k16, x3);
    while (size >= 16) {
        x = Fold(x, k16, load(p));
        p += 16;
        size -= 16;
    }
    // The lane left has the remainder of everything folded into it: the
    // tables finish it from a zero register, then take the last bytes.
    alignas(16) std::uint8_t lane[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(lane), x);
    const std::uint32_t r = UpdateByTable(0, lane, sizeof lane);
    return UpdateByTable(r, p, size);
}

bool HasCarrylessMultiply() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}

} // namespace

std::uint32_t Update(std::uint32_t reg, const void* data, std::size_t size) {
    // Short runs (the header, a level end) are not worth the set-up.
    if (size >= 256 && HasCarrylessMultiply()) {
        return UpdateFolded(reg, static_cast<const std::uint8_t*>(data), size);
    }
    return UpdateByTable(reg, data, size);
}

#else

std::uint32_t Update(std::uint32_t reg, const void* data, std::size_t size) {
    return UpdateByTable(reg, data, size);
}

#endif

} // namespace fbcrc
