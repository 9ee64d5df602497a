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

#include "results/decimal_digits.h"
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

// The sixteen digits of two eight-digit numbers, both ways (the SSE2 one the
// program takes here, the portable one elsewhere): every four-digit half
// with every value, and the zero digits marked.
TEST(NumberText, SixteenDigitsBothWays)
{
    std::vector<std::uint32_t> numbers = {0, 1, 9, 10, 99999999, 10000000, 99990000, 10001};
    for (std::uint32_t h = 0; h < 10000; ++h) {
        numbers.push_back(h * 10000 + h * 7919 % 10000);
        numbers.push_back(h * 7919 % 10000 * 10000 + h);
    }
    std::size_t i = 0;
    for (const std::uint32_t a : numbers) {
        const std::uint32_t b = numbers[(i++ * 7) % numbers.size()];
        char expected[17];
        std::snprintf(expected, sizeof expected, "%08u%08u", a, b);
        std::uint16_t zeros = 0;
        for (int k = 0; k < 16; ++k)
            if (expected[k] == '0') zeros = static_cast<std::uint16_t>(zeros | (1u << k));
        char text[16];
        EXPECT_EQ(Sixteen_Digits_Portable(text, a, b), zeros) << a << " " << b;
        EXPECT_EQ(std::string(text, 16), expected);
#if defined(__SSE2__)
        EXPECT_EQ(Sixteen_Digits_Sse2(text, a, b), zeros) << a << " " << b;
        EXPECT_EQ(std::string(text, 16), expected);
#endif
    }
}

}  // namespace
}  // namespace aqvis
