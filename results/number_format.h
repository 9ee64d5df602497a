#pragma once
// Number patterns: `0` (digit always printed), `#` (digit printed only when
// significant), `.` (decimal separator), `E+00` (scientific notation), and
// literal blanks.  The integer part is never cut.

#include <array>
#include <string>
#include <string_view>

#include "io/number_reader.h"  // Read_Number, the one number reader

namespace aqvis {

// Formats `value` with `pattern` ("####0.0#", "0.0000E+00 ", "  ###0.00  ", ...),
// printing `decimal_sep` for the pattern's '.'.  Rounds the exact binary value
// to the pattern's decimals, ties away from zero.
std::string Format_Number(double value, std::string_view pattern,
                          std::string_view decimal_sep = ".");

// A pattern split into its parts, read once for many numbers:
//   prefix  int-positions [ '.' frac-positions ] [ E+0.. ]  suffix
// where prefix and suffix are literal text.  The views point into the text
// it was read from, which must outlive it (a string literal).
struct NumberPattern {
    std::string_view prefix;
    std::string_view int_pos;   // '0' and '#'
    bool point = false;
    std::string_view frac_pos;  // '0' and '#'
    bool scientific = false;
    char exp_letter = 'E';
    bool exp_sign_always = true;  // "E+" prints '+' and '-', "E-" only '-'
    std::size_t exp_digits = 0;
    std::string_view suffix;
    std::size_t min_int = 0;   // integer digits always printed: from the first '0' on
    std::size_t min_frac = 0;  // decimals always printed: up to the last '0'
    // Prefix and suffix of up to 16 characters, padded, for copies of one
    // fixed size; whether the pattern's parts are small enough for the fast
    // route (literals of up to 16 characters, up to 15 decimals).
    std::array<char, 16> prefix_padded{}, suffix_padded{};
    bool fast = false;
};

// Reads a pattern; throws std::invalid_argument for one without digit
// positions or with digit positions after its exponent.
NumberPattern Read_Number_Pattern(std::string_view pattern);

// Format_Number with a pattern read beforehand, appended to `out`.
void Append_Number(std::string& out, double value, const NumberPattern& pattern,
                   std::string_view decimal_sep = ".");
std::string Format_Number(double value, const NumberPattern& pattern,
                          std::string_view decimal_sep = ".");

// Format_Number with a pattern read beforehand, written at `p`, which has
// room for kNumberPatternRoom characters; returns the end of the text, or
// null where the number needs the digit-by-digit route (Append_Number takes
// it).  Throws as Format_Number does for a value that is not finite.
constexpr std::size_t kNumberPatternRoom = 96;
char* Write_Number_Fast(char* p, double value, const NumberPattern& pattern,
                        std::string_view decimal_sep = ".");

// The same texts formed digit by digit from the full decimal expansion of
// the value: the reference the fast route is checked against.
std::string Format_Number_Exact(double value, std::string_view pattern,
                                std::string_view decimal_sep = ".");

}  // namespace aqvis
