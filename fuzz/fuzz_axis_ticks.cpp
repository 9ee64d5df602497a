// The grid's axis reader and the plot's tick maker on any bytes.
//
// The first byte chooses what the rest is: the text of an axis (--temp or
// --press), whose values then get ticks; or two raw doubles and a tick count,
// which reach the tick maker directly (infinities, NaN, subnormal numbers).
//
// Properties: no crash, hang or undefined behaviour; an axis is refused with
// a usage error or has finite values; the ticks cover the values with a
// finite step, few values in increasing order and distinct labels.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "cli/axis.h"
#include "cli/command.h"
#include "fuzz_check.h"
#include "plot/ticks.h"

namespace {

constexpr std::size_t kMaxValues = 4096;

void check_ticks(double lo, double hi, int max_ticks)
{
    using aqvis::plot::Nice_Ticks;
    using aqvis::plot::Tick_Label;
    const aqvis::plot::Ticks t = Nice_Ticks(lo, hi, max_ticks);
    const int asked = std::clamp(max_ticks, 1, 1000);
    FUZZ_CHECK(std::isfinite(t.lo) && std::isfinite(t.hi) && t.lo < t.hi, "range %g..%g", t.lo, t.hi);
    FUZZ_CHECK(std::isfinite(t.step) && t.step > 0.0, "step %g", t.step);
    FUZZ_CHECK(t.values.size() >= 2 && t.values.size() <= static_cast<std::size_t>(asked) + 3,
               "%zu ticks for %d", t.values.size(), asked);
    const double slack = t.step * 1e-6;
    if (std::isfinite(lo) && std::isfinite(hi) && std::abs(lo) <= 1e300 && std::abs(hi) <= 1e300) {
        FUZZ_CHECK(t.values.front() <= std::min(lo, hi) + slack &&
                       t.values.back() >= std::max(lo, hi) - slack,
                   "ticks %.17g..%.17g miss %.17g..%.17g", t.values.front(), t.values.back(), lo, hi);
    }
    std::string previous;
    for (std::size_t i = 0; i < t.values.size(); ++i) {
        const double v = t.values[i];
        FUZZ_CHECK(std::isfinite(v) && v >= t.lo - slack && v <= t.hi + slack, "tick %g", v);
        if (i > 0) FUZZ_CHECK(v > t.values[i - 1], "ticks out of order at %zu", i);
        const std::string label = Tick_Label(v, t);
        FUZZ_CHECK(!label.empty() && label.size() <= 32, "label \"%s\"", label.c_str());
        FUZZ_CHECK(label != previous, "two ticks labelled \"%s\"", label.c_str());
        previous = label;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1) {
        if (rest.size() < 17) return 0;
        double lo, hi;
        std::memcpy(&lo, rest.data(), 8);
        std::memcpy(&hi, rest.data() + 8, 8);
        check_ticks(lo, hi, static_cast<signed char>(rest[16]));
        return 0;
    }
    std::vector<double> values;
    try {
        values = aqvis::cli::Parse_Axis(rest, kMaxValues);
    } catch (const aqvis::cli::UsageError&) {
        return 0;
    }
    FUZZ_CHECK(!values.empty() && values.size() <= kMaxValues, "%zu values", values.size());
    for (const double v : values) FUZZ_CHECK(std::isfinite(v), "value %g", v);
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    check_ticks(*lo, *hi, 2 + data[0] % 22);
    return 0;
}
