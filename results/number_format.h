#pragma once
// Number patterns: `0` (digit always printed), `#` (digit printed only when
// significant), `.` (decimal separator), `E+00` (scientific notation), and
// literal blanks.  The integer part is never cut.

#include <string>
#include <string_view>

namespace aqvis {

// Formats `value` with `pattern` ("####0.0#", "0.0000E+00 ", "  ###0.00  ", ...),
// printing `decimal_sep` for the pattern's '.'.  Rounds the exact binary value
// to the pattern's decimals, ties away from zero.
std::string Format_Number(double value, std::string_view pattern,
                          std::string_view decimal_sep = ".");

// Reads the text of an input box as a number: blanks around it are allowed,
// `decimal_sep` is the only decimal separator.  Anything else that is not a
// finite number (an all-blank text included) throws
// CalcError(ErrorKind::TypeMismatch).  The caller handles the exactly-empty text.
double Read_Number(std::string_view text, std::string_view decimal_sep = ".");

}  // namespace aqvis
