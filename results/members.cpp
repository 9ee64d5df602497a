#include "results/members.h"

#include <array>

namespace aqvis {

namespace {

// UTF-8 pieces of the plot units.
#define AQ_CM3 "cm\xC2\xB3"
#define AQ_DOT "\xC2\xB7"

constexpr Member S(const char* name, double CalcState::*ptr, const char* unit, const char* meaning,
                   const char* plot_unit)
{
    return {name, ptr, nullptr, unit, meaning, plot_unit};
}

constexpr std::array kMembers{
    S("Xi", &CalcState::Xi, "1", "Parameter \xCE\xBE", ""),
    S("Coef1", &CalcState::Coef1, "cm3/g", "Parameter a", AQ_CM3 "/g"),
    S("Coef2", &CalcState::Coef2, "cm3/g", "Parameter b", AQ_CM3 "/g"),
    S("TC", &CalcState::TC, "degC", "Temperature", "\xC2\xB0" "C"),
    S("TK", &CalcState::TK, "K", "Temperature", "K"),
    S("Pbar", &CalcState::Pbar, "bar", "Pressure", "bar"),
    S("Psat", &CalcState::Psat, "bar", "Saturation pressure", "bar"),
    S("dH2O", &CalcState::dH2O, "g/cm3", "Density of water", "g/" AQ_CM3),
    S("VH2O", &CalcState::VH2O, "cm3/mol", "Molar volume of water", AQ_CM3 "/mol"),
    S("ddH2OdTK", &CalcState::ddH2OdTK, "g/(cm3 K)", "\xE2\x88\x82\xCF\x81/\xE2\x88\x82T of water",
      "g/(" AQ_CM3 AQ_DOT "K)"),
    S("ddH2OdPbar", &CalcState::ddH2OdPbar, "g/(cm3 bar)",
      "\xE2\x88\x82\xCF\x81/\xE2\x88\x82P of water", "g/(" AQ_CM3 AQ_DOT "bar)"),
    S("d2dH2OdTK2", &CalcState::d2dH2OdTK2, "g/(cm3 K2)",
      "\xE2\x88\x82\xC2\xB2\xCF\x81/\xE2\x88\x82T\xC2\xB2 of water", "g/(" AQ_CM3 AQ_DOT "K\xC2\xB2)"),
    S("CpH2O", &CalcState::CpH2O, "cal/(mol K)", "Heat capacity of water", "cal/(mol" AQ_DOT "K)"),
    S("HH2O", &CalcState::HH2O, "cal/mol", "Enthalpy of water", "cal/mol"),
    S("SH2O", &CalcState::SH2O, "cal/(mol K)", "Entropy of water", "cal/(mol" AQ_DOT "K)"),
    S("GH2O", &CalcState::GH2O, "cal/mol", "Gibbs energy of water", "cal/mol"),
    S("GTH2Ogas", &CalcState::GTH2Ogas, "cal/mol", "Gibbs energy of water vapour (ideal gas)",
      "cal/mol"),
    S("STH2Ogas", &CalcState::STH2Ogas, "cal/(mol K)", "Entropy of water vapour (ideal gas)",
      "cal/(mol" AQ_DOT "K)"),
    S("CpH2Ogas", &CalcState::CpH2Ogas, "cal/(mol K)", "Heat capacity of water vapour (ideal gas)",
      "cal/(mol" AQ_DOT "K)"),
    S("GTgas", &CalcState::GTgas, "cal/mol", "Gibbs energy of the ideal-gas solute", "cal/mol"),
    S("STgas", &CalcState::STgas, "cal/(mol K)", "Entropy of the ideal-gas solute",
      "cal/(mol" AQ_DOT "K)"),
    S("Cpgas", &CalcState::Cpgas, "cal/(mol K)", "Heat capacity of the ideal-gas solute",
      "cal/(mol" AQ_DOT "K)"),
    S("lnfH2O", &CalcState::lnfH2O, "ln bar", "ln fugacity of water", "f in bar"),
    S("dB12", &CalcState::dB12, "cm3/g", "Cross term \xCE\x94" "B", AQ_CM3 "/g"),
    S("dB12d", &CalcState::dB12d, "1", "Cross term 2\xCF\x81\xCE\x94" "B", ""),
    S("TdB12d", &CalcState::TdB12d, "K", "Cross term T" AQ_DOT "2\xCF\x81\xCE\x94" "B", "K"),
    S("dTdB12ddP", &CalcState::dTdB12ddP, "K/bar",
      "\xE2\x88\x82(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82P", "K/bar"),
    S("dTdB12ddT", &CalcState::dTdB12ddT, "1",
      "\xE2\x88\x82(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82T", ""),
    S("d2TdB12ddT2", &CalcState::d2TdB12ddT2, "1/K",
      "\xE2\x88\x82\xC2\xB2(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82T\xC2\xB2", "1/K"),
    S("lnkH", &CalcState::lnkH, "ln bar", "ln Henry constant", "kH in bar"),
    S("GTaqua", &CalcState::GTaqua, "cal/mol", "Gibbs energy of the aqueous solute", "cal/mol"),
    S("S2", &CalcState::S2, "cal/(mol K)", "Entropy of the aqueous solute", "cal/(mol" AQ_DOT "K)"),
    S("V2", &CalcState::V2, "cm3/mol", "Partial molar volume", AQ_CM3 "/mol"),
    S("Cp2", &CalcState::Cp2, "cal/(mol K)", "Partial molar heat capacity", "cal/(mol" AQ_DOT "K)"),
    Member{"K", nullptr, &DerivedValues::K, "mol/(kg bar)",
           "Distribution constant gas\xE2\x86\x92" "aq", "mol/(kg" AQ_DOT "bar)"},
};

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

bool Is_Input_Member(const Member& m)
{
    return m.state == &CalcState::Xi || m.state == &CalcState::Coef1 ||
           m.state == &CalcState::Coef2 || m.state == &CalcState::TC ||
           m.state == &CalcState::Pbar;
}

}  // namespace aqvis
