#pragma once
// The one reader of numbers written by people: input boxes, the command
// line, batch fields, catalogue and data files.  One rule everywhere: an
// optional sign, digits with at most one decimal separator, an optional
// exponent; a number too small for a double is zero (as it would print), one
// too large is refused as such; "nan", "inf", hexadecimal and anything else
// is not a number.

#include <string>
#include <string_view>

namespace aqvis {

enum class NumberProblem { None, NotANumber, TooLarge };

// Reads `text` (blanks around it allowed, `decimal_sep` the only decimal
// separator) into `value`; on a problem `value` is left as it was.
NumberProblem Parse_Number(std::string_view text, std::string_view decimal_sep, double& value);

// What is wrong with a text of that problem, to follow its quoted text:
// "is not a number", "is too large for a number (beyond 1.8e308)".
const char* Number_Problem_Text(NumberProblem problem);

// Parse_Number that throws CalcError(ErrorKind::TypeMismatch) with
// "Type mismatch: \"<text>\" is not a number" (the text made printable)
// or the too-large message.  The caller handles the exactly-empty text.
double Read_Number(std::string_view text, std::string_view decimal_sep = ".");

}  // namespace aqvis
