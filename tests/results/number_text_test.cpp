// Numbers for machines and tables: the text at every precision must be
// exactly printf's %.<precision>g, so that 17 digits read back as the same
// double and the tables keep their bytes.

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

std::vector<double> tricky_values()
{
    std::vector<double> values = {0.1,  -0.032, 25, 298.15, 1e16, 1e17, 99999999999999999.0, 1e-11,
                                  1e-5, 0.0001, 123456789012345678.0, 5e-324, 0.0, -0.0,
                                  1.7976931348623157e308, 9.5, 0.30000000000000004, 2.2250738585072014e-308,
                                  0.99999999999999989, 9.9999999999999982, 999999.5, 0.000099999999999999991};
    for (int e = -40; e <= 40; ++e) {
        const double p = std::pow(10.0, e);
        values.insert(values.end(), {p, std::nextafter(p, 0.0), std::nextafter(p, 1e300)});
    }
    // Exact decimal ties at every precision: integers ending in 5 (below
    // 2^53, so exact) and binary fractions with few digits.
    std::mt19937_64 rng(31);
    for (std::uint64_t scale = 10; scale < (std::uint64_t(1) << 53); scale *= 10)
        for (int i = 0; i < 20; ++i) values.push_back(static_cast<double>((rng() % scale) / 10 * 10 + 5));
    for (int shift = 1; shift <= 30; ++shift)
        for (int k = 1; k <= 40; k += 3) values.push_back(std::ldexp(2.0 * k + 1.0, -shift));
    return values;
}

TEST(NumberText, SameTextAsPrintfAtEveryPrecision)
{
    std::vector<double> values = tricky_values();
    std::mt19937_64 rng(20240601);
    std::uniform_real_distribution<double> exponent(-25.0, 25.0);
    for (int i = 0; i < 60000; ++i) {
        const double v = std::pow(10.0, exponent(rng));
        values.push_back(i % 2 ? v : -v);
        // Random mantissa bits too, to reach values with odd last digits.
        values.push_back(std::bit_cast<double>((rng() & 0x800FFFFFFFFFFFFFull) |
                                               (std::uint64_t(960 + rng() % 170) << 52)));
        values.push_back(std::bit_cast<double>(rng() & 0xFFEFFFFFFFFFFFFFull));  // any finite double
    }
    std::size_t i = 0;
    for (const double v : values) {
        // Every value at 17 digits and at one other precision in turn.
        for (const int precision : {17, 1 + static_cast<int>(i++ % 16)}) {
            std::string fast;
            if (precision == 17)
                Append_Number17(fast, v);
            else
                Append_General(fast, v, precision);
            char reference[40];
            std::snprintf(reference, sizeof reference, "%.*g", precision, v);
            ASSERT_EQ(fast, reference) << std::hexfloat << v << " at precision " << precision;
        }
    }
}

}  // namespace
}  // namespace aqvis
