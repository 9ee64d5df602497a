#include "results/number_format.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <system_error>

#include "core/errors.h"
#include "results/decimal_digits.h"

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
    r.prefix.copy(r.prefix_padded.data(), r.prefix_padded.size());
    r.suffix.copy(r.suffix_padded.data(), r.suffix_padded.size());
    r.fast = r.prefix.size() <= 16 && r.suffix.size() <= 16 && r.frac_pos.size() <= 15 && r.exp_digits <= 10;
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
// The digit generator (decimal_digits.h) rounds the exact binary value with
// ties away from zero, which is exactly the rounding of the digit-by-digit
// route; values beyond its reach take that route.

// The text is put together in a buffer of kNumberPatternRoom characters
// from the rounded value's sixteen digits; patterns with longer literal
// parts, and values of more digits, take the digit-by-digit route.
constexpr std::size_t kMaxLiteral = 16, kMaxSeparator = 8;
static_assert(kMaxLiteral + 1 + 16 + kMaxSeparator + 16 + 2 + 10 + kMaxLiteral <= kNumberPatternRoom);

bool fits(const Pattern& p, std::string_view sep) { return p.fast && sep.size() <= kMaxSeparator; }

// A literal part in one fixed-size move; returns the end of its text.
char* put_literal(char* q, const std::array<char, 16>& padded, std::string_view text)
{
    std::memcpy(q, padded.data(), 16);
    return q + text.size();
}

char* put_separator(char* q, std::string_view sep)
{
    if (sep.size() == 1) {
        *q = sep[0];
        return q + 1;
    }
    std::memcpy(q, sep.data(), sep.size());
    return q + sep.size();
}

// The sixteen digits of n < 10^16 (with room behind them for copies of
// sixteen), and where the significant ones begin and end.
struct DigitField {
    char text[32];
    int lead, kept;  // leading zeros; digits up to the last that is not zero
};

[[gnu::always_inline]] inline void digit_field(std::uint64_t n, DigitField& d)
{
    const std::uint16_t zeros = Sixteen_Digits(d.text, static_cast<std::uint32_t>(n / 100'000'000),
                                               static_cast<std::uint32_t>(n % 100'000'000));
    d.lead = std::countr_one(zeros);
    d.kept = 16 - std::countl_one(zeros);
}

// The exponent's digits, at least `width` of them.
char* put_exponent(char* q, int x, std::size_t width)
{
    if (x < 100 && width <= 2) {
        if (x >= 10 || width == 2) *q++ = static_cast<char>('0' + x / 10);
        *q++ = static_cast<char>('0' + x % 10);
        return q;
    }
    return Write_Digits(q, static_cast<std::uint64_t>(x), width);
}

char* write_fixed_fast(char* buf, double value, const Pattern& p, std::string_view sep)
{
    const int decimals = static_cast<int>(p.frac_pos.size());
    std::uint64_t n = 0;
    if (!fits(p, sep) || !Round_Scaled(std::fabs(value), decimals, Ties::AwayFromZero, n) ||
        n >= kPowersOf10[16])
        return nullptr;
    DigitField d;
    digit_field(n, d);
    const int int_places = 16 - decimals;
    const int int_len = std::max(static_cast<int>(p.min_int), int_places - d.lead);
    if (int_len > int_places) return nullptr;  // more integer zeros asked for than there are places
    const int frac_len = std::clamp(d.kept - int_places, static_cast<int>(p.min_frac), decimals);
    char* q = put_literal(buf, p.prefix_padded, p.prefix);
    if (std::signbit(value) && n != 0) *q++ = '-';
    std::memcpy(q, d.text + int_places - int_len, 16);
    q += int_len;
    if (p.point) q = put_separator(q, sep);
    std::memcpy(q, d.text + int_places, 16);
    q += frac_len;
    return put_literal(q, p.suffix_padded, p.suffix);
}

[[gnu::noinline]] char* write_scientific_fast(char* buf, double value, const Pattern& p, std::string_view sep)
{
    const int decimals = static_cast<int>(p.frac_pos.size());
    std::uint64_t n = 0;
    int E = 0;
    if (!fits(p, sep) || value == 0.0 ||
        !Round_Significant(std::fabs(value), decimals + 1, Ties::AwayFromZero, n, E))
        return nullptr;
    DigitField d;
    digit_field(n, d);
    const int first = 15 - decimals;
    const int frac_len = std::clamp(d.kept - first - 1, static_cast<int>(p.min_frac), decimals);
    char* q = put_literal(buf, p.prefix_padded, p.prefix);
    if (std::signbit(value)) *q++ = '-';
    *q++ = d.text[first];
    if (p.point) q = put_separator(q, sep);
    std::memcpy(q, d.text + first + 1, 16);
    q += frac_len;
    *q++ = p.exp_letter;
    if (E < 0)
        *q++ = '-';
    else if (p.exp_sign_always)
        *q++ = '+';
    q = put_exponent(q, E < 0 ? -E : E, p.exp_digits);
    return put_literal(q, p.suffix_padded, p.suffix);
}

}  // namespace

char* Write_Number_Fast(char* p, double value, const NumberPattern& pattern, std::string_view decimal_sep)
{
    // Infinities and NaN never take the fast route.
    char* end = pattern.scientific ? write_scientific_fast(p, value, pattern, decimal_sep)
                                   : write_fixed_fast(p, value, pattern, decimal_sep);
    if (!end) check_finite(value);
    return end;
}

void Append_Number(std::string& out, double value, const NumberPattern& pattern,
                   std::string_view decimal_sep)
{
    char buf[kNumberPatternRoom];
    if (const char* end = Write_Number_Fast(buf, value, pattern, decimal_sep))
        out.append(buf, static_cast<std::size_t>(end - buf));
    else
        out += format_exact(value, pattern, decimal_sep);
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
