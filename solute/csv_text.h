#pragma once
// The small CSV dialect of the program's own data files (catalogue files,
// fit data): one record per line, fields separated by commas, no quoting;
// blanks around a field do not count; blank lines and lines whose first
// non-blank character is '#' are skipped; CR LF line ends and a byte-order
// mark before the first line are accepted.  Numbers are read with '.' as
// the decimal separator, whatever the locale.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace aqvis {

struct CsvLine {
    long number = 0;  // 1-based line number in the text
    std::vector<std::string_view> fields;  // trimmed, pointing into the text
};

// The records of `text`, comments and blank lines left out.
std::vector<CsvLine> Csv_Lines(std::string_view text);

// Reads a finite number: optional sign, digits with an optional '.', an
// optional exponent.  False for anything else (empty, "nan", "inf", out of
// the range of a double, trailing characters).
bool Read_Csv_Number(std::string_view field, double& value);

// The shortest text that reads back as exactly `value` ("0.309", "-12122.4").
std::string Csv_Number(double value);

// Checks that `fields` are the column titles `expected`, in that order.
// Returns "" or the reason they are not ("missing column 'S0gas'", ...).
std::string Title_Mismatch(const std::vector<std::string_view>& fields,
                           const std::vector<std::string_view>& expected);

// A catalogue or a set of measurements is far smaller than this; a longer
// input (or an endless one such as /dev/zero) is refused, not held.
inline constexpr std::size_t kMaxTextFileBytes = std::size_t{64} << 20;

// The whole content of the file at `path`, or of the open stream `in` that
// `name` stands for.  Throws CalcError(FileError) naming it when it cannot
// be read or is longer than kMaxTextFileBytes.
std::string Read_Text_File(const std::string& path);
std::string Read_Text_Stream(std::FILE* in, const std::string& name);

}  // namespace aqvis
