// Numbers for machines: the 17-digit text must be exactly printf's, so that
// every value reads back as the same double.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "results/number_text.h"

namespace aqvis {
namespace {

TEST(NumberText, SameTextAsPrintfSeventeenDigits)
{
    std::vector<double> values = {0.1,  -0.032, 25, 298.15, 1e16, 1e17, 99999999999999999.0, 1e-11,
                                  1e-5, 0.0001, 123456789012345678.0, 5e-324, 0.0, -0.0,
                                  1.7976931348623157e308, 9.5, 0.30000000000000004};
    for (int e = -40; e <= 40; ++e) values.push_back(std::pow(10.0, e));
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> exponent(-14.0, 19.0);
    for (int i = 0; i < 200000; ++i) {
        const double v = std::pow(10.0, exponent(rng));
        values.push_back(i % 2 ? v : -v);
        // Random mantissa bits too, to reach values with odd last digits.
        values.push_back(std::bit_cast<double>((rng() & 0x800FFFFFFFFFFFFFull) |
                                               (std::uint64_t(980 + rng() % 130) << 52)));
    }
    for (double v : values) {
        std::string fast;
        Append_Number17(fast, v);
        char reference[40];
        std::snprintf(reference, sizeof reference, "%.17g", v);
        ASSERT_EQ(fast, reference) << std::bit_cast<std::uint64_t>(v);
    }
}

}  // namespace
}  // namespace aqvis
