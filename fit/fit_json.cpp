#include "fit/fit_json.h"

#include "results/json_writer.h"

namespace aqvis {

namespace {

// {"xi":..,"a":..,"b":..} of three values, null for all where absent.
template <class T>
void parameter_object(JsonWriter& w, const std::array<T, 3>& v, bool present = true)
{
    w.Begin_Object();
    for (int j = 0; j < 3; ++j) {
        w.Key(kFitParameterNames[j]);
        if (!present)
            w.Null();
        else if constexpr (std::is_same_v<T, bool>)
            w.Bool(v[j]);
        else
            w.Number(v[j]);
    }
    w.End_Object();
}

void matrix(JsonWriter& w, const std::array<std::array<double, 3>, 3>& m, bool present)
{
    if (!present) {
        w.Null();
        return;
    }
    w.Begin_Array();
    for (const auto& row : m) {
        w.Begin_Array();
        for (const double v : row) w.Number(v);
        w.End_Array();
    }
    w.End_Array();
}

void rms_object(JsonWriter& w, const FitResult& r, bool start)
{
    w.Begin_Object();
    for (const PropertyRms& p : r.rms) {
        if (start && !p.rms_start) continue;
        w.Key(Property_Name(p.property)).Number(start ? *p.rms_start : p.rms);
    }
    w.End_Object();
}

void row_object(JsonWriter& w, const FitRow& row)
{
    w.Begin_Object();
    if (row.point.line) w.Key("line").Integer(row.point.line);
    w.Key("temp").Number(row.point.TC);
    w.Key("press").Number(row.point.Pbar);
    w.Key("property").String(Property_Name(row.point.property));
    w.Key("value").Number(row.point.value);
    w.Key("sigma").Number(row.point.sigma);
    w.Key("used").Bool(row.used);
    if (row.pressure_used) w.Key("press_used").Number(*row.pressure_used);
    if (!row.warning.empty()) w.Key("warning").String(row.warning);
    if (row.used) {
        w.Key("fitted").Number(row.fitted);
        w.Key("residual").Number(row.residual);
    } else {
        w.Key("error").String(row.error);
        w.Key("kind").String(Error_Kind_Id(row.kind));
    }
    w.End_Object();
}

}  // namespace

void Append_Fit_Json(std::string& out, const FitResult& r)
{
    JsonWriter w(out);
    w.Begin_Object();
    w.Key("solute").String(r.formula);
    for (int j = 0; j < 3; ++j) w.Key(kFitParameterNames[j]).Number(r.value[j]);
    w.Key("fixed");
    parameter_object(w, r.fixed);
    w.Key("start");
    parameter_object(w, r.start);
    w.Key("stderr");
    parameter_object(w, r.standard_error, r.has_uncertainty);
    w.Key("covariance");
    matrix(w, r.covariance, r.has_uncertainty);
    w.Key("correlation");
    matrix(w, r.correlation, r.has_uncertainty);
    w.Key("covariance_from");
    if (r.has_uncertainty)
        w.String(r.covariance_scaled ? "scatter" : "sigma");
    else
        w.Null();
    w.Key("chi2").Number(r.chi2);
    w.Key("dof").Integer(r.dof);
    w.Key("n").Integer(r.n);
    w.Key("failed").Integer(r.failed());
    if (!r.note.empty()) w.Key("note").String(r.note);
    w.Key("rms");
    rms_object(w, r, false);
    w.Key("rms_start");
    rms_object(w, r, true);
    w.Key("rows").Begin_Array();
    for (const FitRow& row : r.rows) row_object(w, row);
    w.End_Array();
    w.End_Object();
    out += '\n';
}

}  // namespace aqvis
