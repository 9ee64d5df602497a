#include "results/members.h"

#include <array>

namespace aqvis {

namespace {

// UTF-8 pieces of the plot units.
#define AQ_CM3 "cm\xC2\xB3"
#define AQ_DOT "\xC2\xB7"

// A member read as the expression `value` of the case's values v and derived
// values d.
#define AQ_MEMBER(name, value, unit, meaning, plot_unit, input)                                    \
    Member                                                                                          \
    {                                                                                               \
        name, [](const CaseValues& v, const DerivedValues& d) { return (void)v, (void)d, (value); }, \
            unit, meaning, plot_unit, MemberInput::input                                            \
    }
#define S(name, field, unit, meaning, plot_unit) AQ_MEMBER(name, v.field, unit, meaning, plot_unit, None)

constexpr std::array kMembers{
    AQ_MEMBER("Xi", v.Xi, "1", "Parameter \xCE\xBE", "", Parameter),
    AQ_MEMBER("Coef1", v.Coef1, "cm3/g", "Parameter a", AQ_CM3 "/g", Parameter),
    AQ_MEMBER("Coef2", v.Coef2, "cm3/g", "Parameter b", AQ_CM3 "/g", Parameter),
    AQ_MEMBER("TC", v.TC, "degC", "Temperature", "\xC2\xB0" "C", Temperature),
    S("TK", TK, "K", "Temperature", "K"),
    AQ_MEMBER("Pbar", v.Pbar, "bar", "Pressure", "bar", Pressure),
    S("Psat", Psat, "bar", "Saturation pressure", "bar"),
    S("dH2O", dH2O, "g/cm3", "Density of water", "g/" AQ_CM3),
    S("VH2O", VH2O, "cm3/mol", "Molar volume of water", AQ_CM3 "/mol"),
    S("ddH2OdTK", ddH2OdTK, "g/(cm3 K)", "\xE2\x88\x82\xCF\x81/\xE2\x88\x82T of water",
      "g/(" AQ_CM3 AQ_DOT "K)"),
    S("ddH2OdPbar", ddH2OdPbar, "g/(cm3 bar)",
      "\xE2\x88\x82\xCF\x81/\xE2\x88\x82P of water", "g/(" AQ_CM3 AQ_DOT "bar)"),
    S("d2dH2OdTK2", d2dH2OdTK2, "g/(cm3 K2)",
      "\xE2\x88\x82\xC2\xB2\xCF\x81/\xE2\x88\x82T\xC2\xB2 of water", "g/(" AQ_CM3 AQ_DOT "K\xC2\xB2)"),
    S("CpH2O", CpH2O, "cal/(mol K)", "Heat capacity of water", "cal/(mol" AQ_DOT "K)"),
    S("HH2O", HH2O, "cal/mol", "Enthalpy of water", "cal/mol"),
    S("SH2O", SH2O, "cal/(mol K)", "Entropy of water", "cal/(mol" AQ_DOT "K)"),
    S("GH2O", GH2O, "cal/mol", "Gibbs energy of water", "cal/mol"),
    S("GTH2Ogas", vapour.G, "cal/mol", "Gibbs energy of water vapour (ideal gas)",
      "cal/mol"),
    S("STH2Ogas", vapour.S, "cal/(mol K)", "Entropy of water vapour (ideal gas)",
      "cal/(mol" AQ_DOT "K)"),
    S("CpH2Ogas", vapour.Cp, "cal/(mol K)", "Heat capacity of water vapour (ideal gas)",
      "cal/(mol" AQ_DOT "K)"),
    S("GTgas", gas.G, "cal/mol", "Gibbs energy of the ideal-gas solute", "cal/mol"),
    S("STgas", gas.S, "cal/(mol K)", "Entropy of the ideal-gas solute",
      "cal/(mol" AQ_DOT "K)"),
    S("Cpgas", gas.Cp, "cal/(mol K)", "Heat capacity of the ideal-gas solute",
      "cal/(mol" AQ_DOT "K)"),
    S("lnfH2O", lnfH2O, "ln bar", "ln fugacity of water", "f in bar"),
    S("dB12", dB12, "cm3/g", "Cross term \xCE\x94" "B", AQ_CM3 "/g"),
    S("dB12d", dB12d, "1", "Cross term 2\xCF\x81\xCE\x94" "B", ""),
    S("TdB12d", TdB12d, "K", "Cross term T" AQ_DOT "2\xCF\x81\xCE\x94" "B", "K"),
    S("dTdB12ddP", dTdB12ddP, "K/bar",
      "\xE2\x88\x82(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82P", "K/bar"),
    S("dTdB12ddT", dTdB12ddT, "1",
      "\xE2\x88\x82(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82T", ""),
    S("d2TdB12ddT2", d2TdB12ddT2, "1/K",
      "\xE2\x88\x82\xC2\xB2(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82T\xC2\xB2", "1/K"),
    S("lnkH", lnkH, "ln bar", "ln Henry constant", "kH in bar"),
    S("GTaqua", GTaqua, "cal/mol", "Gibbs energy of the aqueous solute", "cal/mol"),
    S("S2", S2, "cal/(mol K)", "Entropy of the aqueous solute", "cal/(mol" AQ_DOT "K)"),
    S("V2", V2, "cm3/mol", "Partial molar volume", AQ_CM3 "/mol"),
    S("Cp2", Cp2, "cal/(mol K)", "Partial molar heat capacity", "cal/(mol" AQ_DOT "K)"),
    AQ_MEMBER("K", d.K, "mol/(kg bar)", "Distribution constant gas\xE2\x86\x92" "aq",
              "mol/(kg" AQ_DOT "bar)", None),
};

#undef S
#undef AQ_MEMBER
#undef AQ_CM3
#undef AQ_DOT

}  // namespace

std::span<const Member> Output_Members() { return kMembers; }

const Member* Find_Member(std::string_view name)
{
    for (const Member& m : kMembers)
        if (name == m.name) return &m;
    return nullptr;
}

}  // namespace aqvis
