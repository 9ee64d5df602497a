#include "io/csv_text.h"

#include <charconv>

#include "core/errors.h"
#include "io/text.h"

namespace aqvis {

namespace {

// The 1-based column of the first byte of `line` that begins no UTF-8
// character, or 0.
std::size_t first_bad_byte(std::string_view line)
{
    for (std::size_t i = 0; i < line.size();) {
        const unsigned char c = static_cast<unsigned char>(line[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = Utf8_Length(line.substr(i));
        if (n == 0) return i + 1;
        i += n;
    }
    return 0;
}

[[noreturn]] void not_utf8(long number, std::string_view line, std::size_t column)
{
    char byte[8];
    std::snprintf(byte, sizeof byte, "0x%02x", static_cast<unsigned char>(line[column - 1]));
    throw CalcError(ErrorKind::FileError, "line " + std::to_string(number) + ": not UTF-8 text (byte " + byte +
                                              " at column " + std::to_string(column) +
                                              "); save the file as UTF-8");
}

}  // namespace

std::vector<CsvLine> Csv_Lines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<CsvLine> lines;
    long number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (const std::size_t bad = first_bad_byte(line)) not_utf8(number, line, bad);
        const std::string_view content = Trimmed(line);
        if (content.empty() || content.front() == '#') continue;
        CsvLine l;
        l.number = number;
        Split(line, ',', l.fields);
        for (std::string_view& f : l.fields) f = Trimmed(f);
        lines.push_back(std::move(l));
    }
    return lines;
}

NumberProblem Read_Csv_Number(std::string_view field, double& value)
{
    double v = 0.0;
    const NumberProblem p = Parse_Number(Trimmed(field), ".", v);
    if (p == NumberProblem::None) value = v == 0.0 ? 0.0 : v;
    return p;
}

std::string Quoted(std::string_view text) { return '"' + Printable(text) + '"'; }

std::string Number_Field_Problem(std::string_view column, std::string_view field, NumberProblem problem)
{
    const char* why = problem == NumberProblem::TooLarge ? " is too large for a number (beyond 1.8e308): "
                                                         : " is not a finite number: ";
    return std::string(column) + why + Quoted(field);
}

std::string Csv_Number(double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value == 0.0 ? 0.0 : value);
    return std::string(buf, res.ptr);
}

std::string Title_Mismatch(const std::vector<std::string_view>& fields,
                           const std::vector<std::string_view>& expected)
{
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (i >= fields.size() || fields[i] != expected[i])
            return "missing column '" + Printable(expected[i]) + "' (column " + std::to_string(i + 1) + ")";
    if (fields.size() > expected.size()) return "unexpected column '" + Printable(fields[expected.size()]) + "'";
    return "";
}

}  // namespace aqvis
