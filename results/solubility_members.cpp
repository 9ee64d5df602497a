#include "results/solubility_members.h"

#include <array>

namespace aqvis {

namespace {

constexpr SolubilityMember M(const char* name, double SolubilityValues::*value, const char* unit,
                             const char* meaning, const char* plot_unit)
{
    return {{name, nullptr, unit, meaning, plot_unit, MemberInput::None}, value};
}

constexpr std::array kMembers{
    M("TC", &SolubilityValues::TC, "degC", "Temperature", "\xC2\xB0" "C"),
    M("Pbar", &SolubilityValues::Pbar, "bar", "Total pressure", "bar"),
    M("x", &SolubilityValues::x, "1", "Mole fraction of the solute in the liquid", ""),
    M("molality", &SolubilityValues::molality, "mol/kg", "Molality of the solute in the liquid", "mol/kg"),
    M("y_water", &SolubilityValues::y_water, "1", "Mole fraction of water in the gas", ""),
    M("phi_gas", &SolubilityValues::phi_gas, "1", "Fugacity coefficient of the solute in the gas", ""),
    M("phi_water", &SolubilityValues::phi_water, "1", "Fugacity coefficient of water in the gas", ""),
    M("Z_gas", &SolubilityValues::Z_gas, "1", "Compressibility factor of the gas", ""),
    M("V_gas", &SolubilityValues::V_gas, "cm3/mol", "Molar volume of the gas", "cm\xC2\xB3/mol"),
    M("lnkH", &SolubilityValues::lnkH, "ln bar", "ln Henry constant at the total pressure", "kH in bar"),
};

}  // namespace

std::span<const SolubilityMember> Solubility_Members() { return kMembers; }

const SolubilityMember* Find_Solubility_Member(std::string_view name)
{
    for (const SolubilityMember& m : kMembers)
        if (name == m.member.name) return &m;
    return nullptr;
}

}  // namespace aqvis
