#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/errors.h"
#include "results/number_format.h"

using aqvis::CalcError;
using aqvis::ErrorKind;
using aqvis::Format_Number;
using aqvis::Read_Number;

namespace {

struct Case {
    double value;
    const char* pattern;
    const char* expected;
};

void expect_all(std::initializer_list<Case> cases, const char* sep = ".")
{
    for (const Case& c : cases)
        EXPECT_EQ(Format_Number(c.value, c.pattern, sep), c.expected)
            << "value " << c.value << " pattern \"" << c.pattern << "\"";
}

void expect_mismatch(const std::string& text, const char* sep = ".")
{
    try {
        Read_Number(text, sep);
        ADD_FAILURE() << "\"" << text << "\" was read as a number";
    } catch (const CalcError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::TypeMismatch) << text;
    }
}

}  // namespace

TEST(NumberFormat, InputAndParameterBoxes)
{
    expect_all({
        {25, "####0.0#", "25.0"}, {0.031699, "####0.0#", "0.03"}, {1.0, "####0.0#", "1.0"},
        {25.125, "####0.0#", "25.13"},  // exact binary tie: away from zero
        {0.309, "###0.0000", "0.3090"}, {-8.4596, "###0.0000", "-8.4596"},  // H2
        {10.8301, "###0.0000", "10.8301"},
        {-1.085026, "###0.0000", "-1.0850"}, {-3.54297, "###0.0000", "-3.5430"},  // H3BO3
        {3.4693176, "###0.0000", "3.4693"},
        {-4.72448, "###0.0000", "-4.7245"}, {4.97817, "###0.0000", "4.9782"},  // NH3
        {0.50835, "###0.0000", "0.5083"},  // Ne: its double lies just below the tie
        {1.00144, "###0.0000", "1.0014"}, {4.79756, "###0.0000", "4.7976"},
        {8.36167, "###0.0000", "8.3617"}, {-3.57143, "###0.0000", "-3.5714"},  // H3AsO3, HF
    });
}

TEST(NumberFormat, HashPositionsDropInsignificantDigits)
{
    expect_all({
        {0.1, "###.#### ", ".1 "}, {3.08, "###.####", "3.08"}, {-3.57, "###.####", "-3.57"},
        {3, "###.####", "3."}, {0, "###.####", "."}, {-0.5, "###.####", "-.5"},
        {-0.00004, "###.####", "."},  // rounds to zero: no sign
        {123456.5, "###.####", "123456.5"},  // the integer part is never cut
        {25.2, " #####0.0# ", " 25.2 "}, {25.256, " #####0.0# ", " 25.26 "},
        {-1234.56, "  ########0.0  ", "  -1234.6  "},  // sign after the leading blanks
    });
}

TEST(NumberFormat, RoundingCarriesAndZero)
{
    expect_all({
        {9.996, "#0.00", "10.00"}, {99999.996, "####0.00", "100000.00"},
        {9.995, "#0.00", "9.99"},  // 9.99499999... in binary
        {0.125, "0.00", "0.13"}, {-0.125, "0.00", "-0.13"}, {2.5, "0", "3"}, {-2.5, "0", "-3"},
        {0.4, "#", ""}, {-0.0, "####0.0#", "0.0"}, {-0.004, "####0.0#", "0.0"},
        {-3.999, "####0.0#", "-4.0"}, {0.031699, "  ####0.0    ", "  0.0    "},
        {-0.0004, "   ###0.000   ", "   0.000   "},
    });
}

TEST(NumberFormat, HugeAndTinyValuesUseTheExactBinaryValue)
{
    expect_all({
        {1180591620717411303424.0, "####0.00", "1180591620717411303424.00"},  // 2^70
        {1e23, "0.0", "99999999999999991611392.0"}, {-1e22, "#", "-10000000000000000000000"},
        {1e-300, "#0.0000 ", "0.0000 "}, {5e-324, "0.0000E+00", "4.9407E-324"},
    });
}

TEST(NumberFormat, ScientificPatterns)
{
    expect_all({
        {4.5e-5, "0.0000E+00 ", "4.5000E-05 "}, {-2.5e-4, "0.0000E+00 ", "-2.5000E-04 "},
        {0, "0.0000E+00 ", "0.0000E+00 "}, {-0.0, "0.0000E+00 ", "0.0000E+00 "},
        {1.234e100, "0.0000E+00 ", "1.2340E+100 "},
        {9.99996e-7, "0.0000E+00 ", "1.0000E-06 "},  // carry into the exponent
        {0.99999999999, " 0.000E+00 ", " 1.000E+00 "}, {55.5087, " 0.000E+00 ", " 5.551E+01 "},
        {0.0001220703125, "0.00000000E+00", "1.22070313E-04"},  // 2^-13, exact tie
        {3000, "0.0E+0", "3.0E+3"}, {3e-9, "0.0E+0", "3.0E-9"}, {1e100, "0.0E+0", "1.0E+100"},
        {1e-10, "0.000E+00", "1.000E-10"}, {1234, "0.00E-00", "1.23E03"},
        {0.01234, "0.00E-00", "1.23E-02"}, {1.5, "0.0##E+00", "1.5E+00"},
    });
}

TEST(NumberFormat, DecimalCommaAndNonFiniteValues)
{
    expect_all({{0.309, "###0.0000", "0,3090"}, {25, "####0.0#", "25,0"}, {0.1, "###.#### ", ",1 "},
                {3, "###.####", "3,"}, {-2.5e-4, "0.0000E+00 ", "-2,5000E-04 "}},
               ",");
    EXPECT_THROW(Format_Number(HUGE_VAL, "####0.0#"), CalcError);
    EXPECT_THROW(Format_Number(std::nan(""), "0.0000E+00"), CalcError);
}

TEST(ReadNumber, AcceptsNumbersWithSurroundingBlanks)
{
    const std::pair<const char*, double> cases[] = {
        {"25", 25}, {"  25  ", 25}, {"-8.4596", -8.4596}, {"+1.5", 1.5}, {".5", 0.5},
        {"3.", 3}, {"1e3", 1000}, {" 2.5E+2 ", 250}, {"1E-3", 0.001}, {"0001.25", 1.25},
        {"1e-400", 0.0}};  // underflow is zero, not an error
    for (auto [text, value] : cases) EXPECT_EQ(Read_Number(text), value) << text;
    EXPECT_TRUE(std::signbit(Read_Number("-0")));
    EXPECT_EQ(Read_Number("0,309", ","), 0.309);
    EXPECT_EQ(Read_Number(" -3,5e1 ", ","), -35.0);
}

TEST(ReadNumber, RefusesEverythingElseAsTypeMismatch)
{
    for (const char* t : {"", " ", "   ", "abc", "1.2.3", "0x10", "inf", "-inf", "nan", "1e400",
                          "-1e400", "1e", "1e+", "--1", "+-1", "+", "-", ".", "1 000", "1,5",
                          "\t1", "1\t", "1\n", "1e5x", "x1", "1 e5", "- 1", "25 C", "\xC2\xA0" "1"})
        expect_mismatch(t);
    expect_mismatch(std::string("1\0", 2));
    expect_mismatch(std::string(400, '9'));
    for (const char* t : {"0.5", "1,000.5", ","}) expect_mismatch(t, ",");  // point under a comma
}

// Format_Number takes a fast route (the value's integer digits scaled in
// 128-bit arithmetic); the digit-by-digit route over the full decimal
// expansion is the reference it must agree with on every double, exact
// binary ties and carries included.
TEST(NumberFormat, FastRouteAgreesWithTheDigitByDigitRoute)
{
    const char* patterns[] = {"#0.0000 ", "####0.00 ", "0.0000E+00 ", "##0.000 ", " #####0.0# ",
                              "######0.0 ", "###.#### ", "0", "0.00000000E+00", "0.0E+0",
                              "#0.00000000"};
    std::vector<double> values = {0.0, -0.0, 9.995, 9.9995, 99999.995, 9.99995e-7, 1e15, 1e22,
                                  5e-324, 1.7976931348623157e308, 4503599627370496.5};
    for (int shift = 1; shift <= 40; ++shift)  // exact binary ties at every decimal count
        for (int k = -40; k <= 40; ++k) values.push_back(std::ldexp(2.0 * k + 1.0, -shift));
    std::mt19937_64 rng(8);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::ldexp(static_cast<double>(rng() >> 11), static_cast<int>(rng() % 150) - 120));
        values.push_back(std::bit_cast<double>(rng() & 0xFFEFFFFFFFFFFFFFull));  // any finite double
    }
    for (const double v : values)
        for (const char* p : patterns)
            ASSERT_EQ(Format_Number(v, p, ","), aqvis::Format_Number_Exact(v, p, ","))
                << std::hexfloat << v << " \"" << p << "\"";
}
