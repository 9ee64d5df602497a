#include "solute/catalogue.h"

#include <cmath>
#include <utility>

#include "solute/critical_constants.h"

namespace aqvis {

// Formula, xi, a (cm3/g), b (cm3/g), then the ideal gas at 298.15 K and 1 bar:
// standard Gibbs energy of formation G0 (cal/mol), standard entropy S0
// (cal/(mol K)) and the heat-capacity coefficients a (cal/(mol K)), b*1e3 and
// c*1e-5 of Cp = a + b T - c / T^2.  Every value is the literal of the
// program's own definition (its sources are not recorded); none is computed.
const std::array<SoluteRecord, 19> Solute_Catalogue = {{
    {"H2", 0.309, -8.4596, 10.8301, 0, 31.234, 6.52, 0.78, -0.12, false},
    {"N2", -0.032, -11.538, 14.6278, 0, 45.796, 6.83, 0.9, 0.12, false},
    {"O2", 0.026, -9.754, 12.9411, 0, 49.003, 7.16, 1.0, 0.4, false},
    {"H2S", -0.2102, -11.2303, 12.6104, -8021, 49.185, 7.81, 2.96, 0.46, false},
    {"CO2", -0.085, -8.8321, 11.2684, -94254, 51.085, 10.57, 2.1, 2.06, false},
    {"Ar", 0.073, -8.5139, 11.921, 0, 37.0085, 4.968, 0, 0, false},
    {"Ne", 0.50835, 1.00144, 4.79756, 0, 39.974, 4.968, 0, 0, false},
    {"NH3", -0.0955, -4.72448, 4.97817, -3932, 46.0, 7.11, 6.0, 0.37, false},
    {"SO2", -0.4295, -14.5223, 14.3512, -71730, 59.327, 11.04, 1.88, 1.84, false},
    {"CH4", -0.1131, -11.8462, 14.8615, -12122.4, 44.518, 5.65, 11.44, 0.46, true},
    {"C2H4", -0.4499, -16.8037, 18.846, 16280, 52.45, 8.35, 0.15, 2.29, true},
    {"C2H6", -0.6091, -16.3482, 20.0628, -7887, 55.14, 1.59, 40.4, 1.263, true},
    {"C3H8", -1.1471, -25.3879, 28.2616, -5886, 64.5, 0.13, 65.9, 2.475, true},
    {"C4H10", -1.6849, -33.8492, 36.1457, -3887, 73.86, 0.97, 85.4, 3.264, true},
    {"C6H6", -1.1, -21.0084, 22.934, 31003, 64.37, 9.90295, 49.7694, 4.38, true},
    {"HCl", -0.28, 11.642, -7.4244, -22777, 44.5268, 6.2739, 1.2404, -0.3011, false},
    {"HF", 0.1008, 3.088, -3.57143, -65822, 41.5342, 6.398, 0.817, -0.314, false},
    {"H3BO3", -1.085026, -3.54297, 3.4693176, -221881, 70.562, 17.5512, 10.04, 4.41, false},
    {"H3AsO3", -1.4798, -10.0766, 8.36167, -142179, 79.97, 22.81, 10.04, 4.41, false},
}};

const SoluteRecord* Find_Solute(std::string_view formula)
{
    for (const SoluteRecord& r : Solute_Catalogue)
        if (formula == r.Formula) return &r;
    return nullptr;
}

std::string Missing_Parameters(double xi, double a, double b)
{
    const std::pair<const char*, double> parameters[] = {{"xi", xi}, {"a", a}, {"b", b}};
    std::vector<const char*> missing;
    for (const auto& [name, value] : parameters)
        if (std::isnan(value)) missing.push_back(name);
    std::string text;
    for (std::size_t k = 0; k < missing.size(); ++k)
        text += std::string(k == 0 ? "" : (k + 1 == missing.size() ? " and " : ", ")) + missing[k];
    return text;
}

std::string_view Data_Note(const CatalogueEntry& entry)
{
    const SoluteRecord* r = Find_Solute(entry.Formula);
    if (!r || !(entry == CatalogueEntry(*r))) return {};
    // Ne: S0gas, 39.974 cal/(mol K), lies 5.0 above the CODATA key value
    // (Cox, Wagman and Medvedev 1989) of 146.328 J/(mol K) = 34.973
    // cal/(mol K); its xi, a and b give a Henry constant about three times
    // that of the IAPWS guideline (G7-04) at 300 degC (docs/validation.md).
    if (entry.Formula == "Ne") return "S0gas 5 cal/(mol K) above CODATA; kH 3x IAPWS at 300 degC";
    return {};
}

CatalogueEntry::CatalogueEntry(const SoluteRecord& r)
    : Formula(r.Formula), Xi(r.Xi), Coef1(r.Coef1), Coef2(r.Coef2), G0gas(r.G0gas), S0gas(r.S0gas),
      agas(r.agas), bgasE3(r.bgasE3), cgasEmin5(r.cgasEmin5), hydrocarbon(r.hydrocarbon),
      built_in(true), critical(Built_In_Critical_Constants(r.Formula))
{
}

Catalogue::Catalogue() : entries_(Solute_Catalogue.begin(), Solute_Catalogue.end())
{
    for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].Formula, i);
}

const CatalogueEntry* Catalogue::Find(std::string_view formula) const
{
    // A look along a short list costs less than hashing the name.
    if (entries_.size() <= kLinearFind) {
        for (const CatalogueEntry& e : entries_)
            if (formula == e.Formula) return &e;
        return nullptr;
    }
    const auto it = index_.find(formula);
    return it == index_.end() ? nullptr : &entries_[it->second];
}

void Catalogue::Put(CatalogueEntry entry)
{
    const auto [it, added] = index_.try_emplace(entry.Formula, entries_.size());
    if (added)
        entries_.push_back(std::move(entry));
    else
        entries_[it->second] = std::move(entry);
}

}  // namespace aqvis
