#pragma once
// Numbers for machines: JSON, CSV and every other text meant to be read back.

#include <string>

namespace aqvis {

// Appends `v` with 17 significant digits, exactly the text of printf's "%.17g"
// in the "C" locale, so that it reads back as the same double.  Common
// magnitudes take an integer route; the rest goes through std::to_chars.
void Append_Number17(std::string& out, double v);

// The same text written at `p`, which has room for kNumber17Room characters;
// returns the end of the text.
constexpr int kNumber17Room = 40;
char* Write_Number17(char* p, double v);

}  // namespace aqvis
