#include "results/captions.h"

#include <string>

#include "results/number_format.h"

namespace aqvis {

std::array<std::pair<const char*, const std::string*>, 16> PanelCaptions::items() const
{
    return {{
        {"lbllnfH2O", &lbllnfH2O},
        {"lbldH2O", &lbldH2O},
        {"lblVH2O", &lblVH2O},
        {"lblCpH2O", &lblCpH2O},
        {"lblCompr", &lblCompr},
        {"lblExpan", &lblExpan},
        {"lblFormula", &lblFormula},
        {"lbllnkH", &lbllnkH},
        {"lblK0", &lblK0},
        {"lblV", &lblV},
        {"lblgcal", &lblgcal},
        {"lblScal", &lblScal},
        {"lblCpcal", &lblCpcal},
        {"lblgJ", &lblgJ},
        {"lblSJ", &lblSJ},
        {"lblCpJ", &lblCpJ},
    }};
}

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

}  // namespace

PanelCaptions Result_Captions(const CaseValues& s, const DerivedValues& d,
                              std::string_view decimal_sep)
{
    const CaptionPatterns& p = patterns();
    const auto fmt = [decimal_sep](std::string& out, double v, const NumberPattern& pattern) {
        Append_Number(out, v, pattern, decimal_sep);
    };
    PanelCaptions c;
    fmt(c.lbllnfH2O, s.lnfH2O, p.f4);
    fmt(c.lbldH2O, s.dH2O, p.f4);
    fmt(c.lblVH2O, s.VH2O, p.f2);
    fmt(c.lblCpH2O, s.CpH2O, p.f2);
    fmt(c.lblCompr, d.Compr, p.sci);
    fmt(c.lblExpan, d.Expan, p.sci);
    c.lblFormula = s.Formula;
    fmt(c.lbllnkH, s.lnkH, p.lnkH);
    fmt(c.lblK0, d.K, p.K);
    fmt(c.lblV, s.V2, p.V);
    fmt(c.lblgcal, s.GTaqua, p.g);
    fmt(c.lblScal, s.S2, p.S);
    fmt(c.lblCpcal, s.Cp2, p.Cp);
    fmt(c.lblgJ, d.GTaquaJ, p.g);
    fmt(c.lblSJ, d.S2J, p.S);
    fmt(c.lblCpJ, d.Cp2J, p.Cp);
    return c;
}

std::string Input_Box_Text(double value, std::string_view decimal_sep)
{
    return Format_Number(value, patterns().box, decimal_sep);
}

}  // namespace aqvis
