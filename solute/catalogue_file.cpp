#include "solute/catalogue_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
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
const std::vector<std::string_view> kGasBlock = {"Tc", "Pc", "omega", "kij"};
const std::vector<std::string_view> kCovarianceBlock(kCovarianceColumns.begin(), kCovarianceColumns.end());

// The title of a text with `columns`.
std::vector<std::string_view> titles_of(CatalogueColumns columns)
{
    std::vector<std::string_view> t = kTitles;
    if (columns.gas) t.insert(t.end(), kGasBlock.begin(), kGasBlock.end());
    if (columns.covariance) t.insert(t.end(), kCovarianceBlock.begin(), kCovarianceBlock.end());
    return t;
}

// The titles joined by commas.
std::string joined(const std::vector<std::string_view>& titles)
{
    std::string out;
    for (const std::string_view t : titles) out.append(out.empty() ? "" : ",").append(t);
    return out;
}

std::string title_line(CatalogueColumns columns) { return joined(titles_of(columns)); }

// `text` ending in a line end unless it is empty.
std::string ended(std::string text, std::string_view eol)
{
    if (!text.empty() && !text.ends_with('\n')) text += eol;
    return text;
}

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

// The fields of an optional block of columns that starts at field `first`:
// each may be empty (`given` false).
template <std::size_t N>
void parse_block(const CsvLine& l, std::size_t first, const std::vector<std::string_view>& names, double (&v)[N],
                 bool (&given)[N])
{
    for (std::size_t c = 0; c < N; ++c) {
        const std::string_view f = l.fields[first + c];
        given[c] = !f.empty();
        if (!given[c]) continue;
        if (const NumberProblem p = Read_Csv_Number(f, v[c]); p != NumberProblem::None)
            refuse(l.number, Number_Field_Problem(names[c], f, p));
    }
}

// The optional gas-phase columns Tc, Pc, omega and kij from field `first` on.
void parse_gas_columns(const CsvLine& l, std::size_t first, CatalogueEntry& e)
{
    double v[4] = {};
    bool given[4] = {};
    parse_block(l, first, kGasBlock, v, given);
    if (given[0] || given[1] || given[2]) {
        if (!(given[0] && given[1] && given[2])) refuse(l.number, "Tc, Pc and omega go together");
        if (!(v[0] > 0.0 && v[1] > 0.0)) refuse(l.number, "Tc and Pc must be above zero");
        e.critical = CriticalConstants{v[0], v[1], v[2]};
    }
    if (given[3]) e.kij = v[3];
}

// The optional covariance of xi, a and b from field `first` on: all six
// numbers or none, and a matrix that can be a covariance.
void parse_covariance_columns(const CsvLine& l, std::size_t first, CatalogueEntry& e)
{
    double v[6] = {};
    bool given[6] = {};
    parse_block(l, first, kCovarianceBlock, v, given);
    const int count = static_cast<int>(std::count(given, given + 6, true));
    if (count == 0) return;
    if (count < 6) refuse(l.number, "the six covariance fields var_xi ... cov_a_b go together (all or none)");
    const ParameterCovariance c = Covariance_From({v[0], v[1], v[2], v[3], v[4], v[5]});
    if (const std::string problem = Covariance_Problem(c); !problem.empty()) refuse(l.number, problem);
    e.covariance = c;
}

// The optional columns of the text's title line; refuses a title that is not
// the nine columns followed by none, one or both of the optional blocks.
CatalogueColumns read_title(const CsvLine& line)
{
    for (const bool gas : {false, true})
        for (const bool covariance : {false, true}) {
            const CatalogueColumns columns{gas, covariance};
            if (line.fields.size() == titles_of(columns).size() && Title_Mismatch(line.fields, titles_of(columns)).empty())
                return columns;
        }
    // The reason names the first column that differs from the nearest title.
    CatalogueColumns nearest;
    std::size_t at = kTitles.size();
    if (line.fields.size() > at && line.fields[at] == kGasBlock.front()) {
        nearest.gas = true;
        at += kGasBlock.size();
    }
    nearest.covariance = line.fields.size() > at && line.fields[at] == kCovarianceBlock.front();
    refuse(line.number, "the title line must be " + std::string(kCatalogueTitle) +
                            ", optionally followed by " + std::string(kCatalogueGasColumns) + " and " +
                            std::string(kCatalogueCovarianceColumns) + ": " +
                            Title_Mismatch(line.fields, titles_of(nearest)));
}

// Parses the records; `lines` are the text's CSV lines, title first.  Each
// formula is looked up once in a table of those seen, so a long catalogue
// takes time in proportion to its length.
std::vector<CatalogueEntry> parse(const std::vector<CsvLine>& lines)
{
    if (lines.empty())
        refuse(1, "no title line; a catalogue file starts with " + std::string(kCatalogueTitle));
    const CatalogueColumns columns = read_title(lines.front());
    const std::vector<std::string_view> titles = titles_of(columns);

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
        if (columns.gas) parse_gas_columns(l, kTitles.size(), e);
        if (columns.covariance) parse_covariance_columns(l, titles.size() - kCovarianceBlock.size(), e);
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

std::string Catalogue_Path(const std::string& name, std::span<const std::string> folders)
{
    std::error_code ec;
    if (name.empty() || name.find('/') != std::string::npos || std::filesystem::exists(name, ec)) return name;
    for (const std::string& folder : folders)
        for (const std::string& file : {name, name + ".csv"})
            if (const std::filesystem::path p = std::filesystem::path(folder) / file;
                std::filesystem::is_regular_file(p, ec))
                return p.string();
    return name;
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

std::string Catalogue_Line(const CatalogueEntry& e, CatalogueColumns columns)
{
    std::string line = e.Formula;
    for (const auto member : kNumbers) {
        line.append(1, ',');
        if (!std::isnan(e.*member)) line.append(Csv_Number(e.*member));  // a parameter still to be fitted
    }
    const auto field = [&line](const std::optional<double>& v) {
        line.append(1, ',');
        if (v) line.append(Csv_Number(*v));
    };
    if (columns.gas) {
        field(e.critical ? std::optional(e.critical->Tc) : std::nullopt);
        field(e.critical ? std::optional(e.critical->Pc) : std::nullopt);
        field(e.critical ? std::optional(e.critical->omega) : std::nullopt);
        field(e.kij);
    }
    if (columns.covariance)
        for (std::size_t k = 0; k < kCovarianceColumns.size(); ++k)
            field(e.covariance ? std::optional(Covariance_Numbers(*e.covariance)[k]) : std::nullopt);
    return line;
}

std::string Catalogue_Csv(std::span<const CatalogueEntry> entries)
{
    CatalogueColumns columns;
    for (const CatalogueEntry& e : entries) columns.covariance = columns.covariance || e.covariance.has_value();
    std::string out = title_line(columns) + '\n';
    for (const CatalogueEntry& e : entries) out += Catalogue_Line(e, columns) + '\n';
    return out;
}

std::string Catalogue_Text_With(std::string_view text, const CatalogueEntry& e, std::string_view note)
{
    const std::vector<CsvLine> lines = Csv_Lines(text);
    const std::string eol = text.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
    const std::string note_line = note.empty() ? "" : "# " + e.Formula + ": " + std::string(note) + eol;
    if (lines.empty()) {
        const CatalogueColumns columns{false, e.covariance.has_value()};
        return ended(std::string(text), eol) + title_line(columns) + eol + note_line + Catalogue_Line(e, columns) + eol;
    }
    CatalogueColumns columns = read_title(lines.front());
    parse(lines);  // a text that is no catalogue is not updated
    // A covariance to keep needs its columns: the other records get them empty.
    const bool widen = e.covariance && !columns.covariance;
    if (widen) columns.covariance = true;
    const std::string note_start = "# " + e.Formula + ": ";

    std::size_t next = 0;  // the next CSV line
    std::string notes;     // note lines held until the line below them is known
    std::string out;
    bool replaced = false;
    long number = 0;
    for (std::string_view rest = text; !rest.empty();) {
        const std::size_t nl = rest.find('\n');
        const std::string_view line = rest.substr(0, nl == std::string_view::npos ? rest.size() : nl + 1);
        rest.remove_prefix(line.size());
        const std::string_view end = line.ends_with("\r\n") ? "\r\n" : line.ends_with('\n') ? "\n" : "";
        const std::string_view content = line.substr(0, line.size() - end.size());
        const CsvLine* l = next < lines.size() && lines[next].number == ++number ? &lines[next++] : nullptr;
        if (!l && Trimmed(content).starts_with(note_start)) {
            notes.append(line);
            continue;
        }
        const bool mine = l && l != &lines.front() && l->fields[0] == e.Formula;
        if (!mine) out += notes;  // the notes of the record replaced go with it
        notes.clear();
        if (mine) {
            out.append(note_line).append(Catalogue_Line(e, columns)).append(end);
            replaced = true;
        } else if (l && widen) {
            out.append(content).append(1, ',');
            out.append(l == &lines.front() ? joined(kCovarianceBlock) : std::string(kCovarianceBlock.size() - 1, ','));
            out.append(end);
        } else {
            out.append(line);
        }
    }
    out += notes;
    if (replaced) return out;
    return ended(std::move(out), eol) + note_line + Catalogue_Line(e, columns) + eol;
}

void Save_Catalogue_Entry(const std::string& path, const CatalogueEntry& e, std::string_view note)
{
    Update_File_Whole(FileTarget{path, "", false}, [&](const std::string& old_text) {
        try {
            return Catalogue_Text_With(old_text, e, note);
        } catch (const CalcError& x) {
            throw CalcError(x.kind(), Printable(path) + " " + x.what() + "; the file was left as it is");
        }
    });
}

}  // namespace aqvis
