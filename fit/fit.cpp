#include "fit/fit.h"

#include <Eigen/Dense>

#include <cmath>
#include <map>
#include <utility>

#include "driver/case_runner.h"
#include "io/csv_text.h"
#include "results/members.h"

namespace aqvis {

namespace {

constexpr int kProperties = 7;
using Values = std::array<double, kProperties>;
using StateKey = std::pair<double, double>;  // TC, Pbar; finite only, so the map's order holds

// The parameter points the design is read from: the origin, then the unit
// point of xi, a and b.
const std::array<SoluteParameters, 4> kDesignPoints = {{
    {0.0, 0.0, 0.0},
    {1.0, 0.0, 0.0},
    {0.0, 1.0, 0.0},
    {0.0, 0.0, 1.0},
}};

// Every fit property's value in a finished case, in the registry's unit.
Values property_values(const CaseResult& r)
{
    Values v{};
    for (const FitProperty p : Fit_Properties())
        v[static_cast<std::size_t>(p)] = Member_Value(*Find_Member(Property_Name(p)), r.values, r.derived);
    return v;
}

// The quantity that is affine in xi, a and b: ln K for K, the value itself
// for the others.
double affine_quantity(FitProperty p, double value) { return p == FitProperty::K ? std::log(value) : value; }

// Its standard uncertainty, from the point's sigma (to first order for ln K).
double affine_sigma(const FitPoint& x) { return x.property == FitProperty::K ? x.sigma / x.value : x.sigma; }

std::string where(const FitPoint& x, std::size_t i)
{
    return x.line ? "line " + std::to_string(x.line) : "point " + std::to_string(i + 1);
}

// One state of water and the affine form of every property there:
// quantity = c0 + c[0] xi + c[1] a + c[2] b.  A few dozen doubles per state;
// no case result is kept.
struct State {
    bool ok = false;
    ErrorKind kind = ErrorKind::TypeMismatch;
    std::string error;
    std::optional<double> pressure_used;
    Values c0{};
    std::array<std::array<double, 3>, kProperties> c{};
    std::optional<Values> start;  // natural values, own parameters
};

State compute_state(const std::array<PreparedSolute, 4>& design, const PreparedSolute* own, double TC, double Pbar)
{
    State st;
    std::array<Values, 4> q{};
    CaseResult r;
    for (std::size_t k = 0; k < design.size(); ++k) {
        Run_Case(design[k], TC, Pbar, r);
        if (!r.ok) {
            st.kind = r.kind;
            st.error = r.error;
            st.pressure_used = r.pressure_used;
            return st;
        }
        q[k] = property_values(r);
        for (const FitProperty p : Fit_Properties()) {
            const auto i = static_cast<std::size_t>(p);
            q[k][i] = affine_quantity(p, q[k][i]);
        }
    }
    st.ok = true;
    st.pressure_used = r.pressure_used;
    for (std::size_t i = 0; i < kProperties; ++i) {
        st.c0[i] = q[0][i];
        for (std::size_t j = 0; j < 3; ++j) st.c[i][j] = q[j + 1][i] - q[0][i];
    }
    if (!own) return st;  // the solute has no parameters of its own yet
    Run_Case(*own, TC, Pbar, r);
    if (r.ok) st.start = property_values(r);
    return st;
}

std::string parameter_list(const std::vector<int>& free)
{
    std::string s;
    for (std::size_t k = 0; k < free.size(); ++k)
        s += std::string(k == 0 ? "" : (k + 1 == free.size() ? " and " : ", ")) + kFitParameterNames[free[k]];
    return s;
}

std::string count(long n, const char* one, const char* many) { return std::to_string(n) + " " + (n == 1 ? one : many); }

std::string number_text(double v) { return Csv_Number(v); }

// The free parameters; the fixed ones' values go into the result.
std::vector<int> free_parameters(const FitOptions& options, FitResult& res)
{
    std::vector<int> free;
    for (int j = 0; j < 3; ++j) {
        res.fixed[j] = options.fixed[j].has_value();
        if (!res.fixed[j]) {
            free.push_back(j);
            continue;
        }
        if (!std::isfinite(*options.fixed[j]))
            throw FitError(std::string("the value ") + kFitParameterNames[j] + " is held at is not a finite number");
        res.value[j] = *options.fixed[j];
    }
    return free;
}

void check_points(std::span<const FitPoint> points)
{
    if (points.empty()) throw FitError("no data points to fit");
    for (std::size_t i = 0; i < points.size(); ++i) {
        const FitPoint& x = points[i];
        if (!std::isfinite(x.value)) throw FitError(where(x, i) + ": the value is not a finite number");
        if (!(x.sigma > 0.0) || !std::isfinite(x.sigma))
            throw FitError(where(x, i) + ": sigma must be a positive finite number");
        if (x.property == FitProperty::K && !(x.value > 0.0))
            throw FitError(where(x, i) + ": K must be positive (the fit works on ln K)");
        const double s = affine_sigma(x);
        if (!std::isfinite(s) || !(s > 0.0))
            throw FitError(where(x, i) + ": the uncertainty of ln K, sigma/K = " + number_text(x.sigma) + "/" +
                           number_text(x.value) + ", is " + (s > 0.0 ? "too large" : "too small") +
                           " for a double");
    }
}

// A caller's stop (Ctrl-C in Python) is asked for before each case the fit runs.
void check_stop(const FitOptions& options)
{
    if (options.stop_requested && options.stop_requested()) throw FitStopped();
}

// The fit's working data: the affine form at each state of water, shared by
// the points there, and the state of each point (or none).
struct Design {
    std::vector<State> states;
    std::vector<std::size_t> state_of;  // per point; npos: no state (inputs not finite)
    std::size_t used_states = 0;
};

constexpr std::size_t kNoState = static_cast<std::size_t>(-1);

// Computes each distinct state once and fills the result's rows.  A point
// whose temperature or pressure is not a finite number is a failed point: it
// names no state (and is never a key of the map of states).
Design compute_design(const CatalogueEntry& solute, std::span<const FitPoint> points, const FitOptions& options,
                      FitResult& res)
{
    std::array<PreparedSolute, 4> prepared;
    for (std::size_t k = 0; k < prepared.size(); ++k) prepared[k] = Prepare_Solute(solute, kDesignPoints[k]);
    // A solute whose catalogue line leaves xi, a or b empty has no values of its own.
    std::optional<PreparedSolute> own;
    if (Missing_Parameters(solute.Xi, solute.Coef1, solute.Coef2).empty()) own = Prepare_Solute(solute);
    Design d;
    std::map<StateKey, std::size_t> index;
    res.rows.reserve(points.size());
    for (const FitPoint& x : points) {
        FitRow row;
        row.point = x;
        if (!std::isfinite(x.TC) || !std::isfinite(x.Pbar)) {
            row.error = std::string("Type mismatch: the ") + (std::isfinite(x.TC) ? "pressure" : "temperature") +
                        " is not a finite number";
            d.state_of.push_back(kNoState);
            res.rows.push_back(std::move(row));
            continue;
        }
        const auto [it, added] = index.try_emplace(StateKey{x.TC, x.Pbar}, d.states.size());
        if (added) {
            check_stop(options);
            d.states.push_back(compute_state(prepared, own ? &*own : nullptr, x.TC, x.Pbar));
        }
        const State& st = d.states[it->second];
        d.state_of.push_back(it->second);
        row.used = st.ok;
        row.pressure_used = st.pressure_used;
        row.kind = st.kind;
        row.error = st.error;
        if (st.start) row.start = (*st.start)[static_cast<std::size_t>(x.property)];
        res.rows.push_back(std::move(row));
    }
    std::vector<char> state_used(d.states.size(), 0);
    for (std::size_t i = 0; i < res.rows.size(); ++i)
        if (res.rows[i].used) state_used[d.state_of[i]] = 1;
    for (const char u : state_used) d.used_states += u;
    return d;
}

// The weighted least-squares problem of the free parameters.  Every sigma is
// first divided by the same power of two, the one of the largest, so that
// weights and squares neither over- nor underflow whatever the unit of the
// data (and the parameters do not depend on a common scale of the sigmas);
// each column is then scaled to unit length.
struct System {
    Eigen::MatrixXd M;
    Eigen::VectorXd rhs, scale;
    double sigma_scale = 1.0;  // a power of two
    double largest_sigma = 0.0;
    std::vector<std::size_t> used;
};

System weighted_system(std::span<const FitPoint> points, const Design& d, const FitResult& res,
                       const std::vector<int>& free)
{
    System sys;
    double largest = 0.0;
    for (std::size_t i = 0; i < res.rows.size(); ++i)
        if (res.rows[i].used) {
            sys.used.push_back(i);
            largest = std::max(largest, affine_sigma(points[i]));
        }
    sys.largest_sigma = largest;
    sys.sigma_scale = std::ldexp(1.0, std::ilogb(largest));
    const long n = static_cast<long>(sys.used.size());
    const long p = static_cast<long>(free.size());
    sys.M.resize(n, p);
    sys.rhs.resize(n);
    for (long r = 0; r < n; ++r) {
        const FitPoint& x = points[sys.used[r]];
        const State& st = d.states[d.state_of[sys.used[r]]];
        const auto prop = static_cast<std::size_t>(x.property);
        const double s = affine_sigma(x) / sys.sigma_scale;
        if (!(s > 0.0))
            throw FitError(where(x, sys.used[r]) + ": its sigma, " + number_text(x.sigma) +
                           ", is too small beside the largest for a double to weigh both");
        double y = affine_quantity(x.property, x.value) - st.c0[prop];
        for (int j = 0; j < 3; ++j)
            if (res.fixed[j]) y -= st.c[prop][j] * res.value[j];
        sys.rhs(r) = y / s;
        for (long k = 0; k < p; ++k) sys.M(r, k) = st.c[prop][free[k]] / s;
    }
    sys.scale = Eigen::VectorXd::Ones(p);
    for (long k = 0; k < p; ++k) {
        const double norm = sys.M.col(k).norm();
        if (norm > 0.0 && std::isfinite(norm)) sys.scale(k) = norm;
        sys.M.col(k) /= sys.scale(k);
    }
    if (!sys.M.allFinite() || !sys.rhs.allFinite())
        throw FitError("the weighted design is not finite: a value or its calculation is beyond the range of a double");
    return sys;
}

// Solves the system for the free parameters; their covariance for sigmas of
// the scaled unit goes to `cov`.
void solve(const System& sys, const std::vector<int>& free, std::size_t used_states, const std::string& left_out,
           FitResult& res, Eigen::MatrixXd& cov)
{
    const long n = sys.M.rows(), p = sys.M.cols();
    cov = Eigen::MatrixXd::Zero(p, p);
    if (p == 0) return;
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(sys.M);
    qr.setThreshold(1e-10);
    if (qr.rank() < p)
        throw FitError("singular design: the " + count(n, "point", "points") + " at " +
                       count(static_cast<long>(used_states), "state", "states") + " of water determine only " +
                       std::to_string(qr.rank()) + " of the " + std::to_string(p) + " free parameters (" +
                       parameter_list(free) +
                       "); add points at other temperatures or pressures, or of other properties, "
                       "or hold parameters fixed" + left_out);
    const Eigen::VectorXd x = qr.solve(sys.rhs);
    const Eigen::MatrixXd Rinv =
        qr.matrixR().topLeftCorner(p, p).triangularView<Eigen::Upper>().solve(Eigen::MatrixXd::Identity(p, p));
    const auto& P = qr.colsPermutation();
    cov = P * (Rinv * Rinv.transpose()) * P.transpose();
    for (long k = 0; k < p; ++k) {
        res.value[free[k]] = x(k) / sys.scale(k);
        for (long l = 0; l < p; ++l) cov(k, l) /= sys.scale(k) * sys.scale(l);
    }
    for (const int j : free)
        if (!std::isfinite(res.value[j]))
            throw FitError("the fit gave no finite value of " + std::string(kFitParameterNames[j]) +
                           "; the design is too ill-conditioned");
}

// Fitted values from the calculation itself at the fitted parameters, one
// case per state; the residuals and chi2 (for sigmas of the scaled unit).
double fitted_values(const CatalogueEntry& solute, const System& sys, const FitOptions& options, FitResult& res)
{
    const PreparedSolute fitted = Prepare_Solute(solute, SoluteParameters{res.value[0], res.value[1], res.value[2]});
    std::map<StateKey, Values> runs;
    CaseResult r;
    double chi2 = 0.0;
    for (const std::size_t i : sys.used) {
        FitRow& row = res.rows[i];
        const FitPoint& x = row.point;
        auto it = runs.find({x.TC, x.Pbar});
        if (it == runs.end()) {
            check_stop(options);
            Run_Case(fitted, x.TC, x.Pbar, r);
            if (!r.ok)
                throw FitError("the calculation fails at the fitted parameters at " + number_text(x.TC) + " degC, " +
                               number_text(x.Pbar) + " bar: " + r.error);
            it = runs.emplace(StateKey{x.TC, x.Pbar}, property_values(r)).first;
        }
        row.fitted = it->second[static_cast<std::size_t>(x.property)];
        row.residual = x.value - row.fitted;
        const double w = (affine_quantity(x.property, x.value) - affine_quantity(x.property, row.fitted)) /
                         (affine_sigma(x) / sys.sigma_scale);
        chi2 += w * w;
    }
    return chi2;
}

// `scaled` * `factor`, or nullopt where the product leaves the range of a
// double (overflows, or underflows from a number that is not zero).
std::optional<double> unscaled(double scaled, double factor)
{
    const double v = scaled * factor;
    if (!std::isfinite(v) || (scaled != 0.0 && std::fabs(v) < 0x1p-1022)) return std::nullopt;
    return v;
}

std::string range_note(const char* what, double largest_sigma, bool over)
{
    return std::string(what) + (over ? " overflows" : " underflows") + " a double: the sigmas (up to " +
           number_text(largest_sigma) + ") are too " + (over ? "large" : "small") +
           "; give the values and sigmas in another unit";
}

// Covariance, standard errors and correlation from the covariance `cov` of
// the free parameters for sigmas of the scaled unit, and chi2.  Where the
// covariance cannot be held in a double, no uncertainty is given and the
// note says why.
void covariance(const FitOptions& options, const System& sys, const Eigen::MatrixXd& cov, double chi2_scaled,
                const std::vector<int>& free, FitResult& res)
{
    const double sq = sys.sigma_scale * sys.sigma_scale;
    res.chi2 = chi2_scaled / sq;  // an underflow rounds to zero, as it would print
    if (!std::isfinite(res.chi2)) res.note = range_note("chi2", sys.largest_sigma, true);
    res.has_uncertainty = options.sigma_known || res.dof > 0;
    res.covariance_scaled = !options.sigma_known && res.dof > 0;
    if (!res.has_uncertainty) return;
    // Scaled by chi2/dof, the unit of the sigmas cancels.
    const double factor = res.covariance_scaled ? chi2_scaled / res.dof : sq;
    const long p = static_cast<long>(free.size());
    for (long k = 0; k < p; ++k)
        for (long l = 0; l < p; ++l) {
            const std::optional<double> v = unscaled(cov(k, l), factor);
            if (!v) {
                res.covariance = {};
                res.has_uncertainty = res.covariance_scaled = false;
                res.note = "no standard errors: " + range_note("the covariance of the parameters",
                                                                sys.largest_sigma, !(std::fabs(cov(k, l) * factor) < 1.0));
                return;
            }
            res.covariance[free[k]][free[l]] = *v;
        }
    for (int j = 0; j < 3; ++j) res.standard_error[j] = std::sqrt(res.covariance[j][j]);
    for (int j = 0; j < 3; ++j)
        for (int k = 0; k < 3; ++k) {
            const double d = res.standard_error[j] * res.standard_error[k];
            res.correlation[j][k] = !(d > 0.0) ? 0.0 : j == k ? 1.0 : res.covariance[j][k] / d;
        }
}

// RMS of value - fitted per property present, and the same with the
// solute's own parameters where every point of the property has it.
void summary(const System& sys, FitResult& res)
{
    for (const FitProperty prop : Fit_Properties()) {
        PropertyRms pr;
        pr.property = prop;
        double sum = 0.0, sum_start = 0.0;
        bool all_start = true;
        for (const std::size_t i : sys.used) {
            const FitRow& row = res.rows[i];
            if (row.point.property != prop) continue;
            ++pr.count;
            sum += row.residual * row.residual;
            if (row.start)
                sum_start += (row.point.value - *row.start) * (row.point.value - *row.start);
            else
                all_start = false;
        }
        if (pr.count == 0) continue;
        pr.rms = std::sqrt(sum / pr.count);
        if (all_start) pr.rms_start = std::sqrt(sum_start / pr.count);
        res.rms.push_back(pr);
    }
}

std::string left_out_note(const FitResult& res)
{
    const int failed = res.failed();
    return failed ? " (" + count(failed, "point", "points") + " could not be computed and " +
                        (failed == 1 ? "was" : "were") + " left out)"
                  : "";
}

void check_enough_points(const FitResult& res, long n, const std::vector<int>& free)
{
    const long p = static_cast<long>(free.size());
    if (n == 0) {
        const FitRow& first = res.rows.front();
        throw FitError("no point could be computed; the first" +
                       (first.point.line ? " (line " + std::to_string(first.point.line) + ")" : std::string()) +
                       ": " + first.error);
    }
    if (n < p)
        throw FitError(count(p, "free parameter", "free parameters") + " (" + parameter_list(free) +
                       ") need at least " + count(p, "point", "points") + ", only " + std::to_string(n) +
                       (n == 1 ? " was" : " were") + " computed" + left_out_note(res));
}

}  // namespace

int FitResult::failed() const
{
    int k = 0;
    for (const FitRow& r : rows) k += r.used ? 0 : 1;
    return k;
}

FitResult Fit_Solute(const CatalogueEntry& solute, std::span<const FitPoint> points, const FitOptions& options)
{
    FitResult res;
    res.formula = solute.Formula;
    res.start = {solute.Xi, solute.Coef1, solute.Coef2};
    const std::vector<int> free = free_parameters(options, res);
    check_points(points);

    System sys;
    Eigen::MatrixXd cov;
    {
        const Design d = compute_design(solute, points, options, res);
        long n = 0;
        for (const FitRow& row : res.rows) n += row.used ? 1 : 0;
        check_enough_points(res, n, free);
        sys = weighted_system(points, d, res, free);
        solve(sys, free, d.used_states, left_out_note(res), res, cov);
    }
    res.n = static_cast<int>(sys.used.size());
    res.dof = static_cast<int>(sys.used.size() - free.size());
    const double chi2_scaled = fitted_values(solute, sys, options, res);
    covariance(options, sys, cov, chi2_scaled, free, res);
    summary(sys, res);
    return res;
}

}  // namespace aqvis
