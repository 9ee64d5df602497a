#include "results/number_text.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace aqvis {

namespace {

void append_to_chars(std::string& out, double v)
{
    char buf[40];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
    out.append(buf, res.ptr);
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

}  // namespace

void Append_Number17(std::string& out, double v)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(v);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    if (biased == 0 || biased == 0x7ff) {  // zero, subnormal, infinity, NaN
        append_to_chars(out, v);
        return;
    }
    const std::uint64_t m = (bits & ((std::uint64_t(1) << 52) - 1)) | (std::uint64_t(1) << 52);
    const int e = biased - 1075;
    // Decimal exponent from the binary one; off by at most one, which the
    // size of N shows.
    int E = static_cast<int>(std::floor((e + 52) * 0.30102999566398119521));
    std::uint64_t N = 0;
    if (!seventeen_digits(m, e, E, N)) {
        append_to_chars(out, v);
        return;
    }
    constexpr std::uint64_t kLow = 10'000'000'000'000'000ull, kHigh = 100'000'000'000'000'000ull;
    if (N >= kHigh) {
        ++E;
        if (!seventeen_digits(m, e, E, N)) {
            append_to_chars(out, v);
            return;
        }
    } else if (N < kLow) {
        --E;
        if (!seventeen_digits(m, e, E, N)) {
            append_to_chars(out, v);
            return;
        }
    }
    if (N >= kHigh) {  // rounding carried into an 18th digit: 99999999999999999.5
        N /= 10;
        ++E;
    }
    static constexpr char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char digits[18];
    for (int i = 16; i > 0; i -= 2) {
        const std::uint64_t pair = N % 100;
        N /= 100;
        digits[i - 1] = kPairs[2 * pair];
        digits[i] = kPairs[2 * pair + 1];
    }
    digits[0] = static_cast<char>('0' + N);
    int n = 17;
    while (n > 1 && digits[n - 1] == '0') --n;  // "%g" drops trailing zeros

    char buf[40];
    char* p = buf;
    if (bits >> 63) *p++ = '-';
    if (E >= -4 && E < 17) {
        if (E >= 0) {
            for (int i = 0; i <= E; ++i) *p++ = digits[i];
            if (n > E + 1) {
                *p++ = '.';
                for (int i = E + 1; i < n; ++i) *p++ = digits[i];
            }
        } else {
            *p++ = '0';
            *p++ = '.';
            for (int i = -1; i > E; --i) *p++ = '0';
            for (int i = 0; i < n; ++i) *p++ = digits[i];
        }
    } else {
        *p++ = digits[0];
        if (n > 1) {
            *p++ = '.';
            for (int i = 1; i < n; ++i) *p++ = digits[i];
        }
        *p++ = 'e';
        int x = E;
        *p++ = x < 0 ? '-' : '+';
        if (x < 0) x = -x;
        if (x >= 100) *p++ = static_cast<char>('0' + x / 100);
        *p++ = static_cast<char>('0' + x / 10 % 10);
        *p++ = static_cast<char>('0' + x % 10);
    }
    out.append(buf, p);
}


}  // namespace aqvis
