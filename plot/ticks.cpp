#include "plot/ticks.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace aqvis::plot {

namespace {

// Beyond this magnitude the ticks are not placed: the axis ends here and the
// curve is clipped.  It leaves room to multiply a step by ten.
constexpr double kLargest = 1e300;
// Ranges narrower than this (absolutely, or relative to the values) are
// widened: below it a step would be subnormal, or adding one to a tick
// index would no longer change it.
constexpr double kNarrowest = 1e-280;
constexpr double kRelativeNarrowest = 1e-9;

}  // namespace

Ticks Nice_Ticks(double lo, double hi, int max_ticks)
{
    max_ticks = std::clamp(max_ticks, 1, 1000);
    if (!(std::isfinite(lo) && std::isfinite(hi))) lo = 0.0, hi = 1.0;
    if (hi < lo) std::swap(lo, hi);
    lo = std::clamp(lo, -kLargest, kLargest);
    hi = std::clamp(hi, -kLargest, kLargest);
    const double magnitude = std::max(std::abs(lo), std::abs(hi));
    if (!(hi - lo >= kNarrowest && hi - lo >= magnitude * kRelativeNarrowest)) {
        // A flat line, or values too close to tell apart: a range around them.
        const double mid = lo + (hi - lo) / 2;
        const double pad = std::abs(mid) >= kNarrowest ? std::abs(mid) * 0.1 : 1.0;
        lo = mid - pad;
        hi = mid + pad;
    }
    Ticks t;
    const double rough = (hi - lo) / max_ticks;
    const double mag = std::pow(10.0, std::floor(std::log10(rough)));
    const double norm = rough / mag;
    const double factor = norm <= 1.0 ? 1.0 : norm <= 2.0 ? 2.0 : norm <= 5.0 ? 5.0 : 10.0;
    t.step = factor * mag;
    // A range end that is already a multiple of the step (within rounding)
    // stays where it is.
    const double first = std::floor(lo / t.step + 1e-9);
    const double last = std::ceil(hi / t.step - 1e-9);
    t.lo = first * t.step;
    t.hi = last * t.step;
    // |first| and |last| stay far below 2^53, where k += 1 is exact.
    for (double k = first; k <= last + 0.5; k += 1.0) {
        double v = k * t.step;
        if (std::abs(v) < t.step * 1e-9) v = 0.0;
        t.values.push_back(v);
    }
    return t;
}

std::string Tick_Label(double value, const Ticks& ticks)
{
    if (value == 0.0) return "0";
    char buf[400];
    if (!(ticks.step > 0.0 && std::isfinite(ticks.step) && std::isfinite(value))) {
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 6);
        return std::string(buf, r.ptr);
    }
    const double biggest = std::max({std::abs(ticks.lo), std::abs(ticks.hi), std::abs(value)});
    const int step_exp = static_cast<int>(std::floor(std::log10(ticks.step) + 1e-9));
    if (biggest >= 1e6 || step_exp < -5) {
        // Mantissa and exponent: as many mantissa decimals as the step needs,
        // the exponent without leading zeros ("2.5e-7", "1e+6").
        const int value_exp = static_cast<int>(std::floor(std::log10(biggest) + 1e-9));
        const int decimals = std::clamp(value_exp - step_exp, 0, 15);
        const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                                     decimals);
        std::string s(buf, r.ptr);
        const auto e = s.find('e');
        std::size_t d = e + 2;
        while (d + 1 < s.size() && s[d] == '0') s.erase(d, 1);
        return s;
    }
    const int decimals = std::clamp(-step_exp, 0, 15);
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    if (s == "-0" || s.find_first_not_of("-0.") == std::string::npos) return "0";
    return s;
}

}  // namespace aqvis::plot
