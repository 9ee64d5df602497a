#pragma once
// Measurements to fit a solute's xi, a and b to: the properties a case
// computes, each at one state of water, with its standard uncertainty.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace aqvis {

// The properties a fit takes, in the units of the member registry.
enum class FitProperty { lnkH, K, GTaqua, S2, V2, Cp2 };

std::span<const FitProperty> Fit_Properties();
const char* Property_Name(FitProperty p);  // "lnkH", "K", ...
std::optional<FitProperty> Find_Fit_Property(std::string_view name);

struct FitPoint {
    double TC = 0.0;    // degC
    double Pbar = 0.0;  // bar; 0 is the saturation pressure
    FitProperty property = FitProperty::lnkH;
    double value = 0.0;
    double sigma = 1.0;  // standard uncertainty of `value`, same unit, > 0
    long line = 0;       // line of the data file, 0 when the point came otherwise
};

struct FitData {
    std::vector<FitPoint> points;
    bool has_sigma = false;  // the file has a sigma column
};

// The title line of a data file; the sigma column may be left out.
inline constexpr std::string_view kFitDataTitle = "temp,press,property,value,sigma";

// Reads a data file's text: the title line temp,press,property,value[,sigma]
// and one measurement per line.  Throws CalcError(ErrorKind::FileError) with
// "line N: reason" for a wrong title, a wrong number of fields, a field that
// is not a finite number, an unknown property, a sigma that is not positive
// and a K that is not positive (the fit takes its logarithm).
FitData Read_Fit_Data_Text(std::string_view text);

// Reads the file at `path`; errors start with the path.
FitData Read_Fit_Data_File(const std::string& path);

}  // namespace aqvis
