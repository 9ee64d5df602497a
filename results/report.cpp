#include "results/report.h"

#include <cctype>
#include <ctime>
#include <string>

#include "results/number_format.h"

namespace aqvis {

namespace {

constexpr const char* kCrLf = "\r\n";
constexpr std::size_t kZoneWidth = 14;
constexpr std::size_t kDateIndent = 45;
constexpr std::string_view kComponentStart = " Aqueous component ";

constexpr const char* kTitleLine =
    "    T             P            dH2O       ln(kH, bar)     K(gas=>aq)     V"
    "              Gaq           S             Cp            Gaq             S"
    "             Cp ";
constexpr const char* kUnitLine =
    "    C            bar           g/cc                       mol/kg/bar   cc/mol"
    "         cal/mol     cal/mol/K      cal/mol/K       J/mol         J/mol/K"
    "        J/mol/K ";

// The number of characters in UTF-8 text: every byte that does not continue
// a character.  Print zones are counted in characters, so a separator of
// several bytes (U+066B in Arabic locales) does not push the fields right.
std::size_t Characters(std::string_view text)
{
    std::size_t n = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace

std::string Header_Lines(const CatalogueEntry& s, std::string_view date, std::string_view time,
                         std::string_view decimal_sep)
{
    std::string h;
    h.append(kDateIndent, ' ');
    h.append("  Date ").append(date).append("  Time  ").append(time).append(kCrLf);
    h.append(kComponentStart).append(s.Formula);
    h.append("     Xi = ").append(Format_Number(s.Xi, "###.#### ", decimal_sep));
    h.append("     a = ").append(Format_Number(s.Coef1, "###.####", decimal_sep));
    h.append("     b = ").append(Format_Number(s.Coef2, "###.####", decimal_sep));
    h.append(kCrLf);
    h.append(kTitleLine).append(kCrLf);
    h.append(kUnitLine).append(kCrLf);
    return h;
}

void Append_Result_Line_Text(std::string& out, const CalcValues& s, const DerivedValues& d,
                             std::string_view decimal_sep)
{
    const std::pair<double, const char*> fields[12] = {
        {s.TC, "  ###0.00  "},
        {s.Pbar, "  ####0.0    "},
        {s.dH2O, "   #0.0000   "},
        {s.lnkH, "   ###0.000   "},
        {d.K, " 0.000E+00 "},
        {s.V2, " #####0.000   "},
        {s.GTaqua, "  ########0.0  "},
        {s.S2, "  #####0.000  "},
        {s.Cp2, "  ######0.000  "},
        {d.GTaquaJ, "  ########0.0  "},
        {d.S2J, "  ######0.000  "},
        {d.Cp2J, "  ######0.000"},
    };
    std::size_t used = 0;  // characters of the line so far
    for (int k = 0; k < 12; ++k) {
        if (k > 0) {
            // On to the next zone start after the last character written; a
            // field that filled its zone to the end is followed directly.
            const std::size_t next = (used + kZoneWidth - 1) / kZoneWidth * kZoneWidth;
            out.append(next - used, ' ');
            used = next;
        }
        const std::string field = Format_Number(fields[k].first, fields[k].second, decimal_sep);
        out += field;
        used += Characters(field);
    }
    out += kCrLf;
}

std::string Result_Line(const CalcValues& s, const DerivedValues& d, std::string_view decimal_sep)
{
    std::string line;
    line.reserve(180);
    Append_Result_Line_Text(line, s, d, decimal_sep);
    return line;
}

std::string Header_Lines_Now(const CatalogueEntry& s, std::string_view decimal_sep)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16], time[16];
    std::strftime(date, sizeof date, "%m-%d-%Y", &local);
    std::strftime(time, sizeof time, "%H:%M:%S", &local);
    return Header_Lines(s, date, time, decimal_sep);
}

namespace {

// Whether `text` starts like the date line: the indent, then
// "  Date mm-dd-yyyy  Time  hh:mm:ss" with digits where the shape has 9.
bool Date_Line_Prefix(std::string_view text)
{
    static const std::string shape = std::string(kDateIndent, ' ') + "  Date 99-99-9999  Time  99:99:99";
    if (text.size() > shape.size()) return false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const bool ok = shape[k] == '9' ? std::isdigit(static_cast<unsigned char>(text[k])) != 0
                                        : text[k] == shape[k];
        if (!ok) return false;
    }
    return true;
}

// Characters of a data line: blanks, digits, signs, the exponent letter, and
// a decimal separator ('.', ',' or one of several bytes).
bool Data_Line_Text(std::string_view text)
{
    if (text.substr(0, 2) != std::string_view("  ").substr(0, text.size())) return false;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (!(c == ' ' || std::isdigit(u) || c == '-' || c == '+' || c == 'E' || c == '.' ||
              c == ',' || u >= 0x80))
            return false;
    }
    return true;
}

}  // namespace

bool Is_Report_Line(std::string_view line)
{
    if (line == kTitleLine || line == kUnitLine) return true;
    if (line.size() == kDateIndent + 33) return Date_Line_Prefix(line);
    if (line.starts_with(kComponentStart)) return true;
    if (!Data_Line_Text(line)) return false;
    int fields = 0;
    for (std::size_t k = 0; k < line.size(); ++k)
        if (line[k] != ' ' && (k == 0 || line[k - 1] == ' ')) ++fields;
    return fields == 12;
}

bool Starts_A_Report_Line(std::string_view text)
{
    if (text.empty()) return false;
    const auto prefix_of = [&](std::string_view whole) { return whole.starts_with(text); };
    return Date_Line_Prefix(text) || prefix_of(kComponentStart) || text.starts_with(kComponentStart) ||
           prefix_of(kTitleLine) || prefix_of(kUnitLine) || Data_Line_Text(text);
}

bool Is_Header(std::string_view unit)
{
    constexpr std::string_view date = "  Date ";
    return unit.size() > kDateIndent + date.size() &&
           unit.find_first_not_of(' ') == kDateIndent + 2 &&
           unit.substr(kDateIndent, date.size()) == date;
}

}  // namespace aqvis
