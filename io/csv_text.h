#pragma once
// The small CSV dialect of the program's own data files (catalogue files,
// fit data): UTF-8 text, one record per line, fields separated by commas, no
// quoting; blanks around a field do not count; blank lines and lines whose
// first non-blank character is '#' are skipped; CR LF line ends and a
// byte-order mark before the first line are accepted.  Numbers are read by
// the one number reader with '.' as the decimal separator, whatever the
// locale.

#include <string>
#include <string_view>
#include <vector>

#include "io/number_reader.h"

namespace aqvis {

struct CsvLine {
    long number = 0;  // 1-based line number in the text
    std::vector<std::string_view> fields;  // trimmed, pointing into the text
};

// The records of `text`, comments and blank lines left out.  Throws
// CalcError(ErrorKind::FileError) with "line N: ..." for the first line that
// is not UTF-8 (a comment line too).
std::vector<CsvLine> Csv_Lines(std::string_view text);

// Reads a number field by the one number reader; negative zero is read as
// zero (it means the same and would print as "-0").  On a problem `value`
// is left as it was.
NumberProblem Read_Csv_Number(std::string_view field, double& value);

// "<column> is not a finite number: \"<field>\"" or "<column> is too large
// ...": the reason a field is refused, its text quoted printably (a NUL or an
// escape sequence in it neither ends nor drives the message).
std::string Number_Field_Problem(std::string_view column, std::string_view field, NumberProblem problem);

// `text` in double quotes, made printable.
std::string Quoted(std::string_view text);

// The shortest text that reads back as exactly `value` ("0.309", "-12122.4");
// negative zero as "0".
std::string Csv_Number(double value);

// Checks that `fields` are the column titles `expected`, in that order.
// Returns "" or the reason they are not ("missing column 'S0gas'", ...).
std::string Title_Mismatch(const std::vector<std::string_view>& fields,
                           const std::vector<std::string_view>& expected);

}  // namespace aqvis
