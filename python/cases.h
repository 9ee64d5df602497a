#pragma once
// The module's use of the case layer, in one place: one point of a
// calculation run as a case on the calling thread, and the number a case
// gives each output member.

#include <cstdint>
#include <optional>

#include "driver/case_runner.h"
#include "results/members.h"
#include "solute/catalogue.h"

namespace aqvis::python {

// The inputs of a point: T [degC], P [bar], and the parameters that replace
// the solute's own (absent: kept).
struct PointInputs {
    double T = 0.0, P = 0.0;
    std::optional<double> xi, a, b;
};

// Runs the point as a case into `r`.  An input that is not a finite number
// fails the point as type_mismatch, as a text that is not a number does at
// the command line.  The solute prepared with the point's parameters is kept
// per thread: the points and the calls that follow with the same solute and
// parameters start from it without preparing it again.  A solute with a
// covariance (and no xi, a, b given) gets its uncertainties propagated.
void Run_Point(const CatalogueEntry& solute, const PointInputs& in, CaseResult& r);

// Runs the point as a case of water alone (xi, a, b play no part).
void Run_Water_Point(const PointInputs& in, CaseResult& r);

// Output member `m` of a case run by Run_Point: its value when the case was
// computed; when it failed, its input for Xi, Coef1, Coef2, TC and Pbar and
// NaN for the others.  Negative zero is 0, as aqvis-cli writes it.
double Output_Value(const Member& m, const CaseResult& r);

// 0 for a computed case, 1 + the error kind's index for a failed one.
inline std::uint8_t Failure_Code(const CaseResult& r)
{
    return r.ok ? 0 : static_cast<std::uint8_t>(1 + static_cast<int>(r.kind));
}

}  // namespace aqvis::python
