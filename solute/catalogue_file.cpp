#include "solute/catalogue_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/errors.h"
#include "io/csv_text.h"
#include "io/file_writer.h"
#include "io/text.h"
#include "io/text_file.h"

namespace aqvis {

namespace {

const std::vector<std::string_view> kTitles = {"Formula", "Xi",   "a",      "b",        "G0gas",
                                               "S0gas",   "agas", "bgasE3", "cgasEmin5"};
const std::vector<std::string_view> kGasTitles = {"Formula", "Xi",     "a",         "b",  "G0gas",
                                                  "S0gas",   "agas",   "bgasE3",    "cgasEmin5",
                                                  "Tc",      "Pc",     "omega",     "kij"};

// The number fields of a record, in column order after Formula.
constexpr double CatalogueEntry::*kNumbers[] = {&CatalogueEntry::Xi,    &CatalogueEntry::Coef1,
                                             &CatalogueEntry::Coef2, &CatalogueEntry::G0gas,
                                             &CatalogueEntry::S0gas, &CatalogueEntry::agas,
                                             &CatalogueEntry::bgasE3, &CatalogueEntry::cgasEmin5};

[[noreturn]] void refuse(long line, const std::string& reason)
{
    throw CalcError(ErrorKind::FileError, "line " + std::to_string(line) + ": " + reason);
}

// "line N: reason" for a record whose field count is not that of the title.
[[noreturn]] void wrong_field_count(const CsvLine& l, const std::vector<std::string_view>& titles)
{
    const std::size_t n = l.fields.size();
    refuse(l.number, std::to_string(n) + " fields where " + std::to_string(titles.size()) + " are expected (" +
                         (n < titles.size() ? "missing column '" + std::string(titles[n]) + "'"
                                            : std::string("too many columns")) +
                         ")");
}

// A formula shows in menus, tables and messages: it must not be empty nor
// hold a control character (C0, DEL or C1), which could drive a terminal.
void check_formula(const CsvLine& l, std::string_view formula)
{
    if (formula.empty()) refuse(l.number, "empty formula");
    for (std::size_t i = 0; i < formula.size();) {
        const std::size_t n = std::max<std::size_t>(1, Utf8_Length(formula.substr(i)));
        if (Is_Control_Character(formula.substr(i), n)) refuse(l.number, "the formula holds a control character");
        i += n;
    }
}

// The numbers of a record whose fields are counted and formula checked.
CatalogueEntry parse_numbers(const CsvLine& l)
{
    CatalogueEntry e;
    e.Formula = std::string(l.fields[0]);
    for (std::size_t c = 1; c < kTitles.size(); ++c) {
        // xi, a and b may be left empty for a solute about to be fitted.
        if (c <= 3 && l.fields[c].empty())
            e.*kNumbers[c - 1] = std::numeric_limits<double>::quiet_NaN();
        else if (const NumberProblem p = Read_Csv_Number(l.fields[c], e.*kNumbers[c - 1]); p != NumberProblem::None)
            refuse(l.number, Number_Field_Problem(kTitles[c], l.fields[c], p));
    }
    return e;
}

// The optional gas-phase columns Tc, Pc, omega and kij (fields 9 to 12).
void parse_gas_columns(const CsvLine& l, CatalogueEntry& e)
{
    double v[4] = {};
    bool given[4] = {};
    for (std::size_t c = 0; c < 4; ++c) {
        const std::string_view f = l.fields[9 + c];
        if (f.empty()) continue;
        if (const NumberProblem p = Read_Csv_Number(f, v[c]); p != NumberProblem::None)
            refuse(l.number, Number_Field_Problem(kGasTitles[9 + c], f, p));
        given[c] = true;
    }
    if (given[0] || given[1] || given[2]) {
        if (!(given[0] && given[1] && given[2])) refuse(l.number, "Tc, Pc and omega go together");
        if (!(v[0] > 0.0 && v[1] > 0.0)) refuse(l.number, "Tc and Pc must be above zero");
        e.critical = CriticalConstants{v[0], v[1], v[2]};
    }
    if (given[3]) e.kij = v[3];
}

// True for the text's longer title line; refuses one that is neither.
bool read_title(const CsvLine& line)
{
    if (line.fields.size() == kGasTitles.size() && Title_Mismatch(line.fields, kGasTitles).empty()) return true;
    const std::string title = Title_Mismatch(line.fields, kTitles);
    if (!title.empty())
        refuse(line.number, "the title line must be " + std::string(kCatalogueTitle) + ": " + title);
    return false;
}

// Parses the records; `lines` are the text's CSV lines, title first.  Each
// formula is looked up once in a table of those seen, so a long catalogue
// takes time in proportion to its length.
std::vector<CatalogueEntry> parse(const std::vector<CsvLine>& lines)
{
    if (lines.empty())
        refuse(1, "no title line; a catalogue file starts with " + std::string(kCatalogueTitle));
    const bool gas = read_title(lines.front());
    const std::vector<std::string_view>& titles = gas ? kGasTitles : kTitles;

    std::vector<CatalogueEntry> entries;
    entries.reserve(lines.size() - 1);
    std::unordered_map<std::string_view, long> first_line;
    first_line.reserve(lines.size());
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const CsvLine& l = lines[i];
        if (l.fields.size() != titles.size()) wrong_field_count(l, titles);
        check_formula(l, l.fields[0]);
        const auto [at, added] = first_line.try_emplace(l.fields[0], l.number);
        if (!added)
            refuse(l.number, "formula " + Printable(l.fields[0]) + " given twice (first on line " +
                                 std::to_string(at->second) + ")");
        CatalogueEntry e = parse_numbers(l);
        if (gas) parse_gas_columns(l, e);
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace

std::vector<CatalogueEntry> Read_Catalogue_Text(std::string_view text) { return parse(Csv_Lines(text)); }

std::vector<CatalogueEntry> Read_Catalogue_File(const std::string& path)
{
    const std::string text = Read_Text_File(path);
    try {
        return Read_Catalogue_Text(text);
    } catch (const CalcError& e) {
        throw CalcError(e.kind(), Printable(path) + " " + e.what());
    }
}

Catalogue Load_Catalogue(const std::string& path)
{
    Catalogue c;
    for (CatalogueEntry& e : Read_Catalogue_File(path)) {
        // Critical constants belong to the substance, not to the model's
        // parameters: a built-in solute given anew keeps them.
        if (const CatalogueEntry* old = c.Find(e.Formula); old && old->built_in) {
            if (!e.critical) e.critical = old->critical;
            if (!e.kij) e.kij = old->kij;
        }
        c.Put(std::move(e));
    }
    return c;
}

std::string Catalogue_Line(const CatalogueEntry& e, bool gas_columns)
{
    std::string line = e.Formula;
    for (const auto member : kNumbers) {
        line.append(1, ',');
        if (!std::isnan(e.*member)) line.append(Csv_Number(e.*member));  // a parameter still to be fitted
    }
    if (gas_columns) {
        const auto field = [&line](const std::optional<double>& v) {
            line.append(1, ',');
            if (v) line.append(Csv_Number(*v));
        };
        field(e.critical ? std::optional(e.critical->Tc) : std::nullopt);
        field(e.critical ? std::optional(e.critical->Pc) : std::nullopt);
        field(e.critical ? std::optional(e.critical->omega) : std::nullopt);
        field(e.kij);
    }
    return line;
}

std::string Catalogue_Csv(std::span<const CatalogueEntry> entries)
{
    std::string out(kCatalogueTitle);
    out += '\n';
    for (const CatalogueEntry& e : entries) out += Catalogue_Line(e) + '\n';
    return out;
}

std::string Catalogue_Text_With(std::string_view text, const CatalogueEntry& e)
{
    const std::vector<CsvLine> lines = Csv_Lines(text);
    const bool gas = !lines.empty() && lines.front().fields.size() == kGasTitles.size();
    const std::string record = Catalogue_Line(e, gas);
    const std::string_view eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    std::string out(text);
    const auto append = [&](std::string add) {
        if (!out.empty() && !out.ends_with('\n')) out += eol;
        return out + add;
    };
    if (lines.empty()) return append(std::string(kCatalogueTitle) + std::string(eol) + record + std::string(eol));

    parse(lines);  // a text that is no catalogue is not updated
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (lines[i].fields[0] != e.Formula) continue;
        // Replace the content of that line, keeping its line end.
        std::size_t begin = 0;
        for (long n = 1; n < lines[i].number; ++n) begin = out.find('\n', begin) + 1;
        std::size_t end = out.find('\n', begin);
        if (end == std::string::npos) end = out.size();
        if (end > begin && out[end - 1] == '\r') --end;
        return out.replace(begin, end - begin, record);
    }
    return append(record + std::string(eol));
}

void Save_Catalogue_Entry(const std::string& path, const CatalogueEntry& e)
{
    Update_File_Whole(FileTarget{path, "", false}, [&](const std::string& old_text) {
        try {
            return Catalogue_Text_With(old_text, e);
        } catch (const CalcError& x) {
            throw CalcError(x.kind(), Printable(path) + " " + x.what() + "; the file was left as it is");
        }
    });
}

}  // namespace aqvis
