#include "fit/fit_units.h"

#include <cstdio>
#include <string>

#include "results/failure_text.h"
#include "results/members.h"
#include "results/model_range.h"

namespace aqvis {

namespace {

Quantity quantity_of(FitProperty p) { return Find_Member(Property_Name(p))->quantity; }

}  // namespace

std::vector<FitPoint> Points_In_Model_Units(const std::vector<FitPoint>& given, const Units& units)
{
    std::vector<FitPoint> points = given;
    for (FitPoint& p : points) {
        if (units.temp == TempUnit::K && p.TC < 0.0) {
            char buf[200];
            std::snprintf(buf, sizeof buf,
                          "line %ld: temp %.6g K is below absolute zero (temperatures are in kelvin, 0 or "
                          "more)",
                          p.line, p.TC);
            throw CalcError(ErrorKind::FileError, buf);
        }
        const Quantity q = quantity_of(p.property);
        p.TC = Celsius_From(p.TC, units.temp);
        p.Pbar = Bar_From(p.Pbar, units.press);
        p.value = Energy_From(p.value, q, units.energy);
        p.sigma = Energy_From(p.sigma, q, units.energy);
    }
    return points;
}

void Result_In_Given_Units(FitResult& r, const std::vector<FitPoint>& given, const Units& units,
                           FrontEnd front_end)
{
    for (std::size_t i = 0; i < r.rows.size() && i < given.size(); ++i) {
        FitRow& row = r.rows[i];
        row.warning = State_Warning(
            {row.point.TC, row.point.Pbar, row.used ? row.pressure_used : std::nullopt, units}, front_end);
        if (!row.used)
            row.error = Explained_Case_Error(row.kind, row.error, row.point.TC, row.point.Pbar, front_end);
        const Quantity q = quantity_of(row.point.property);
        row.point = given[i];
        row.fitted = Energy_To(row.fitted, q, units.energy);
        row.residual = Energy_To(row.residual, q, units.energy);
        if (row.start) row.start = Energy_To(*row.start, q, units.energy);
        if (row.pressure_used) row.pressure_used = Bar_To(*row.pressure_used, units.press);
    }
    for (PropertyRms& p : r.rms) {
        const Quantity q = quantity_of(p.property);
        p.rms = Energy_To(p.rms, q, units.energy);
        if (p.rms_start) p.rms_start = Energy_To(*p.rms_start, q, units.energy);
    }
}

}  // namespace aqvis
