#include "fit/fit_data.h"

#include <algorithm>
#include <array>

#include "core/errors.h"
#include "io/csv_text.h"
#include "io/text.h"
#include "io/text_file.h"

namespace aqvis {

namespace {

constexpr std::array kProperties{FitProperty::lnkH, FitProperty::K,   FitProperty::GTaqua, FitProperty::S2,
                                 FitProperty::V2,   FitProperty::Cp2, FitProperty::HTaqua};

// The columns the fit reads; the solute column's title is the selection's.
enum Column { kTemp, kPress, kProperty, kValue, kSigma, kSolute, kColumns };
const std::array<std::string_view, kSigma + 1> kTitles = {"temp", "press", "property", "value", "sigma"};

// Where each column the fit reads stands in a line (-1: absent).
struct Layout {
    std::array<int, kColumns> at;
    std::size_t fields = 0;
};

[[noreturn]] void refuse(long line, const std::string& reason)
{
    throw CalcError(ErrorKind::FileError, "line " + std::to_string(line) + ": " + reason);
}

Layout read_title(const CsvLine& title, const FitDataSelection& selection, std::vector<std::string>& unused)
{
    Layout t;
    t.at.fill(-1);
    t.fields = title.fields.size();
    for (std::size_t i = 0; i < title.fields.size(); ++i) {
        const std::string_view name = title.fields[i];
        int c = 0;
        while (c <= kSigma && name != kTitles[c]) ++c;
        if (c > kSigma) c = !selection.column.empty() && name == selection.column ? kSolute : -1;
        if (c < 0) {
            unused.emplace_back(name);
            continue;
        }
        if (t.at[c] >= 0) refuse(title.number, "column '" + std::string(name) + "' given twice");
        t.at[c] = static_cast<int>(i);
    }
    for (int c = kTemp; c <= kValue; ++c)
        if (t.at[c] < 0)
            refuse(title.number, "the title line has no column '" + std::string(kTitles[c]) +
                                     "'; a data file has the columns temp,press,property,value "
                                     "and may have sigma, a solute column and others, in any order");
    if (selection.column_required && t.at[kSolute] < 0)
        refuse(title.number, "the title line has no solute column '" + selection.column + "'");
    return t;
}

double number(const CsvLine& l, const Layout& t, Column c)
{
    const std::string_view field = l.fields[static_cast<std::size_t>(t.at[c])];
    double v = 0.0;
    if (const NumberProblem p = Read_Csv_Number(field, v); p != NumberProblem::None)
        refuse(l.number, Number_Field_Problem(kTitles[c], field, p));
    return v;
}

FitPoint read_point(const CsvLine& l, const Layout& t)
{
    FitPoint p;
    p.line = l.number;
    p.TC = number(l, t, kTemp);
    p.Pbar = number(l, t, kPress);
    const std::string_view name = l.fields[static_cast<std::size_t>(t.at[kProperty])];
    const auto property = Find_Fit_Property(name);
    if (!property)
        refuse(l.number, "unknown property " + Quoted(name) + "; one of lnkH, K, GTaqua, S2, V2, Cp2, HTaqua");
    p.property = *property;
    p.value = number(l, t, kValue);
    if (t.at[kSigma] >= 0) {
        p.sigma = number(l, t, kSigma);
        if (!(p.sigma > 0.0)) refuse(l.number, "sigma must be positive");
    }
    if (p.property == FitProperty::K && !(p.value > 0.0))
        refuse(l.number, "K must be positive (the fit works on ln K)");
    return p;
}

}  // namespace

std::span<const FitProperty> Fit_Properties() { return kProperties; }

const char* Property_Name(FitProperty p)
{
    switch (p) {
    case FitProperty::lnkH: return "lnkH";
    case FitProperty::K: return "K";
    case FitProperty::GTaqua: return "GTaqua";
    case FitProperty::S2: return "S2";
    case FitProperty::V2: return "V2";
    case FitProperty::Cp2: return "Cp2";
    case FitProperty::HTaqua: return "HTaqua";
    }
    return "?";
}

std::optional<FitProperty> Find_Fit_Property(std::string_view name)
{
    for (const FitProperty p : kProperties)
        if (name == Property_Name(p)) return p;
    return std::nullopt;
}

FitData Read_Fit_Data_Text(std::string_view text, const FitDataSelection& selection)
{
    const std::vector<CsvLine> lines = Csv_Lines(text);
    if (lines.empty()) refuse(1, "no title line; a data file starts with temp,press,property,value[,sigma]");
    FitData data;
    const Layout t = read_title(lines.front(), selection, data.unused_columns);
    data.has_sigma = t.at[kSigma] >= 0;
    const bool select = t.at[kSolute] >= 0 && !selection.solute.empty();
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const CsvLine& l = lines[i];
        if (l.fields.size() != t.fields)
            refuse(l.number, std::to_string(l.fields.size()) + " fields where the title line has " +
                                 std::to_string(t.fields));
        if (select) {
            const std::string_view solute = l.fields[static_cast<std::size_t>(t.at[kSolute])];
            if (solute != selection.solute) {
                ++data.other_rows;
                if (std::find(data.other_solutes.begin(), data.other_solutes.end(), solute) ==
                    data.other_solutes.end())
                    data.other_solutes.emplace_back(solute);
                continue;
            }
        }
        data.points.push_back(read_point(l, t));
    }
    if (select && data.points.empty() && data.other_rows > 0) {
        std::string names;
        for (const std::string& n : data.other_solutes) names += (names.empty() ? "" : ", ") + n;
        refuse(lines.front().number, "no row of " + selection.solute + " in column '" + selection.column +
                                         "', which names " + names);
    }
    return data;
}

FitData Read_Fit_Data_File(const std::string& path, const FitDataSelection& selection)
{
    const std::string text = Read_Text_File(path);
    try {
        return Read_Fit_Data_Text(text, selection);
    } catch (const CalcError& e) {
        throw CalcError(e.kind(), Printable(path) + " " + e.what());
    }
}

}  // namespace aqvis
