#include "results/members.h"

#include <array>
#include <limits>

namespace aqvis {

namespace {

// UTF-8 pieces of the plot units.
#define AQ_CM3 "cm\xC2\xB3"
#define AQ_DOT "\xC2\xB7"

// A member read as the expression `value` of the case's values v and derived
// values d.
#define AQ_MEMBER(name, value, unit, meaning, plot_unit, input, quantity)                          \
    Member                                                                                          \
    {                                                                                               \
        name, [](const CaseValues& v, const DerivedValues& d) { return (void)v, (void)d, (value); }, \
            unit, meaning, plot_unit, MemberInput::input, Quantity::quantity                        \
    }
#define S(name, field, unit, meaning, plot_unit, quantity) \
    AQ_MEMBER(name, v.field, unit, meaning, plot_unit, None, quantity)
// u_<field>: the standard uncertainty of the member <field>.
#define U(field, unit, plot_unit, quantity)                                                           \
    AQ_MEMBER("u_" #field, d.u.field, unit,                                                           \
              "Standard uncertainty of " #field " (k=1) from the covariance of \xCE\xBE, a and b",   \
              plot_unit, None, quantity)

constexpr std::array kMembers{
    AQ_MEMBER("Xi", v.Xi, "1", "Parameter \xCE\xBE", "", Parameter, Other),
    AQ_MEMBER("Coef1", v.Coef1, "cm3/g", "Parameter a", AQ_CM3 "/g", Parameter, Other),
    AQ_MEMBER("Coef2", v.Coef2, "cm3/g", "Parameter b", AQ_CM3 "/g", Parameter, Other),
    AQ_MEMBER("TC", v.TC, "degC", "Temperature", "\xC2\xB0" "C", Temperature, Temperature),
    S("TK", TK, "K", "Temperature", "K", Temperature),
    AQ_MEMBER("Pbar", v.Pbar, "bar", "Pressure", "bar", Pressure, Pressure),
    S("Psat", Psat, "bar", "Saturation pressure", "bar", Pressure),
    S("dH2O", dH2O, "g/cm3", "Density of water", "g/" AQ_CM3, Other),
    S("VH2O", VH2O, "cm3/mol", "Molar volume of water", AQ_CM3 "/mol", Other),
    S("ddH2OdTK", ddH2OdTK, "g/(cm3 K)", "\xE2\x88\x82\xCF\x81/\xE2\x88\x82T of water",
      "g/(" AQ_CM3 AQ_DOT "K)", Other),
    S("ddH2OdPbar", ddH2OdPbar, "g/(cm3 bar)",
      "\xE2\x88\x82\xCF\x81/\xE2\x88\x82P of water", "g/(" AQ_CM3 AQ_DOT "bar)", Other),
    S("d2dH2OdTK2", d2dH2OdTK2, "g/(cm3 K2)",
      "\xE2\x88\x82\xC2\xB2\xCF\x81/\xE2\x88\x82T\xC2\xB2 of water", "g/(" AQ_CM3 AQ_DOT "K\xC2\xB2)", Other),
    S("CpH2O", CpH2O, "cal/(mol K)", "Heat capacity of water", "cal/(mol" AQ_DOT "K)", Entropy),
    S("HH2O", HH2O, "cal/mol", "Enthalpy of water", "cal/mol", Energy),
    S("SH2O", SH2O, "cal/(mol K)", "Entropy of water", "cal/(mol" AQ_DOT "K)", Entropy),
    S("GH2O", GH2O, "cal/mol", "Gibbs energy of water", "cal/mol", Energy),
    S("GTH2Ogas", vapour.G, "cal/mol", "Gibbs energy of water vapour (ideal gas)",
      "cal/mol", Energy),
    S("STH2Ogas", vapour.S, "cal/(mol K)", "Entropy of water vapour (ideal gas)",
      "cal/(mol" AQ_DOT "K)", Entropy),
    S("CpH2Ogas", vapour.Cp, "cal/(mol K)", "Heat capacity of water vapour (ideal gas)",
      "cal/(mol" AQ_DOT "K)", Entropy),
    S("GTgas", gas.G, "cal/mol", "Gibbs energy of the ideal-gas solute", "cal/mol", Energy),
    S("STgas", gas.S, "cal/(mol K)", "Entropy of the ideal-gas solute",
      "cal/(mol" AQ_DOT "K)", Entropy),
    S("Cpgas", gas.Cp, "cal/(mol K)", "Heat capacity of the ideal-gas solute",
      "cal/(mol" AQ_DOT "K)", Entropy),
    S("lnfH2O", lnfH2O, "ln bar", "ln fugacity of water", "f in bar", Other),
    S("dB12", dB12, "cm3/g", "Cross term \xCE\x94" "B", AQ_CM3 "/g", Other),
    S("dB12d", dB12d, "1", "Cross term 2\xCF\x81\xCE\x94" "B", "", Other),
    S("TdB12d", TdB12d, "K", "Cross term T" AQ_DOT "2\xCF\x81\xCE\x94" "B", "K", Other),
    S("dTdB12ddP", dTdB12ddP, "K/bar",
      "\xE2\x88\x82(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82P", "K/bar", Other),
    S("dTdB12ddT", dTdB12ddT, "1",
      "\xE2\x88\x82(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82T", "", Other),
    S("d2TdB12ddT2", d2TdB12ddT2, "1/K",
      "\xE2\x88\x82\xC2\xB2(T" AQ_DOT "2\xCF\x81\xCE\x94" "B)/\xE2\x88\x82T\xC2\xB2", "1/K", Other),
    S("lnkH", lnkH, "ln bar", "ln Henry constant", "kH in bar", Other),
    S("GTaqua", GTaqua, "cal/mol", "Gibbs energy of the aqueous solute", "cal/mol", Energy),
    S("S2", S2, "cal/(mol K)", "Entropy of the aqueous solute", "cal/(mol" AQ_DOT "K)", Entropy),
    S("V2", V2, "cm3/mol", "Partial molar volume", AQ_CM3 "/mol", Other),
    S("Cp2", Cp2, "cal/(mol K)", "Partial molar heat capacity", "cal/(mol" AQ_DOT "K)", Entropy),
    AQ_MEMBER("HTaqua", d.HTaqua, "cal/mol", "Enthalpy of the aqueous solute, GTaqua + T S2",
              "cal/mol", None, Energy),
    AQ_MEMBER("K", d.K, "mol/(kg bar)", "Distribution constant gas\xE2\x86\x92" "aq",
              "mol/(kg" AQ_DOT "bar)", None, Other),
    // The standard uncertainties (k = 1) from the covariance of xi, a and b,
    // in the units of their members; NaN where none was propagated.
    U(lnkH, "ln bar", "kH in bar", Other),
    U(GTaqua, "cal/mol", "cal/mol", Energy),
    U(S2, "cal/(mol K)", "cal/(mol" AQ_DOT "K)", Entropy),
    U(V2, "cm3/mol", AQ_CM3 "/mol", Other),
    U(Cp2, "cal/(mol K)", "cal/(mol" AQ_DOT "K)", Entropy),
    U(HTaqua, "cal/mol", "cal/mol", Energy),
    U(K, "mol/(kg bar)", "mol/(kg" AQ_DOT "bar)", Other),
};
constexpr std::size_t kUncertaintyCount = 7;

// Water alone: what `aqvis-cli water` and aqvis.water give.
constexpr std::array kWaterMembers{
    AQ_MEMBER("TC", v.TC, "degC", "Temperature", "\xC2\xB0" "C", Temperature, Temperature),
    S("TK", TK, "K", "Temperature", "K", Temperature),
    AQ_MEMBER("Pbar", v.Pbar, "bar", "Pressure", "bar", Pressure, Pressure),
    AQ_MEMBER("Psat", v.Psat > 0.0 ? v.Psat : std::numeric_limits<double>::quiet_NaN(), "bar",
              "Saturation pressure (none above the critical temperature)", "bar", None, Pressure),
    S("dH2O", dH2O, "g/cm3", "Density of water", "g/" AQ_CM3, Other),
    S("VH2O", VH2O, "cm3/mol", "Molar volume of water", AQ_CM3 "/mol", Other),
    S("lnfH2O", lnfH2O, "ln bar", "ln fugacity of water", "f in bar", Other),
    S("GH2O", GH2O, "cal/mol", "Gibbs energy of water", "cal/mol", Energy),
    S("HH2O", HH2O, "cal/mol", "Enthalpy of water", "cal/mol", Energy),
    S("SH2O", SH2O, "cal/(mol K)", "Entropy of water", "cal/(mol" AQ_DOT "K)", Entropy),
    S("CpH2O", CpH2O, "cal/(mol K)", "Heat capacity of water", "cal/(mol" AQ_DOT "K)", Entropy),
    AQ_MEMBER("alphaV", -d.Expan, "1/K", "Isobaric expansion coefficient of water, -(d rho/dT)/rho",
              "1/K", None, Other),
    AQ_MEMBER("kappaT", d.Compr, "1/bar", "Isothermal compressibility of water, (d rho/dP)/rho",
              "1/bar", None, Other),
};

// A member of a solubility point, read from `point`.
constexpr Member P(const char* name, double SolubilityValues::*point, const char* unit, const char* meaning,
                   const char* plot_unit, MemberInput input = MemberInput::None,
                   Quantity quantity = Quantity::Other)
{
    return {name, nullptr, unit, meaning, plot_unit, input, quantity, point};
}

// A solubility point: what `aqvis-cli solubility` and aqvis.solubility give.
constexpr std::array kSolubilityMembers{
    P("TC", &SolubilityValues::TC, "degC", "Temperature", "\xC2\xB0" "C", MemberInput::Temperature,
      Quantity::Temperature),
    P("Pbar", &SolubilityValues::Pbar, "bar", "Total pressure", "bar", MemberInput::Pressure, Quantity::Pressure),
    P("x", &SolubilityValues::x, "1", "Mole fraction of the solute in the liquid", ""),
    P("molality", &SolubilityValues::molality, "mol/kg", "Molality of the solute in the liquid", "mol/kg",
      MemberInput::Molality),
    P("y_water", &SolubilityValues::y_water, "1", "Mole fraction of water in the gas", ""),
    P("phi_gas", &SolubilityValues::phi_gas, "1", "Fugacity coefficient of the solute in the gas", ""),
    P("phi_water", &SolubilityValues::phi_water, "1", "Fugacity coefficient of water in the gas", ""),
    P("Z_gas", &SolubilityValues::Z_gas, "1", "Compressibility factor of the gas", ""),
    P("V_gas", &SolubilityValues::V_gas, "cm3/mol", "Molar volume of the gas", AQ_CM3 "/mol"),
    P("lnkH", &SolubilityValues::lnkH, "ln bar", "ln Henry constant at the total pressure", "kH in bar"),
};

#undef S
#undef U
#undef AQ_MEMBER
#undef AQ_CM3
#undef AQ_DOT

}  // namespace

std::span<const Member> Output_Members(bool uncertainty)
{
    return uncertainty ? std::span<const Member>(kMembers)
                       : std::span<const Member>(kMembers).first(kMembers.size() - kUncertaintyCount);
}

std::span<const Member> Uncertainty_Members()
{
    return std::span<const Member>(kMembers).last(kUncertaintyCount);
}

std::span<const Member> Water_Members() { return kWaterMembers; }

std::span<const Member> Solubility_Members() { return kSolubilityMembers; }

const Member* Find_Member(std::string_view name, std::span<const Member> members)
{
    for (const Member& m : members)
        if (name == m.name) return &m;
    return nullptr;
}

const char* Member_Unit(const Member& m, EnergyUnit u, bool plot)
{
    return Energy_Unit_Text(plot ? m.plot_unit : m.unit, m.quantity, u, plot);
}

}  // namespace aqvis
