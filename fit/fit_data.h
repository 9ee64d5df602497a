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
enum class FitProperty { lnkH, K, GTaqua, S2, V2, Cp2, HTaqua };

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
    bool has_sigma = false;                   // the file has a sigma column
    std::vector<std::string> unused_columns;  // titles of the columns the fit does not read
    long other_rows = 0;                      // rows of other solutes, left out
    std::vector<std::string> other_solutes;   // their names, each once, in file order
};

// The rows of a data file that belong to the solute being fitted: a file may
// hold measurements of several solutes, with a column that names each row's.
struct FitDataSelection {
    std::string solute;              // empty: every row
    std::string column = "solute";   // the column that names the solute of a row
    bool column_required = false;    // the file must have `column`
};

// The columns a data file must have, in this order or any other; sigma and
// the solute column may be left out, and other columns are not read.
inline constexpr std::string_view kFitDataTitle = "temp,press,property,value,sigma";

// Reads a data file's text: a title line that names the columns, then one
// measurement per line; rows whose solute column names another solute than
// `selection.solute` are counted and left out.  Throws
// CalcError(ErrorKind::FileError) with "line N: reason" for a title without
// temp, press, property or value (or a column given twice), a wrong number of
// fields, a field that is not a finite number, an unknown property, a sigma
// that is not positive, a K that is not positive (the fit takes its
// logarithm), and a file with a solute column but no row of the solute.
FitData Read_Fit_Data_Text(std::string_view text, const FitDataSelection& selection = {});

// Reads the file at `path`; errors start with the path.
FitData Read_Fit_Data_File(const std::string& path, const FitDataSelection& selection = {});

}  // namespace aqvis
