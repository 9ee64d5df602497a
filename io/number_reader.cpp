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

// The parts of a number's text: sign, digits before and after the separator,
// the exponent as written ("e-12") and its value, saturated (only its rough
// size matters).
struct NumberParts {
    bool negative = false;
    std::string int_digits, frac_digits, exp_text;
    long long exp_value = 0;
};

bool split_number(std::string_view t, std::string_view decimal_sep, NumberParts& n)
{
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) n.negative = t[i++] == '-';
    bool point = false;
    while (i < t.size()) {
        if (is_ascii_digit(t[i])) {
            (point ? n.frac_digits : n.int_digits) += t[i++];
        } else if (!point && !decimal_sep.empty() && t.substr(i, decimal_sep.size()) == decimal_sep) {
            point = true;
            i += decimal_sep.size();
        } else {
            break;
        }
    }
    if (n.int_digits.empty() && n.frac_digits.empty()) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        bool exp_negative = false;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) exp_negative = t[i++] == '-';
        const std::size_t exp_start = i;
        while (i < t.size() && is_ascii_digit(t[i])) {
            n.exp_value = std::min(n.exp_value * 10 + (t[i] - '0'), 1'000'000'000LL);
            ++i;
        }
        if (i == exp_start) return false;
        n.exp_text = std::string(exp_negative ? "e-" : "e") + std::string(t.substr(exp_start, i - exp_start));
        if (exp_negative) n.exp_value = -n.exp_value;
    }
    return i == t.size();
}

}  // namespace

NumberProblem Parse_Number(std::string_view text, std::string_view decimal_sep, double& value)
{
    std::size_t b = 0, e = text.size();
    while (b < e && text[b] == ' ') ++b;
    while (e > b && text[e - 1] == ' ') --e;
    NumberParts n;
    if (!split_number(text.substr(b, e - b), decimal_sep, n)) return NumberProblem::NotANumber;

    // from_chars is locale-independent: hand it the number with '.'.
    std::string norm = (n.negative ? "-" : "") + n.int_digits;
    if (!n.frac_digits.empty()) norm += "." + n.frac_digits;
    norm += n.exp_text;
    double v = 0.0;
    const auto res = std::from_chars(norm.data(), norm.data() + norm.size(), v);
    if (res.ptr != norm.data() + norm.size()) return NumberProblem::NotANumber;
    if (res.ec == std::errc::result_out_of_range) {
        // Decimal exponent of the leading digit tells underflow from overflow.
        const auto lead_int = n.int_digits.find_first_not_of('0');
        const long long lead =
            lead_int != std::string::npos
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
