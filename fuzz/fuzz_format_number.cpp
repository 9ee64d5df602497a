// The number formatter on any double with every pattern the program uses.
//
// Input: eight bytes of a double, one byte choosing the pattern, one byte
// choosing the decimal separator.
// Properties: NaN and infinities are refused with an error of a named kind;
// a finite value comes out as the pattern's literal text around a number that
// has the pattern's shape (digits always printed for '0', no padding zeros for
// '#') and that reads back to within half a unit of its last decimal of the
// value: the integer part is never cut, the rounding is to the nearest.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "fuzz_check.h"
#include "results/number_format.h"

namespace {

// Every pattern of the report file, the results panel, the input boxes and the
// window's texts.
constexpr std::string_view kPatterns[] = {
    // report: component line
    "###.#### ", "###.####",
    // report: data line fields
    "  ###0.00  ", "  ####0.0    ", "   #0.0000   ", "   ###0.000   ", " 0.000E+00 ",
    " #####0.000   ", "  ########0.0  ", "  #####0.000  ", "  ######0.000  ",
    "  ######0.000",
    // results panel
    "#0.0000 ", "####0.00 ", "0.0000E+00 ", "##0.000 ", "###0.0000 ", " #####0.0# ",
    "######0.0 ", "#####0.00 ", "#####0.0 ",
    // input boxes and window texts
    "####0.0#", "###0.0000", "##0.00",
};
constexpr std::string_view kSeparators[] = {".", ",", "\xD9\xAB"};

struct Shape {
    std::string_view prefix, suffix;
    std::size_t int_pos = 0, min_int = 0;    // integer positions, '0's among them from the first
    bool point = false;
    std::size_t frac_pos = 0, min_frac = 0;  // decimal positions, up to the last '0'
    bool scientific = false;
    std::size_t exp_digits = 0;
};

Shape shape_of(std::string_view p)
{
    Shape s;
    const std::size_t first = p.find_first_of("0#.");
    const std::size_t last = p.find_last_not_of(' ');
    s.prefix = p.substr(0, first);
    s.suffix = p.substr(last + 1);
    const std::string_view body = p.substr(first, last + 1 - first);
    std::size_t i = 0;
    bool zero_seen = false;
    for (; i < body.size() && (body[i] == '0' || body[i] == '#'); ++i) {
        ++s.int_pos;
        zero_seen = zero_seen || body[i] == '0';
        if (zero_seen) ++s.min_int;
    }
    if (i < body.size() && body[i] == '.') {
        s.point = true;
        for (++i; i < body.size() && (body[i] == '0' || body[i] == '#'); ++i) {
            ++s.frac_pos;
            if (body[i] == '0') s.min_frac = s.frac_pos;
        }
    }
    if (i < body.size() && body[i] == 'E') {
        s.scientific = true;
        i += 2;  // "E+"
        for (; i < body.size() && body[i] == '0'; ++i) ++s.exp_digits;
    }
    return s;
}

bool digit(char c) { return c >= '0' && c <= '9'; }

// One unit in the last place of |x|.
double ulp(double x)
{
    x = std::fabs(x);
    return std::nextafter(x, INFINITY) - x;
}

// A value that is not finite is refused with the error of its kind.
void check_refused(double value, std::string_view pattern, std::string_view sep)
{
    try {
        aqvis::Format_Number(value, pattern, sep);
        FUZZ_CHECK(false, "formatted a non-finite value");
    } catch (const aqvis::CalcError& e) {
        const auto expected = std::isnan(value) ? aqvis::ErrorKind::InvalidOperation
                                                : aqvis::ErrorKind::Overflow;
        FUZZ_CHECK(e.kind() == expected, "%g refused as %s", value,
                   aqvis::Error_Kind_Id(e.kind()));
    }
}

// The number of a formatted text taken apart: [-] int [sep frac] [E sign exp].
struct Parts {
    bool minus = false;
    std::string int_digits, frac_digits;
    int exp10 = 0;
};

Parts take_apart(double value, const std::string& out, const std::string& body, const Shape& sh,
                 std::string_view sep)
{
    Parts n;
    std::size_t i = 0;
    n.minus = i < body.size() && body[i] == '-';
    if (n.minus) ++i;
    const std::size_t int_start = i;
    while (i < body.size() && digit(body[i])) ++i;
    n.int_digits = body.substr(int_start, i - int_start);
    if (sh.point) {
        FUZZ_CHECK(body.compare(i, sep.size(), sep) == 0, "%.17g: \"%s\" has no separator",
                   value, out.c_str());
        i += sep.size();
        const std::size_t frac_start = i;
        while (i < body.size() && digit(body[i])) ++i;
        n.frac_digits = body.substr(frac_start, i - frac_start);
    }
    if (sh.scientific) {
        FUZZ_CHECK(i + 2 < body.size() && body[i] == 'E' && (body[i + 1] == '+' || body[i + 1] == '-'),
                   "%.17g: \"%s\" has no exponent", value, out.c_str());
        const std::size_t exp_start = i + 2;
        std::size_t j = exp_start;
        while (j < body.size() && digit(body[j])) ++j;
        FUZZ_CHECK(j - exp_start >= sh.exp_digits && j - exp_start <= 3,
                   "%.17g: exponent of \"%s\"", value, out.c_str());
        n.exp10 = std::atoi(body.c_str() + exp_start) * (body[i + 1] == '-' ? -1 : 1);
        i = j;
    }
    FUZZ_CHECK(i == body.size(), "%.17g: stray text in \"%s\"", value, out.c_str());
    return n;
}

// The digits have the pattern's shape.
void check_shape(double value, const std::string& out, const Parts& n, const Shape& sh)
{
    FUZZ_CHECK(n.int_digits.size() >= sh.min_int, "%.17g: \"%s\" too few integer digits", value,
               out.c_str());
    FUZZ_CHECK(n.int_digits.size() <= sh.min_int || n.int_digits[0] != '0',
               "%.17g: \"%s\" has a padding zero before the number", value, out.c_str());
    FUZZ_CHECK(n.frac_digits.size() >= sh.min_frac && n.frac_digits.size() <= sh.frac_pos,
               "%.17g: \"%s\" has the wrong number of decimals", value, out.c_str());
    FUZZ_CHECK(n.frac_digits.size() <= sh.min_frac || n.frac_digits.back() != '0',
               "%.17g: \"%s\" has a padding zero after the number", value, out.c_str());
    // A pattern of '#' only prints no digit at all for a value that rounds to 0.
    FUZZ_CHECK(!n.int_digits.empty() || !n.frac_digits.empty() || sh.min_int + sh.min_frac == 0,
               "%.17g: \"%s\" has no digit", value, out.c_str());
    if (sh.scientific && value != 0.0)
        FUZZ_CHECK(n.int_digits.size() == 1 && n.int_digits[0] != '0',
                   "%.17g: mantissa of \"%s\" not in [1, 10)", value, out.c_str());
}

// The text reads back to within half a unit of its last decimal position,
// and has a minus exactly when a negative value shows a digit other than 0.
void check_value(double value, std::string_view pattern, const std::string& out, const Parts& n,
                 const Shape& sh)
{
    std::string c_text = (n.minus ? "-" : "") + (n.int_digits.empty() ? "0" : n.int_digits) + "." +
                         n.frac_digits + "0e" + std::to_string(n.exp10);
    // In long double, which holds the rounded maximum double and the error
    // bound of a subnormal.
    const long double back = std::strtold(c_text.c_str(), nullptr);
    const long double unit = std::pow(10.0L, n.exp10 - static_cast<int>(sh.frac_pos));
    const long double err = std::fabs(back - static_cast<long double>(value));
    const long double allowed = 0.5L * unit * (1.0L + 1e-12L) + ulp(value);
    FUZZ_CHECK(err <= allowed, "%.17g with \"%.*s\" gives \"%s\", off by %Lg", value,
               static_cast<int>(pattern.size()), pattern.data(), out.c_str(), err);
    const bool shows_nonzero =
        (n.int_digits + n.frac_digits).find_first_not_of('0') != std::string::npos;
    FUZZ_CHECK(n.minus == (std::signbit(value) && shows_nonzero), "%.17g: sign of \"%s\"", value,
               out.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::uint8_t bytes[10] = {};
    std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
    double value;
    std::memcpy(&value, bytes, sizeof value);
    const std::string_view pattern = kPatterns[bytes[8] % std::size(kPatterns)];
    const std::string_view sep = kSeparators[bytes[9] % std::size(kSeparators)];
    if (!std::isfinite(value)) {
        check_refused(value, pattern, sep);
        return 0;
    }
    const std::string out = aqvis::Format_Number(value, pattern, sep);
    const Shape sh = shape_of(pattern);
    FUZZ_CHECK(out.size() >= sh.prefix.size() + sh.suffix.size() &&
                   out.compare(0, sh.prefix.size(), sh.prefix) == 0 &&
                   out.compare(out.size() - sh.suffix.size(), sh.suffix.size(), sh.suffix) == 0,
               "%.17g with \"%.*s\": \"%s\" lost the literal text", value,
               static_cast<int>(pattern.size()), pattern.data(), out.c_str());
    const std::string body =
        out.substr(sh.prefix.size(), out.size() - sh.prefix.size() - sh.suffix.size());
    const Parts n = take_apart(value, out, body, sh, sep);
    check_shape(value, out, n, sh);
    check_value(value, pattern, out, n, sh);
    return 0;
}
