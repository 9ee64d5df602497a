#include "results/number_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/errors.h"

namespace aqvis {

namespace {

using Pattern = NumberPattern;

bool is_digit_pos(char c) { return c == '0' || c == '#'; }

}  // namespace

NumberPattern Read_Number_Pattern(std::string_view p)
{
    Pattern r;
    std::size_t i = 0;
    while (i < p.size() && !is_digit_pos(p[i]) && p[i] != '.') ++i;
    r.prefix = p.substr(0, i);
    std::size_t start = i;
    while (i < p.size() && is_digit_pos(p[i])) ++i;
    r.int_pos = p.substr(start, i - start);
    if (i < p.size() && p[i] == '.') {
        r.point = true;
        start = ++i;
        while (i < p.size() && is_digit_pos(p[i])) ++i;
        r.frac_pos = p.substr(start, i - start);
    }
    if (i + 2 < p.size() && (p[i] == 'E' || p[i] == 'e') && (p[i + 1] == '+' || p[i + 1] == '-')
        && p[i + 2] == '0') {
        r.scientific = true;
        r.exp_letter = p[i];
        r.exp_sign_always = p[i + 1] == '+';
        i += 2;
        start = i;
        while (i < p.size() && p[i] == '0') ++i;
        r.exp_digits = i - start;
    }
    r.suffix = p.substr(i);
    if (r.int_pos.empty() && r.frac_pos.empty() && !r.point)
        throw std::invalid_argument("number pattern without digit positions: \"" + std::string(p)
                                    + "\"");
    if (r.suffix.find_first_of("0#.") != std::string_view::npos)
        throw std::invalid_argument("unsupported number pattern: \"" + std::string(p) + "\"");
    const auto first_zero = r.int_pos.find('0');
    r.min_int = first_zero == std::string_view::npos ? 0 : r.int_pos.size() - first_zero;
    const auto last_zero = r.frac_pos.rfind('0');
    r.min_frac = last_zero == std::string_view::npos ? 0 : last_zero + 1;
    return r;
}

namespace {

// The exact decimal expansion of a finite a >= 0: integer digits (at least
// one), then the fractional digits (possibly none).  Every binary double has a
// finite decimal expansion; asking for exactly as many decimals as its lowest
// bit needs makes to_chars print it without any rounding.
struct Decimal {
    std::string int_digits;
    std::string frac_digits;
};

Decimal exact_decimal(double a)
{
    int e = 0;
    std::frexp(a, &e);  // a = f * 2^e, f in [0.5, 1); lowest bit 2^(e-53)
    const int decimals = std::clamp(53 - e, 0, 1074);
    char buf[1500];
    const auto res = std::to_chars(buf, buf + sizeof buf, a, std::chars_format::fixed, decimals);
    if (res.ec != std::errc{}) throw std::logic_error("exact decimal expansion does not fit");
    const std::string_view text(buf, static_cast<std::size_t>(res.ptr - buf));
    const auto dot = text.find('.');
    Decimal d;
    d.int_digits = std::string(text.substr(0, dot));
    if (dot != std::string_view::npos) d.frac_digits = std::string(text.substr(dot + 1));
    return d;
}

// Adds one unit in the last place of a digit string; returns true when the
// carry runs out of the front ("999" -> "000", true).
bool increment(std::string& digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return false;
        }
        *it = '0';
    }
    return true;
}

void check_finite(double value)
{
    if (std::isnan(value))
        throw CalcError(ErrorKind::InvalidOperation, "Invalid operation: a result is not a number");
    if (std::isinf(value))
        throw CalcError(ErrorKind::Overflow, "Overflow: a result is out of the range of a double");
}

// Drops trailing zeros of a decimal part, keeping at least `keep` digits.
void trim_fraction(std::string& frac, std::size_t keep)
{
    while (frac.size() > keep && frac.back() == '0') frac.pop_back();
}

// Rounds a >= 0 to the pattern's decimals; returns whether the result is zero.
bool format_fixed(double a, const Pattern& p, std::string& int_out, std::string& frac_out)
{
    const std::size_t decimals = p.frac_pos.size();
    Decimal d = exact_decimal(a);
    std::string digits = d.int_digits;
    std::string frac = d.frac_digits;
    frac.resize(std::max(frac.size(), decimals + 1), '0');
    // Ties away from zero on the exact value: the first dropped digit decides.
    const bool up = frac[decimals] >= '5';
    frac.resize(decimals);
    std::string all = digits + frac;
    if (up && increment(all)) all.insert(all.begin(), '1');
    std::string int_part = all.substr(0, all.size() - decimals);
    frac = all.substr(all.size() - decimals);
    int_part.erase(0, std::min(int_part.find_first_not_of('0'), int_part.size()));
    const bool is_zero = int_part.empty() && frac.find_first_not_of('0') == std::string::npos;
    if (int_part.size() < p.min_int) int_part.insert(0, p.min_int - int_part.size(), '0');
    trim_fraction(frac, p.min_frac);
    int_out = std::move(int_part);
    frac_out = std::move(frac);
    return is_zero;
}

}  // namespace

namespace {

// The text of `value` under `p`, digit by digit from its full decimal
// expansion.
std::string format_exact(double value, const Pattern& p, std::string_view decimal_sep)
{
    check_finite(value);
    const bool negative = std::signbit(value);
    const double a = std::fabs(value);

    std::string int_part, frac;
    bool is_zero = false;
    std::string exponent;
    if (!p.scientific) {
        is_zero = format_fixed(a, p, int_part, frac);
    } else {
        // Mantissa in [1, 10): one integer digit and the pattern's decimals.
        const std::size_t sig = 1 + p.frac_pos.size();
        int exp10 = 0;
        std::string mant;
        if (a == 0.0) {
            is_zero = true;
            mant.assign(sig, '0');
        } else {
            const Decimal d = exact_decimal(a);
            const std::string all = d.int_digits + d.frac_digits;
            const std::size_t first = all.find_first_not_of('0');
            exp10 = static_cast<int>(d.int_digits.size()) - 1 - static_cast<int>(first);
            mant = all.substr(first, sig);
            mant.resize(sig, '0');
            const bool up = first + sig < all.size() && all[first + sig] >= '5';
            if (up && increment(mant)) {
                mant.insert(mant.begin(), '1');
                mant.pop_back();
                ++exp10;
            }
        }
        int_part = mant.substr(0, 1);
        if (is_zero && p.min_int == 0) int_part.clear();
        frac = mant.substr(1);
        trim_fraction(frac, p.min_frac);
        exponent += p.exp_letter;
        if (exp10 < 0)
            exponent += '-';
        else if (p.exp_sign_always)
            exponent += '+';
        std::string e = std::to_string(exp10 < 0 ? -exp10 : exp10);
        if (e.size() < p.exp_digits) e.insert(0, p.exp_digits - e.size(), '0');
        exponent += e;
    }

    std::string out;
    out.reserve(p.prefix.size() + int_part.size() + frac.size() + exponent.size()
                + p.suffix.size() + 4);
    out += p.prefix;
    if (negative && !is_zero) out += '-';
    out += int_part;
    if (p.point) out += decimal_sep;
    out += frac;
    out += exponent;
    out += p.suffix;
    return out;
}

// --- The fast route ---------------------------------------------------------
// A finite double is m 2^e with an integer m < 2^53, so value * 10^k for a
// small k >= 0 is the integer m 5^k times a power of two: shifting it right
// gives the digits and the exact remainder, and rounding on the remainder
// (half or more rounds up) is exactly the rounding of the digit-by-digit
// route, ties away from zero included.  Values beyond the reach of 128-bit
// integers take that route.

using u128 = unsigned __int128;

constexpr int kMaxFastExponent = 27;  // 5^27 < 2^63
constexpr auto kPow5 = [] {
    std::array<std::uint64_t, kMaxFastExponent + 1> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 5;
    return p;
}();
constexpr auto kPow10 = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i) p[i] = p[i - 1] * 10;
    return p;
}();

// a = m 2^e, a finite and >= 0 (m = 0 for zero).
struct Binary {
    std::uint64_t m;
    int e;
};

Binary binary(double a)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(a);
    const int biased = static_cast<int>((bits >> 52) & 0x7ff);
    const std::uint64_t frac = bits & ((std::uint64_t(1) << 52) - 1);
    if (biased == 0) return {frac, -1074};  // zero or subnormal
    return {frac | (std::uint64_t(1) << 52), biased - 1075};
}

// m 5^k 2^(e+k) = a 10^k split into its integer part and whether the rest is
// at least one half.  False when the integer part does not fit 64 bits.
bool scaled(Binary b, int k, std::uint64_t& floor_out, bool& half_up)
{
    const u128 x = static_cast<u128>(b.m) * kPow5[static_cast<std::size_t>(k)];  // < 2^116
    const int shift = b.e + k;
    if (shift >= 0) {
        if (shift >= 64 || (x >> (64 - shift)) != 0) return false;  // x 2^shift >= 2^64
        floor_out = static_cast<std::uint64_t>(x << shift);
        half_up = false;
        return true;
    }
    const int r = -shift;
    if (r >= 127) {  // the value is below one half
        floor_out = 0;
        half_up = false;
        return true;
    }
    const u128 q = x >> r;
    if (q >> 64) return false;
    floor_out = static_cast<std::uint64_t>(q);
    half_up = ((x >> (r - 1)) & 1) != 0;  // the first bit below the point
    return true;
}

// The text is put together in a buffer and appended at once; patterns whose
// literal parts would not fit take the digit-by-digit route.
constexpr std::size_t kBuffer = 96, kMaxLiterals = 40;

// Writes the decimal digits of n, at least `width` of them (width <= 24).
char* put_digits(char* p, std::uint64_t n, std::size_t width)
{
    char tmp[24];
    char* end = tmp + sizeof tmp;
    char* q = end;
    do {
        *--q = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n != 0);
    while (static_cast<std::size_t>(end - q) < width) *--q = '0';
    std::memcpy(p, q, static_cast<std::size_t>(end - q));
    return p + (end - q);
}

char* put(char* p, std::string_view text)
{
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

// Decimals of a rounded value: `decimals` digits of `frac`, trailing zeros
// dropped down to `keep`.
char* put_fraction(char* p, std::uint64_t frac, std::size_t decimals, std::size_t keep)
{
    std::size_t n = decimals;
    while (n > keep && frac % 10 == 0) {
        frac /= 10;
        --n;
    }
    return n > 0 ? put_digits(p, frac, n) : p;
}

bool fits(const Pattern& p, std::string_view sep)
{
    return p.prefix.size() + p.suffix.size() + sep.size() <= kMaxLiterals && p.min_int <= 20 &&
           p.exp_digits <= 10;
}

bool append_fixed_fast(std::string& out, double value, const Pattern& p, std::string_view sep)
{
    const std::size_t decimals = p.frac_pos.size();
    if (decimals > 15 || !fits(p, sep)) return false;
    std::uint64_t n = 0;
    bool up = false;
    if (!scaled(binary(std::fabs(value)), static_cast<int>(decimals), n, up)) return false;
    if (up) ++n;
    const std::uint64_t unit = kPow10[decimals];
    const std::uint64_t int_part = n / unit, frac = n % unit;
    char buf[kBuffer];
    char* q = put(buf, p.prefix);
    if (std::signbit(value) && n != 0) *q++ = '-';
    if (int_part != 0) {
        q = put_digits(q, int_part, p.min_int);
    } else {
        std::memset(q, '0', p.min_int);
        q += p.min_int;
    }
    if (p.point) q = put(q, sep);
    q = put_fraction(q, frac, decimals, p.min_frac);
    q = put(q, p.suffix);
    out.append(buf, static_cast<std::size_t>(q - buf));
    return true;
}

bool append_scientific_fast(std::string& out, double value, const Pattern& p, std::string_view sep)
{
    const std::size_t decimals = p.frac_pos.size();
    if (decimals > 15 || value == 0.0 || !fits(p, sep)) return false;
    const Binary b = binary(std::fabs(value));
    if (b.m < (std::uint64_t(1) << 52)) return false;  // subnormal
    // Decimal exponent of the value, floor((e + 52) log10 2) in integers;
    // off by at most one, which the size of the digits shows.
    int E = ((b.e + 52) * 78913) >> 18;
    const std::uint64_t low = kPow10[decimals], high = kPow10[decimals + 1];
    std::uint64_t n = 0;
    bool up = false;
    for (int tries = 0;; ++tries) {
        const int k = static_cast<int>(decimals) - E;
        if (tries == 3 || k < 0 || k > kMaxFastExponent || !scaled(b, k, n, up)) return false;
        if (n >= high)
            ++E;
        else if (n < low)
            --E;
        else
            break;
    }
    if (up && ++n == high) {  // 9.99995 -> 1.0000, one power of ten up
        n = low;
        ++E;
    }
    char buf[kBuffer];
    char* q = put(buf, p.prefix);
    if (std::signbit(value)) *q++ = '-';
    *q++ = static_cast<char>('0' + n / low);
    if (p.point) q = put(q, sep);
    q = put_fraction(q, n % low, decimals, p.min_frac);
    *q++ = p.exp_letter;
    if (E < 0)
        *q++ = '-';
    else if (p.exp_sign_always)
        *q++ = '+';
    q = put_digits(q, static_cast<std::uint64_t>(E < 0 ? -E : E), p.exp_digits);
    q = put(q, p.suffix);
    out.append(buf, static_cast<std::size_t>(q - buf));
    return true;
}

}  // namespace

void Append_Number(std::string& out, double value, const NumberPattern& pattern,
                   std::string_view decimal_sep)
{
    check_finite(value);
    const std::size_t start = out.size();
    const bool done = pattern.scientific
                          ? append_scientific_fast(out, value, pattern, decimal_sep)
                          : append_fixed_fast(out, value, pattern, decimal_sep);
    if (!done) {
        out.resize(start);
        out += format_exact(value, pattern, decimal_sep);
    }
}

std::string Format_Number_Exact(double value, std::string_view pattern,
                                std::string_view decimal_sep)
{
    return format_exact(value, Read_Number_Pattern(pattern), decimal_sep);
}

std::string Format_Number(double value, std::string_view pattern, std::string_view decimal_sep)
{
    std::string out;
    Append_Number(out, value, Read_Number_Pattern(pattern), decimal_sep);
    return out;
}

std::string Format_Number(double value, const NumberPattern& pattern,
                          std::string_view decimal_sep)
{
    std::string out;
    Append_Number(out, value, pattern, decimal_sep);
    return out;
}

}  // namespace aqvis
