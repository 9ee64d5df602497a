#include "results/captions.h"

#include <string>

namespace aqvis {

namespace {

// The panel's patterns, read once.
struct CaptionPatterns {
    NumberPattern f4 = Read_Number_Pattern("#0.0000 ");
    NumberPattern f2 = Read_Number_Pattern("####0.00 ");
    NumberPattern sci = Read_Number_Pattern("0.0000E+00 ");
    NumberPattern lnkH = Read_Number_Pattern("##0.000 ");
    NumberPattern K = Read_Number_Pattern("###0.0000 ");
    NumberPattern V = Read_Number_Pattern(" #####0.0# ");
    NumberPattern g = Read_Number_Pattern("######0.0 ");
    NumberPattern S = Read_Number_Pattern("#####0.00 ");
    NumberPattern Cp = Read_Number_Pattern("#####0.0 ");
    NumberPattern box = Read_Number_Pattern("####0.0#");
};

const CaptionPatterns& patterns()
{
    static const CaptionPatterns p;
    return p;
}

using S = const CaseValues&;
using D = const DerivedValues&;

}  // namespace

std::span<const CaptionField> Caption_Fields()
{
    static const std::array<CaptionField, 16> fields = [] {
        const CaptionPatterns& p = patterns();
        using C = PanelCaptions;
        return std::array<CaptionField, 16>{{
            {"lbllnfH2O", &C::lbllnfH2O, &p.f4, [](S s, D) { return s.lnfH2O; }},
            {"lbldH2O", &C::lbldH2O, &p.f4, [](S s, D) { return s.dH2O; }},
            {"lblVH2O", &C::lblVH2O, &p.f2, [](S s, D) { return s.VH2O; }},
            {"lblCpH2O", &C::lblCpH2O, &p.f2, [](S s, D) { return s.CpH2O; }},
            {"lblCompr", &C::lblCompr, &p.sci, [](S, D d) { return d.Compr; }},
            {"lblExpan", &C::lblExpan, &p.sci, [](S, D d) { return d.Expan; }},
            {"lblFormula", &C::lblFormula, nullptr, nullptr},
            {"lbllnkH", &C::lbllnkH, &p.lnkH, [](S s, D) { return s.lnkH; }},
            {"lblK0", &C::lblK0, &p.K, [](S, D d) { return d.K; }},
            {"lblV", &C::lblV, &p.V, [](S s, D) { return s.V2; }},
            {"lblgcal", &C::lblgcal, &p.g, [](S s, D) { return s.GTaqua; }},
            {"lblScal", &C::lblScal, &p.S, [](S s, D) { return s.S2; }},
            {"lblCpcal", &C::lblCpcal, &p.Cp, [](S s, D) { return s.Cp2; }},
            {"lblgJ", &C::lblgJ, &p.g, [](S, D d) { return d.GTaquaJ; }},
            {"lblSJ", &C::lblSJ, &p.S, [](S, D d) { return d.S2J; }},
            {"lblCpJ", &C::lblCpJ, &p.Cp, [](S, D d) { return d.Cp2J; }},
        }};
    }();
    return fields;
}

std::array<std::pair<const char*, const std::string*>, 16> PanelCaptions::items() const
{
    std::array<std::pair<const char*, const std::string*>, 16> list;
    std::size_t i = 0;
    for (const CaptionField& f : Caption_Fields()) list[i++] = {f.control, &(this->*f.text)};
    return list;
}

PanelCaptions Result_Captions(const CaseValues& s, const DerivedValues& d, std::string_view decimal_sep)
{
    PanelCaptions c;
    for (const CaptionField& f : Caption_Fields()) {
        if (f.pattern)
            Append_Number(c.*f.text, f.value(s, d), *f.pattern, decimal_sep);
        else
            c.*f.text = s.Formula;
    }
    return c;
}

const NumberPattern& Input_Box_Pattern() { return patterns().box; }

std::string Input_Box_Text(double value, std::string_view decimal_sep)
{
    return Format_Number(value, patterns().box, decimal_sep);
}

}  // namespace aqvis
