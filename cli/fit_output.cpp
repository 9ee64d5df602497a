#include "cli/fit_output.h"

#include <cstdio>

#include "cli/rows.h"
#include "cli/text.h"

namespace aqvis::cli {

namespace {

// {"xi":..,"a":..,"b":..} of three values, null where absent.
template <class Value>
void parameter_object(std::string& out, const Value& value)
{
    out += '{';
    for (int j = 0; j < 3; ++j) {
        if (j) out += ',';
        Append_Json_Key(out, kFitParameterNames[j]);
        value(out, j);
    }
    out += '}';
}

void matrix(std::string& out, const std::array<std::array<double, 3>, 3>& m, bool present)
{
    if (!present) {
        out += "null";
        return;
    }
    out += '[';
    for (int i = 0; i < 3; ++i) {
        out += i ? ",[" : "[";
        for (int j = 0; j < 3; ++j) {
            if (j) out += ',';
            Append_Json_Number(out, m[i][j]);
        }
        out += ']';
    }
    out += ']';
}

std::string fmt(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

void Append_Fit_Json(std::string& out, const FitResult& r)
{
    out += '{';
    Append_Json_Key(out, "solute");
    Append_Json_String(out, r.formula);
    for (int j = 0; j < 3; ++j) {
        out += ',';
        Append_Json_Key(out, kFitParameterNames[j]);
        Append_Json_Number(out, r.value[j]);
    }
    out += ',';
    Append_Json_Key(out, "fixed");
    parameter_object(out, [&](std::string& o, int j) { o += r.fixed[j] ? "true" : "false"; });
    out += ',';
    Append_Json_Key(out, "start");
    parameter_object(out, [&](std::string& o, int j) { Append_Json_Number(o, r.start[j]); });
    out += ',';
    Append_Json_Key(out, "stderr");
    parameter_object(out, [&](std::string& o, int j) {
        if (r.has_uncertainty)
            Append_Json_Number(o, r.standard_error[j]);
        else
            o += "null";
    });
    out += ',';
    Append_Json_Key(out, "covariance");
    matrix(out, r.covariance, r.has_uncertainty);
    out += ',';
    Append_Json_Key(out, "correlation");
    matrix(out, r.correlation, r.has_uncertainty);
    out += ',';
    Append_Json_Key(out, "covariance_from");
    out += !r.has_uncertainty ? "null" : r.covariance_scaled ? "\"scatter\"" : "\"sigma\"";
    out += ',';
    Append_Json_Key(out, "chi2");
    Append_Json_Number(out, r.chi2);
    out += ',';
    Append_Json_Key(out, "dof");
    out += std::to_string(r.dof);
    out += ',';
    Append_Json_Key(out, "n");
    out += std::to_string(r.n);
    out += ',';
    Append_Json_Key(out, "failed");
    out += std::to_string(r.failed());
    for (const bool start : {false, true}) {
        out += ',';
        Append_Json_Key(out, start ? "rms_start" : "rms");
        out += '{';
        bool first = true;
        for (const PropertyRms& p : r.rms) {
            if (start && !p.rms_start) continue;
            if (!first) out += ',';
            first = false;
            Append_Json_Key(out, Property_Name(p.property));
            Append_Json_Number(out, start ? *p.rms_start : p.rms);
        }
        out += '}';
    }
    out += ',';
    Append_Json_Key(out, "rows");
    out += '[';
    for (std::size_t i = 0; i < r.rows.size(); ++i) {
        const FitRow& row = r.rows[i];
        out += i ? ",{" : "{";
        if (row.point.line) {
            Append_Json_Key(out, "line");
            out += std::to_string(row.point.line);
            out += ',';
        }
        Append_Json_Key(out, "temp");
        Append_Json_Number(out, row.point.TC);
        out += ',';
        Append_Json_Key(out, "press");
        Append_Json_Number(out, row.point.Pbar);
        out += ',';
        Append_Json_Key(out, "property");
        Append_Json_String(out, Property_Name(row.point.property));
        out += ',';
        Append_Json_Key(out, "value");
        Append_Json_Number(out, row.point.value);
        out += ',';
        Append_Json_Key(out, "sigma");
        Append_Json_Number(out, row.point.sigma);
        out += ',';
        Append_Json_Key(out, "used");
        out += row.used ? "true" : "false";
        if (row.pressure_used) {
            out += ',';
            Append_Json_Key(out, "press_used");
            Append_Json_Number(out, *row.pressure_used);
        }
        if (row.used) {
            out += ',';
            Append_Json_Key(out, "fitted");
            Append_Json_Number(out, row.fitted);
            out += ',';
            Append_Json_Key(out, "residual");
            Append_Json_Number(out, row.residual);
        } else {
            out += ',';
            Append_Json_Key(out, "error");
            Append_Json_String(out, row.error);
            out += ',';
            Append_Json_Key(out, "kind");
            Append_Json_String(out, Error_Kind_Id(row.kind));
        }
        out += '}';
    }
    out += "]}\n";
}

void Append_Fit_Text(std::string& out, const FitResult& r)
{
    char buf[400];
    out += "Fit of " + Printable(r.formula) + ": " + std::to_string(r.n) + " points";
    if (r.failed()) out += ", " + std::to_string(r.failed()) + " left out";
    out += "\n\n";
    std::snprintf(buf, sizeof buf, "  %-10s %16s %14s %16s\n", "parameter", "fitted", "std. error", "catalogue");
    out += buf;
    for (int j = 0; j < 3; ++j) {
        const std::string se = r.fixed[j] ? "fixed" : r.has_uncertainty ? fmt("%.6g", r.standard_error[j]) : "-";
        std::snprintf(buf, sizeof buf, "  %-10s %16.10g %14s %16.10g\n", kFitParameterNames[j], Plus_Zero(r.value[j]),
                      se.c_str(), Plus_Zero(r.start[j]));
        out += buf;
    }
    std::snprintf(buf, sizeof buf, "\n  chi2 = %.6g   degrees of freedom = %d   chi2/dof = %s\n", r.chi2, r.dof,
                  r.dof > 0 ? fmt("%.6g", r.chi2 / r.dof).c_str() : "-");
    out += buf;
    if (!r.has_uncertainty)
        out += "  standard errors: none (no sigma given and no degree of freedom left)\n";
    else
        out += r.covariance_scaled ? "  standard errors from the scatter (no sigma given: covariance times chi2/dof)\n"
                                   : "  standard errors from the given sigmas\n";
    if (r.has_uncertainty) {
        for (const bool corr : {false, true}) {
            out += corr ? "\n  correlation\n" : "\n  covariance\n";
            std::snprintf(buf, sizeof buf, "  %-4s %14s %14s %14s\n", "", "xi", "a", "b");
            out += buf;
            for (int i = 0; i < 3; ++i) {
                const auto& m = corr ? r.correlation : r.covariance;
                std::snprintf(buf, sizeof buf, corr ? "  %-4s %14.6f %14.6f %14.6f\n" : "  %-4s %14.6g %14.6g %14.6g\n",
                              kFitParameterNames[i], m[i][0], m[i][1], m[i][2]);
                out += buf;
            }
        }
    }
    std::snprintf(buf, sizeof buf, "\n  %-9s %7s %16s %16s\n", "RMS", "points", "fitted", "catalogue");
    out += buf;
    for (const PropertyRms& p : r.rms) {
        std::snprintf(buf, sizeof buf, "  %-9s %7d %16.6g %16s\n", Property_Name(p.property), p.count, p.rms,
                      p.rms_start ? fmt("%.6g", *p.rms_start).c_str() : "-");
        out += buf;
    }
    std::snprintf(buf, sizeof buf, "\n  %5s %10s %10s %-8s %16s %10s %16s %12s\n", "line", "temp", "press",
                  "property", "value", "sigma", "fitted", "residual");
    out += buf;
    for (const FitRow& row : r.rows) {
        const FitPoint& x = row.point;
        std::snprintf(buf, sizeof buf, "  %5s %10.6g %10.6g %-8s %16.10g %10.4g ",
                      x.line ? std::to_string(x.line).c_str() : "-", Plus_Zero(x.TC), Plus_Zero(x.Pbar),
                      Property_Name(x.property), Plus_Zero(x.value), x.sigma);
        out += buf;
        if (row.used) {
            std::snprintf(buf, sizeof buf, "%16.10g %12.4g\n", Plus_Zero(row.fitted), Plus_Zero(row.residual));
            out += buf;
        } else {
            out += "left out: " + Printable(row.error) + "\n";
        }
    }
}

}  // namespace aqvis::cli
