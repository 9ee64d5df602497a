#pragma once
// The nineteen solutes known to the program, in menu order, and the
// catalogue of a run: those nineteen plus the solutes a user adds.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/critical.h"
#include "solute/aqueous.h"
#include "solute/constants.h"
#include "solute/parameter_covariance.h"

namespace aqvis {

struct SoluteRecord {
    const char* Formula;  // also the caption of the menu entry
    double Xi;            // xi of the solute's equation of state
    double Coef1;         // a
    double Coef2;         // b
    double G0gas;         // Gibbs energy of formation of the ideal gas at TrK, cal/mol
    double S0gas;         // entropy of the ideal gas at TrK, cal/(mol K)
    double agas;          // Cp = a + b T - c / T^2: a, cal/(mol K)
    double bgasE3;        // b * 1e3
    double cgasEmin5;     // c * 1e-5
    bool hydrocarbon;     // entry of the submenu "Hydrocarbons"
};

extern const std::array<SoluteRecord, 19> Solute_Catalogue;

// The record whose Formula is `formula` (exact, case-sensitive), or nullptr.
const SoluteRecord* Find_Solute(std::string_view formula);

// A solute record that owns its formula text: an entry of a run's catalogue,
// built in or read from a catalogue file.  Same fields and units as
// SoluteRecord.
struct CatalogueEntry {
    std::string Formula;
    // NaN where a catalogue file left the field empty: a solute whose
    // parameters are still to be fitted.
    double Xi = 0.0;
    double Coef1 = 0.0;
    double Coef2 = 0.0;
    double G0gas = 0.0;
    double S0gas = 0.0;
    double agas = 0.0;
    double bgasE3 = 0.0;
    double cgasEmin5 = 0.0;
    bool hydrocarbon = false;
    bool built_in = false;  // one of the nineteen, in the window's menus
    // For the gas phase of a solubility calculation: Tc (K), Pc (bar) and
    // the acentric factor, and the solute-water k_ij (absent: 0).
    std::optional<CriticalConstants> critical;
    std::optional<double> kij;
    // How well xi, a and b are known (a fit's covariance); absent: unknown.
    std::optional<ParameterCovariance> covariance;

    CatalogueEntry() = default;
    explicit CatalogueEntry(const SoluteRecord& r);
    bool operator==(const CatalogueEntry&) const = default;

    EosParameters Eos() const { return {Xi, Coef1, Coef2}; }
    IdealGasData Gas() const { return {G0gas, S0gas, agas, bgasE3, cgasEmin5}; }
};

// The names of the parameters among xi, a and b that are NaN (left empty in
// a catalogue file), joined by commas and "and"; empty when none is.
std::string Missing_Parameters(double xi, double a, double b);

// A short note on the data of a built-in solute, where docs/model.md records
// a caveat ("" for none, and for a solute whose record a catalogue file
// replaced).  The built-in values stay as published; `aqvis-cli list` shows
// the note.
std::string_view Data_Note(const CatalogueEntry& entry);

// The solutes one run knows: the nineteen built-in ones in menu order, then
// those added, each formula once.
class Catalogue {
public:
    Catalogue();  // the nineteen built-in solutes

    std::span<const CatalogueEntry> entries() const { return entries_; }

    // The entry whose Formula is `formula` (exact, case-sensitive), or nullptr.
    const CatalogueEntry* Find(std::string_view formula) const;

    // Adds `entry`; an entry with the same formula is replaced where it stands.
    void Put(CatalogueEntry entry);

private:
    static constexpr std::size_t kLinearFind = 32;
    std::vector<CatalogueEntry> entries_;
    // Formula -> place in entries_, looked up by a string_view as it is.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;
};

}  // namespace aqvis
