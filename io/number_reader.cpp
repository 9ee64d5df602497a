#include "io/number_reader.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

#include "core/errors.h"
#include "io/text.h"

namespace aqvis {

namespace {

bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

// The parts of a number's text, as views into it: sign, digits before and
// after the separator, the exponent as written ("e-12", "E+5") and its
// value, saturated (only its rough size matters).
struct NumberParts {
    bool negative = false;
    bool separator = false;
    std::string_view int_digits, frac_digits, exponent;
    long long exp_value = 0;
};

std::size_t digits_from(std::string_view t, std::size_t i)
{
    while (i < t.size() && is_ascii_digit(t[i])) ++i;
    return i;
}

bool split_number(std::string_view t, std::string_view decimal_sep, NumberParts& n)
{
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) n.negative = t[i++] == '-';
    std::size_t end = digits_from(t, i);
    n.int_digits = t.substr(i, end - i);
    i = end;
    if (!decimal_sep.empty() && t.substr(i, decimal_sep.size()) == decimal_sep) {
        n.separator = true;
        i += decimal_sep.size();
        end = digits_from(t, i);
        n.frac_digits = t.substr(i, end - i);
        i = end;
    }
    if (n.int_digits.empty() && n.frac_digits.empty()) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        const std::size_t exp_begin = i++;
        bool exp_negative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) exp_negative = t[i++] == '-';
        end = digits_from(t, i);
        if (end == i) return false;
        for (; i < end; ++i) n.exp_value = std::min(n.exp_value * 10 + (t[i] - '0'), 1'000'000'000LL);
        if (exp_negative) n.exp_value = -n.exp_value;
        n.exponent = t.substr(exp_begin, end - exp_begin);
    }
    return i == t.size();
}

}  // namespace

NumberProblem Parse_Number(std::string_view text, std::string_view decimal_sep, double& value)
{
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    const std::string_view t = text.substr(b, e - b);
    NumberParts n;
    if (!split_number(t, decimal_sep, n)) return NumberProblem::NotANumber;

    // from_chars is locale-independent and reads '.': the text goes to it as
    // it is unless its separator is another one.
    std::string norm;
    std::string_view number = t.substr(!t.empty() && t[0] == '+' ? 1 : 0);
    if (n.separator && decimal_sep != ".") {
        norm.append(n.negative ? "-" : "").append(n.int_digits).append(".").append(n.frac_digits).append(n.exponent);
        number = norm;
    }
    double v = 0.0;
    const auto res = std::from_chars(number.data(), number.data() + number.size(), v);
    if (res.ptr != number.data() + number.size()) return NumberProblem::NotANumber;
    if (res.ec == std::errc::result_out_of_range) {
        // Decimal exponent of the leading digit tells underflow from overflow.
        const auto lead_int = n.int_digits.find_first_not_of('0');
        const long long lead =
            lead_int != std::string_view::npos
                ? static_cast<long long>(n.int_digits.size() - lead_int) - 1
                : -static_cast<long long>(n.frac_digits.find_first_not_of('0')) - 1;
        if (lead + n.exp_value >= 0) return NumberProblem::TooLarge;
        value = n.negative ? -0.0 : 0.0;
        return NumberProblem::None;
    }
    if (res.ec != std::errc{}) return NumberProblem::NotANumber;
    if (!std::isfinite(v)) return NumberProblem::TooLarge;
    value = v;
    return NumberProblem::None;
}

const char* Number_Problem_Text(NumberProblem problem)
{
    switch (problem) {
    case NumberProblem::None: return "is a number";
    case NumberProblem::NotANumber: return "is not a number";
    case NumberProblem::TooLarge: return "is too large for a number (beyond 1.8e308)";
    }
    return "is not a number";
}

double Read_Number(std::string_view text, std::string_view decimal_sep)
{
    double v = 0.0;
    const NumberProblem p = Parse_Number(text, decimal_sep, v);
    if (p != NumberProblem::None)
        throw CalcError(ErrorKind::TypeMismatch,
                        "Type mismatch: \"" + Printable(text) + "\" " + Number_Problem_Text(p));
    return v;
}

}  // namespace aqvis
