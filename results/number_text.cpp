#include "results/number_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace aqvis {

namespace {

char* write_to_chars(char* p, double v)
{
    return std::to_chars(p, p + kNumber17Room, v, std::chars_format::general, 17).ptr;
}

// The 17 significant digits of a positive normal double v = m * 2^e,
// rounded to nearest with ties to even, as the integer N in [1e16, 1e17)
// with v ~ N * 10^(E-16).  Returns false where 128-bit arithmetic does not
// reach (v below about 1e-11 or from 1e17 up).
bool seventeen_digits(std::uint64_t m, int e, int E, std::uint64_t& N)
{
    const int k = 16 - E;  // v * 10^k = m * 5^k * 2^(e+k)
    if (k < 0 || k > 27) return false;
    static constexpr auto kPow5 = [] {
        std::array<std::uint64_t, 28> p{};
        p[0] = 1;
        for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
        return p;
    }();
    unsigned __int128 a = static_cast<unsigned __int128>(m) * kPow5[static_cast<std::size_t>(k)];
    const int shift = e + k;
    if (shift >= 0) {
        if (shift > 60) return false;
        a <<= shift;
    } else {
        const int r = -shift;
        if (r >= 127) return false;
        const unsigned __int128 one = 1;
        const unsigned __int128 rem = a & ((one << r) - 1);
        const unsigned __int128 half = one << (r - 1);
        a >>= r;
        if (rem > half || (rem == half && (a & 1))) ++a;
    }
    if (a > ~std::uint64_t(0)) return false;
    N = static_cast<std::uint64_t>(a);
    return true;
}

// Writes the eight decimal digits of v < 10^8, leading zeros included.
void write8(char* out, std::uint32_t v)
{
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    const std::uint32_t hi = v / 10000, lo = v % 10000;
    std::memcpy(out, kPairs + 2 * (hi / 100), 2);
    std::memcpy(out + 2, kPairs + 2 * (hi % 100), 2);
    std::memcpy(out + 4, kPairs + 2 * (lo / 100), 2);
    std::memcpy(out + 6, kPairs + 2 * (lo % 100), 2);
}

// The 17 significant digits of a normal double with bits `bits` as N in
// [1e16, 1e17) and its decimal exponent E: |v| ~ N * 10^(E-16).  False for
// zero, subnormals, infinities, NaN and where 128-bit arithmetic does not
// reach.
bool decimal17(std::uint64_t bits, std::uint64_t& N, int& E)
{
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    if (biased == 0 || biased == 0x7ff) return false;  // zero, subnormal, infinity, NaN
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int e = biased - 1075;
    // Decimal exponent from the binary one, floor((e + 52) log10 2) in
    // integers; off by at most one, which the size of N shows.
    E = ((e + 52) * 78913) >> 18;
    if (!seventeen_digits(m, e, E, N)) return false;
    constexpr std::uint64_t kLow = 10'000'000'000'000'000ull, kHigh = 100'000'000'000'000'000ull;
    if (N >= kHigh) {
        ++E;
        if (!seventeen_digits(m, e, E, N)) return false;
    } else if (N < kLow) {
        --E;
        if (!seventeen_digits(m, e, E, N)) return false;
    }
    if (N >= kHigh) {  // rounding carried into an 18th digit: 99999999999999999.5
        N /= 10;
        ++E;
    }
    return true;
}

// The 17 digits of N in `digits` (room for 40: the fixed-size copies below
// read past them): the first alone, then two blocks of eight, each made of
// pairs in 32-bit arithmetic.  Returns how many count, trailing zeros
// dropped as "%g" drops them.
int digits17(std::uint64_t N, char* digits)
{
    const std::uint64_t top = N / 100'000'000;  // the first nine digits
    digits[0] = static_cast<char>('0' + top / 100'000'000);
    write8(digits + 1, static_cast<std::uint32_t>(top % 100'000'000));
    write8(digits + 9, static_cast<std::uint32_t>(N % 100'000'000));
    int n = 17;
    while (n > 1 && digits[n - 1] == '0') --n;
    return n;
}

// The n digits with decimal exponent E written at p as "%g" writes them:
// positional from 1e-4 to below 1e17, else with an exponent.  Digits are
// copied in fixed-size blocks (the room covers the overrun) and the pointer
// moved by the true length.
char* lay_out17(char* p, const char* digits, int n, int E)
{
    if (E >= -4 && E < 17) {
        if (E >= 0) {
            std::memcpy(p, digits, 17);
            if (n > E + 1) {
                std::memcpy(p + E + 2, digits + E + 1, 16);
                p[E + 1] = '.';
                p += n + 1;
            } else {
                p += E + 1;
            }
        } else {
            std::memcpy(p, "0.0000", 6);
            p += 1 - E;
            std::memcpy(p, digits, 17);
            p += n;
        }
        return p;
    }
    *p++ = digits[0];
    if (n > 1) {
        *p++ = '.';
        std::memcpy(p, digits + 1, 16);
        p += n - 1;
    }
    *p++ = 'e';
    int x = E;
    *p++ = x < 0 ? '-' : '+';
    if (x < 0) x = -x;
    if (x >= 100) *p++ = static_cast<char>('0' + x / 100);
    *p++ = static_cast<char>('0' + x / 10 % 10);
    *p++ = static_cast<char>('0' + x % 10);
    return p;
}

}  // namespace

char* Write_Number17(char* p, double v)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    std::uint64_t N = 0;
    int E = 0;
    if (!decimal17(bits, N, E)) return write_to_chars(p, v);
    char digits[40] = {};
    const int n = digits17(N, digits);
    if (bits >> 63) *p++ = '-';
    return lay_out17(p, digits, n, E);
}

void Append_Number17(std::string& out, double v)
{
    char buf[kNumber17Room];
    out.append(buf, static_cast<std::size_t>(Write_Number17(buf, v) - buf));
}

}  // namespace aqvis
