#include "cli/fit_output.h"

#include <cmath>
#include <cstdio>

#include "cli/rows.h"
#include "io/text.h"

namespace aqvis::cli {

namespace {

std::string fmt(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

namespace {

void append_parameters(std::string& out, const FitResult& r)
{
    char buf[400];
    std::snprintf(buf, sizeof buf, "  %-10s %16s %14s %16s\n", "parameter", "fitted", "std. error", "catalogue");
    out += buf;
    for (int j = 0; j < 3; ++j) {
        const std::string se = r.fixed[j] ? "fixed" : r.has_uncertainty ? fmt("%.6g", r.standard_error[j]) : "-";
        const std::string own = std::isnan(r.start[j]) ? "-" : fmt("%.10g", Plus_Zero(r.start[j]));
        std::snprintf(buf, sizeof buf, "  %-10s %16.10g %14s %16s\n", kFitParameterNames[j], Plus_Zero(r.value[j]),
                      se.c_str(), own.c_str());
        out += buf;
    }
    std::snprintf(buf, sizeof buf, "\n  chi2 = %.6g   degrees of freedom = %d   chi2/dof = %s\n", r.chi2, r.dof,
                  r.dof > 0 ? fmt("%.6g", r.chi2 / r.dof).c_str() : "-");
    out += buf;
    if (!r.note.empty())
        out += "  " + r.note + "\n";
    else if (!r.has_uncertainty)
        out += "  standard errors: none (no sigma given and no degree of freedom left)\n";
    else
        out += r.covariance_scaled ? "  standard errors from the scatter (no sigma given: covariance times chi2/dof)\n"
                                   : "  standard errors from the given sigmas\n";
}

void append_matrices(std::string& out, const FitResult& r)
{
    char buf[400];
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

void append_rms(std::string& out, const FitResult& r)
{
    char buf[400];
    std::snprintf(buf, sizeof buf, "\n  %-9s %7s %16s %16s\n", "RMS", "points", "fitted", "catalogue");
    out += buf;
    for (const PropertyRms& p : r.rms) {
        std::snprintf(buf, sizeof buf, "  %-9s %7d %16.6g %16s\n", Property_Name(p.property), p.count, p.rms,
                      p.rms_start ? fmt("%.6g", *p.rms_start).c_str() : "-");
        out += buf;
    }
}

void append_rows(std::string& out, const FitResult& r)
{
    char buf[400];
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

}  // namespace

void Append_Fit_Text(std::string& out, const FitResult& r)
{
    out += "Fit of " + Printable(r.formula) + ": " + std::to_string(r.n) + " points";
    if (r.failed()) out += ", " + std::to_string(r.failed()) + " left out";
    out += "\n\n";
    append_parameters(out, r);
    if (r.has_uncertainty) append_matrices(out, r);
    append_rms(out, r);
    append_rows(out, r);
}

}  // namespace aqvis::cli
