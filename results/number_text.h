#pragma once
// Numbers for machines and tables: JSON, CSV and every other text meant to
// be read back (17 significant digits), and the %g texts of the tables.

#include <string>

namespace aqvis {

// Room Write_General needs: sign, 17 digits, point, exponent, and the
// fixed-size copies it makes past the end of the text.
constexpr int kNumber17Room = 40;

// Writes `v` with `precision` (1 to 17) significant digits, exactly the text
// of printf's "%.<precision>g" in the "C" locale, at `p`, which has room for
// kNumber17Room characters; returns the end of the text.
char* Write_General(char* p, double v, int precision);

// "%.17g": reads back as the same double.
char* Write_Number17(char* p, double v);
void Append_Number17(std::string& out, double v);

// "%.<precision>g" appended to `out`.
void Append_General(std::string& out, double v, int precision);

}  // namespace aqvis
