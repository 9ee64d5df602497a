#include "fit/fit_data.h"

#include <array>

#include "core/errors.h"
#include "io/csv_text.h"
#include "io/text.h"
#include "io/text_file.h"

namespace aqvis {

namespace {

constexpr std::array kProperties{FitProperty::lnkH, FitProperty::K,  FitProperty::GTaqua,
                                 FitProperty::S2,   FitProperty::V2, FitProperty::Cp2};

const std::vector<std::string_view> kTitles = {"temp", "press", "property", "value", "sigma"};

[[noreturn]] void refuse(long line, const std::string& reason)
{
    throw CalcError(ErrorKind::FileError, "line " + std::to_string(line) + ": " + reason);
}

double number(const CsvLine& l, std::size_t column)
{
    double v = 0.0;
    if (const NumberProblem p = Read_Csv_Number(l.fields[column], v); p != NumberProblem::None)
        refuse(l.number, Number_Field_Problem(kTitles[column], l.fields[column], p));
    return v;
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
    }
    return "?";
}

std::optional<FitProperty> Find_Fit_Property(std::string_view name)
{
    for (const FitProperty p : kProperties)
        if (name == Property_Name(p)) return p;
    return std::nullopt;
}

FitData Read_Fit_Data_Text(std::string_view text)
{
    const std::vector<CsvLine> lines = Csv_Lines(text);
    if (lines.empty()) refuse(1, "no title line; a data file starts with temp,press,property,value[,sigma]");
    FitData data;
    const CsvLine& title = lines.front();
    data.has_sigma = title.fields.size() >= kTitles.size();
    const std::vector<std::string_view> expected(kTitles.begin(), kTitles.end() - (data.has_sigma ? 0 : 1));
    const std::string mismatch = Title_Mismatch(title.fields, expected);
    if (!mismatch.empty())
        refuse(title.number, "the title line must be temp,press,property,value[,sigma]: " + mismatch);

    for (std::size_t i = 1; i < lines.size(); ++i) {
        const CsvLine& l = lines[i];
        if (l.fields.size() != expected.size())
            refuse(l.number, std::to_string(l.fields.size()) + " fields where the title line has " +
                                 std::to_string(expected.size()));
        FitPoint p;
        p.line = l.number;
        p.TC = number(l, 0);
        p.Pbar = number(l, 1);
        const auto property = Find_Fit_Property(l.fields[2]);
        if (!property)
            refuse(l.number, "unknown property " + Quoted(l.fields[2]) + "; one of lnkH, K, GTaqua, S2, V2, Cp2");
        p.property = *property;
        p.value = number(l, 3);
        if (data.has_sigma) {
            p.sigma = number(l, 4);
            if (!(p.sigma > 0.0)) refuse(l.number, "sigma must be positive");
        }
        if (p.property == FitProperty::K && !(p.value > 0.0))
            refuse(l.number, "K must be positive (the fit works on ln K)");
        data.points.push_back(p);
    }
    return data;
}

FitData Read_Fit_Data_File(const std::string& path)
{
    const std::string text = Read_Text_File(path);
    try {
        return Read_Fit_Data_Text(text);
    } catch (const CalcError& e) {
        throw CalcError(e.kind(), Printable(path) + " " + e.what());
    }
}

}  // namespace aqvis
