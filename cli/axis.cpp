#include "cli/axis.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>

#include "cli/cases.h"
#include "cli/command.h"
#include "io/text.h"
#include "core/errors.h"

namespace aqvis::cli {

namespace {

[[noreturn]] void fail(std::string_view axis, const std::string& why)
{
    throw UsageError("\"" + Printable(axis) + "\": " + why);
}

double axis_number(std::string_view text, std::string_view axis)
{
    try {
        return Read_Machine_Number(text);
    } catch (const CalcError&) {
        fail(axis, "\"" + Printable(text) + "\" is not a number");
    }
}

// A plain decimal text ([+-]digits[.digits]) as an integer count of units of
// its last decimal, when it has at most 15 significant digits.
struct Decimal {
    std::int64_t units = 0;
    int decimals = 0;
};

std::optional<Decimal> plain_decimal(std::string_view text)
{
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    Decimal d;
    int digits = 0;
    bool point = false, any = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        any = true;
        if (d.units != 0 || c != '0') ++digits;
        if (digits > 15) return std::nullopt;
        d.units = d.units * 10 + (c - '0');
        if (point && ++d.decimals > 15) return std::nullopt;
    }
    if (!any) return std::nullopt;
    if (negative) d.units = -d.units;
    return d;
}

// `d` in units of 10^-decimals, when that stays below 2^53 in magnitude.
std::optional<std::int64_t> in_units(const Decimal& d, int decimals)
{
    constexpr std::int64_t limit = std::int64_t(1) << 53;
    std::int64_t v = d.units;
    for (int k = d.decimals; k < decimals; ++k)
        if (__builtin_mul_overflow(v, 10, &v) || v >= limit || v <= -limit) return std::nullopt;
    return v;
}

// How the values of an axis are made: listed, or stepped exactly in decimal
// units (value k = (first + k step) / scale), or stepped in doubles (value
// k = from + k step).
struct Plan {
    std::vector<double> listed;
    bool range = false, exact = false;
    std::int64_t first = 0, step_units = 0;
    double scale = 1.0, from = 0.0, step = 0.0;
    std::size_t count = 0;
};

Plan range_plan(std::string_view from_t, std::string_view to_t, std::string_view step_t,
                std::string_view axis, std::size_t max_values)
{
    const double from = axis_number(from_t, axis), to = axis_number(to_t, axis),
                 step = axis_number(step_t, axis);
    if (step == 0.0) fail(axis, "the step is 0");
    // May overflow to an infinity, which the checks below refuse.
    const double span = (to - from) / step;
    if (!(span >= 0.0)) fail(axis, "the step leads away from " + Printable(to_t));
    if (!(span < static_cast<double>(max_values)))
        fail(axis, "more than " + std::to_string(max_values) + " values");

    Plan plan;
    plan.range = true;
    const auto f = plain_decimal(from_t), t = plain_decimal(to_t), s = plain_decimal(step_t);
    if (f && t && s) {
        // Exact stepping in units of the finest decimal, one rounding per value.
        const int dec = std::max({f->decimals, t->decimals, s->decimals});
        const auto fu = in_units(*f, dec), tu = in_units(*t, dec), su = in_units(*s, dec);
        if (fu && tu && su && *su != 0) {
            const std::int64_t n = (*tu - *fu) / *su;
            if (n >= 0 && static_cast<std::uint64_t>(n) < max_values) {
                plan.exact = true;
                plan.first = *fu;
                plan.step_units = *su;
                for (int k = 0; k < dec; ++k) plan.scale *= 10.0;
                plan.count = static_cast<std::size_t>(n) + 1;
                return plan;
            }
        }
    }
    // Other texts (exponents, many digits): FROM + k*STEP, with TO included
    // when it is reached up to rounding.
    const std::size_t n = static_cast<std::size_t>(std::floor(span * (1.0 + 1e-12) + 1e-9));
    if (n >= max_values) fail(axis, "more than " + std::to_string(max_values) + " values");
    plan.from = from;
    plan.step = step;
    plan.count = n + 1;
    return plan;
}

Plan axis_plan(std::string_view text, std::size_t max_values)
{
    if (Trimmed(text).empty()) throw UsageError("an empty list of values");
    if (text.find(':') != std::string_view::npos) {
        const std::vector<std::string_view> p = Split_Trimmed(text, ':');
        if (p.size() != 3) fail(text, "a range is FROM:TO:STEP");
        return range_plan(p[0], p[1], p[2], text, max_values);
    }
    const std::vector<std::string_view> items = Split_Trimmed(text, ',');
    if (items.size() > max_values) fail(text, "more than " + std::to_string(max_values) + " values");
    Plan plan;
    for (const std::string_view item : items) plan.listed.push_back(axis_number(item, text));
    plan.count = plan.listed.size();
    return plan;
}

}  // namespace

std::size_t Axis_Size(std::string_view text, std::size_t max_values)
{
    return axis_plan(text, max_values).count;
}

std::vector<double> Parse_Axis(std::string_view text, std::size_t max_values)
{
    Plan plan = axis_plan(text, max_values);
    if (!plan.range) return std::move(plan.listed);
    std::vector<double> v;
    v.reserve(plan.count);
    const auto n = static_cast<std::int64_t>(plan.count);
    for (std::int64_t k = 0; k < n; ++k) {
        // |first + k step| stays within |first| + |to - first|: no overflow.
        v.push_back(plan.exact ? static_cast<double>(plan.first + k * plan.step_units) / plan.scale
                               : plan.from + static_cast<double>(k) * plan.step);
    }
    return v;
}

}  // namespace aqvis::cli
