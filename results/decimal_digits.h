#pragma once
// The one digit generator: the decimal digits of a double, rounded exactly,
// for every number the program writes (17 significant digits for machines,
// the patterns of the panel and the report, the tables' %g texts).
//
// A finite double is v = m 2^e with an integer m < 2^53.  For 0 <= k <= 27,
// v 10^k = m 5^k 2^(e+k) where 5^k < 2^63: a 64 x 64-bit product (below
// 2^116) and a shift give the integer part of v 10^k and the exact rest, with
// no rounding on the way, so rounding on that rest is exact in both manners
// the program uses (ties to even as printf rounds, ties away from zero as
// the patterns round).  Where 128 bits do not reach, the functions say so and
// the callers take an exact route of their own (std::to_chars, the full
// decimal expansion).

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace aqvis {

enum class Ties { ToEven, AwayFromZero };

namespace digits_detail {

using u128 = unsigned __int128;

inline constexpr int kMaxScale = 27;  // 5^27 < 2^63
inline constexpr auto kPowersOf5 = [] {
    std::array<std::uint64_t, kMaxScale + 1> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
    return p;
}();

// What is left below the integer part: nothing, less than one half, one
// half, more.
enum class Rest { None, BelowHalf, Half, AboveHalf };

// floor(m 2^e 10^k) and the rest, for an integer m < 2^53; false where it
// is out of reach.
inline bool scaled(std::uint64_t m, int e, int k, std::uint64_t& q, Rest& rest)
{
    if (k < 0 || k > kMaxScale) return false;
    const u128 x = static_cast<u128>(m) * kPowersOf5[static_cast<std::size_t>(k)];  // < 2^116
    const int shift = e + k;
    if (shift >= 0) {
        if (shift >= 64 || (x >> (64 - shift)) != 0) return false;  // x 2^shift >= 2^64
        q = static_cast<std::uint64_t>(x << shift);
        rest = Rest::None;
        return true;
    }
    const int r = -shift;
    const auto rest_of = [](auto below, auto half) {  // the bits below the point, at the top of a word
        return below == 0 ? Rest::None : below < half ? Rest::BelowHalf : below == half ? Rest::Half : Rest::AboveHalf;
    };
    if (r < 64) {  // most values: the rest lies in the lower word
        const auto low = static_cast<std::uint64_t>(x), high = static_cast<std::uint64_t>(x >> 64);
        if (high >> r) return false;
        q = (low >> r) | (high << (64 - r));
        rest = rest_of(low << (64 - r), std::uint64_t(1) << 63);
        return true;
    }
    if (r > 116) {  // x < 2^116: the value is below one half
        q = 0;
        rest = x == 0 ? Rest::None : Rest::BelowHalf;
        return true;
    }
    q = static_cast<std::uint64_t>(x >> r);  // below 2^52
    rest = rest_of(x << (128 - r), u128(1) << 127);
    return true;
}

inline bool rounds_up(Rest rest, std::uint64_t q, Ties ties)
{
    return rest == Rest::AboveHalf || (rest == Rest::Half && (ties == Ties::AwayFromZero || (q & 1) != 0));
}

}  // namespace digits_detail

inline constexpr std::uint64_t kPowersOf10[20] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull, 100000000ull,
    1000000000ull, 10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull,
    100000000000000ull, 1000000000000000ull, 10000000000000000ull, 100000000000000000ull,
    1000000000000000000ull, 10000000000000000000ull};

// v 10^k rounded to an integer, for v finite and >= 0 (subnormal numbers
// included).  False when k is outside [0, 27] or the result needs more than
// 64 bits.
inline bool Round_Scaled(double v, int k, Ties ties, std::uint64_t& n)
{
    using namespace digits_detail;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const int biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & ((std::uint64_t(1) << 52) - 1);
    std::uint64_t q;
    Rest rest;
    const bool normal = biased != 0;
    if (!scaled(normal ? fraction | (std::uint64_t(1) << 52) : fraction, normal ? biased - 1075 : -1074, k, q, rest))
        return false;
    n = q + (rounds_up(rest, q, ties) ? 1 : 0);
    return n >= q;  // false when rounding carried past 2^64
}

// |v|, finite and normal, rounded to `digits` significant digits (1 to
// 18): n in [10^(digits-1), 10^digits) and the decimal exponent E of the
// rounded value, v ~ n 10^(E + 1 - digits).  False where the arithmetic
// above does not reach (a subnormal v; digits - 1 - E outside [0, 27]).
inline bool Round_Significant(double v, int digits, Ties ties, std::uint64_t& n, int& E)
{
    using namespace digits_detail;
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v) & ~(std::uint64_t(1) << 63);  // |v|
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0) return false;  // zero or subnormal
    const int e = biased - 1075;
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    // v lies in [2^(e+52), 2^(e+53)), so its decimal exponent is
    // floor((e + 52) log10 2) or one more.  (x 78913) >> 18 is that floor
    // (78913 / 2^18 lies 7.9e-7 below log10 2), checked in exact rational
    // arithmetic for every x from -1100 to 1100.
    int exp10 = ((e + 52) * 78913) >> 18;
    std::uint64_t q;
    Rest rest;
    if (!scaled(m, e, digits - 1 - exp10, q, rest)) return false;
    if (q >= kPowersOf10[digits]) {
        // One digit more than asked: the exponent is one more, and the last
        // digit joins the rest.
        const std::uint64_t last = q % 10;
        q /= 10;
        ++exp10;
        rest = last > 5    ? Rest::AboveHalf
               : last == 5 ? (rest == Rest::None ? Rest::Half : Rest::AboveHalf)
               : last == 0 && rest == Rest::None ? Rest::None
                                                 : Rest::BelowHalf;
    }
    n = q + (rounds_up(rest, q, ties) ? 1 : 0);
    if (n == kPowersOf10[digits]) {  // 9.99..95 rounded up: 10.0..0, one place up
        n /= 10;
        ++exp10;
    }
    E = exp10;
    return true;
}

// Writes the eight decimal digits of n < 10^8 at p, leading zeros
// included; returns the digits that are zeros as bits (bit i for digit i),
// from which the leading zeros (std::countr_one) and the trailing ones
// (std::countl_one of the 8 bits) follow.  The number is split into halves
// of four digits, the halves into quarters of two, the quarters into digits,
// in all lanes of one word at once: x / 10^4 = (x 0xD1B71759) >> 45 for
// x < 2^32, x / 100 = (x 5243) >> 19 for x < 10^4, x / 10 = (x 103) >> 10
// for x < 100 (which keeps the products within their 16-bit lanes), each
// checked over its whole range in the tests.
inline std::uint8_t Eight_Digits(char* p, std::uint32_t n)
{
    const std::uint64_t halves = (n / 10000) | (std::uint64_t(n % 10000) << 32);
    const std::uint64_t hundreds = ((halves * 5243) >> 19) & 0x0000007F0000007Full;
    const std::uint64_t quarters = ((halves - hundreds * 100) << 16) | hundreds;
    const std::uint64_t tens = ((quarters * 103) >> 10) & 0x000F000F000F000Full;
    const std::uint64_t digits = ((quarters - tens * 10) << 8) | tens;  // digit i in byte i
    static_assert(std::endian::native == std::endian::little);
    const std::uint64_t text = digits | 0x3030303030303030ull;
    std::memcpy(p, &text, 8);
    // Bytes of 0 to 9: adding 0x7F sets the top bit of each that is not zero,
    // with no carry into the next; the multiplication gathers bit 8i into
    // bit 56 + i (its other products fall apart below bit 56 or beyond 63).
    const std::uint64_t nonzero = ((digits + 0x7F7F7F7F7F7F7F7Full) & 0x8080808080808080ull) >> 7;
    return static_cast<std::uint8_t>(~((nonzero * 0x0102040810204080ull) >> 56));
}

// The sixteen digits of a and b (each below 10^8, a's first) in the same
// way; the zeros as 16 bits.  The SSE2 form splits both numbers in one
// register (x / 10 = (x 6554) >> 16 there, for x < 100).
inline std::uint16_t Sixteen_Digits_Portable(char* p, std::uint32_t a, std::uint32_t b)
{
    const std::uint8_t first = Eight_Digits(p, a);
    return static_cast<std::uint16_t>(first | (Eight_Digits(p + 8, b) << 8));
}

#if defined(__SSE2__)
// The products by 100 and 10 are formed so that they stay one multiplication
// each: pmaddwd for x 100 (the odd 16-bit lanes are zero there), and the
// ones digit of x < 100 from the fraction f = x 6554 mod 2^16 = 4 t + 6554 d
// (x = 10 t + d): (f 10) >> 16 = d, as 40 t + 4 d < 2^16.
inline std::uint16_t Sixteen_Digits_Sse2(char* p, std::uint32_t a, std::uint32_t b)
{
    const __m128i x = _mm_set_epi64x(b, a);
    const __m128i q = _mm_srli_epi64(_mm_mul_epu32(x, _mm_set1_epi32(static_cast<int>(0xD1B71759u))), 45);
    const __m128i r = _mm_sub_epi32(x, _mm_mul_epu32(q, _mm_set1_epi32(10000)));
    const __m128i halves = _mm_or_si128(q, _mm_slli_epi64(r, 32));  // 32-bit lanes
    const __m128i h = _mm_srli_epi16(_mm_mulhi_epu16(halves, _mm_set1_epi16(5243)), 3);
    const __m128i quarters =
        _mm_or_si128(h, _mm_slli_epi32(_mm_sub_epi32(halves, _mm_madd_epi16(h, _mm_set1_epi32(100))), 16));
    const __m128i t = _mm_mulhi_epu16(quarters, _mm_set1_epi16(6554));  // 16-bit lanes
    const __m128i f = _mm_mullo_epi16(quarters, _mm_set1_epi16(6554));
    const __m128i digits = _mm_or_si128(t, _mm_slli_epi16(_mm_mulhi_epu16(f, _mm_set1_epi16(10)), 8));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_or_si128(digits, _mm_set1_epi8('0')));
    return static_cast<std::uint16_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(digits, _mm_setzero_si128())));
}
#endif

inline std::uint16_t Sixteen_Digits(char* p, std::uint32_t a, std::uint32_t b)
{
#if defined(__SSE2__)
    return Sixteen_Digits_Sse2(p, a, b);
#else
    return Sixteen_Digits_Portable(p, a, b);
#endif
}

// Writes the digits of n, at least `width` of them (zeros in front; width
// at most 20); returns the end.
char* Write_Digits(char* p, std::uint64_t n, std::size_t width);

}  // namespace aqvis
