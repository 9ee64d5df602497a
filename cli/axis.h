#pragma once
// The values of a grid axis, from the text given after --temp or --press.

#include <cstddef>
#include <string_view>
#include <vector>

namespace aqvis::cli {

// At most this many values on one axis.
inline constexpr std::size_t kMaxAxisValues = 100'000'000;

// The values of one axis:
//   "FROM:TO:STEP"  FROM, FROM+STEP, ... up to TO (included when reached);
//                   decimal texts step without accumulated rounding, so
//                   0:1:0.1 gives exactly the doubles of 0.1, 0.2, ...
//   "V1,V2,..."     the values as listed (one value is a list of one).
// Numbers use '.' as the decimal separator; negative zero is read as zero.
// Throws UsageError saying what is wrong with the text, or that it has more
// than `max_values` values.
std::vector<double> Parse_Axis(std::string_view text, std::size_t max_values = kMaxAxisValues);

// The number of values Parse_Axis(text) has, found without making them (so a
// grid too large to compute is refused at once).  Throws as Parse_Axis does.
std::size_t Axis_Size(std::string_view text, std::size_t max_values = kMaxAxisValues);

}  // namespace aqvis::cli
