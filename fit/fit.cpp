#include "fit/fit.h"

#include <Eigen/Dense>

#include <cmath>
#include <map>
#include <utility>

#include "driver/case_runner.h"
#include "results/members.h"
#include "solute/csv_text.h"

namespace aqvis {

namespace {

constexpr int kProperties = 6;

// The parameter points the design is read from: the origin, then the unit
// point of xi, a and b.
const std::array<SoluteParameters, 4> kDesignPoints = {{
    {0.0, 0.0, 0.0},
    {1.0, 0.0, 0.0},
    {0.0, 1.0, 0.0},
    {0.0, 0.0, 1.0},
}};

// A property's value in a finished case, in the registry's unit.
double property_value(FitProperty p, const CaseResult& r)
{
    return Member_Value(*Find_Member(Property_Name(p)), r.state, r.derived);
}

// The quantity that is affine in xi, a and b: ln K for K, the value itself
// for the others.
double affine_quantity(FitProperty p, double value) { return p == FitProperty::K ? std::log(value) : value; }

// Its standard uncertainty, from the point's sigma (to first order for ln K).
double affine_sigma(const FitPoint& x) { return x.property == FitProperty::K ? x.sigma / x.value : x.sigma; }

// One state of water and the affine form of every property there:
// quantity = c0 + c[0] xi + c[1] a + c[2] b.
struct State {
    bool ok = false;
    ErrorKind kind = ErrorKind::TypeMismatch;
    std::string error;
    std::optional<double> pressure_used;
    std::array<double, kProperties> c0{};
    std::array<std::array<double, 3>, kProperties> c{};
    std::optional<std::array<double, kProperties>> start;  // natural values, own parameters
};

State compute_state(const std::array<PreparedSolute, 4>& design, const PreparedSolute& own, double TC,
                    double Pbar)
{
    State st;
    std::array<std::array<double, kProperties>, 4> q{};
    CaseResult r;
    for (std::size_t k = 0; k < design.size(); ++k) {
        Run_Case(design[k], TC, Pbar, r);
        if (!r.ok) {
            st.kind = r.kind;
            st.error = r.error;
            st.pressure_used = r.pressure_used;
            return st;
        }
        for (const FitProperty p : Fit_Properties()) {
            const auto i = static_cast<std::size_t>(p);
            q[k][i] = affine_quantity(p, property_value(p, r));
        }
    }
    st.ok = true;
    st.pressure_used = r.pressure_used;
    for (std::size_t i = 0; i < kProperties; ++i) {
        st.c0[i] = q[0][i];
        for (std::size_t j = 0; j < 3; ++j) st.c[i][j] = q[j + 1][i] - q[0][i];
    }
    Run_Case(own, TC, Pbar, r);
    if (r.ok) {
        std::array<double, kProperties> v{};
        for (const FitProperty p : Fit_Properties()) v[static_cast<std::size_t>(p)] = property_value(p, r);
        st.start = v;
    }
    return st;
}

std::string parameter_list(const std::vector<int>& free)
{
    std::string s;
    for (std::size_t k = 0; k < free.size(); ++k)
        s += std::string(k == 0 ? "" : (k + 1 == free.size() ? " and " : ", ")) + kFitParameterNames[free[k]];
    return s;
}

std::string count(long n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
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
    std::vector<int> free;
    for (int j = 0; j < 3; ++j) {
        res.fixed[j] = options.fixed[j].has_value();
        if (res.fixed[j]) {
            if (!std::isfinite(*options.fixed[j]))
                throw FitError(std::string("the value ") + kFitParameterNames[j] + " is held at is not a finite number");
            res.value[j] = *options.fixed[j];
        } else {
            free.push_back(j);
        }
    }
    if (points.empty()) throw FitError("no data points to fit");
    for (std::size_t i = 0; i < points.size(); ++i) {
        const FitPoint& x = points[i];
        const std::string where = x.line ? "line " + std::to_string(x.line) : "point " + std::to_string(i + 1);
        if (!std::isfinite(x.value)) throw FitError(where + ": the value is not a finite number");
        if (!(x.sigma > 0.0) || !std::isfinite(x.sigma))
            throw FitError(where + ": sigma must be a positive finite number");
        if (x.property == FitProperty::K && !(x.value > 0.0))
            throw FitError(where + ": K must be positive (the fit works on ln K)");
    }

    // The affine form of every property at each state of water, computed once per state.
    std::array<PreparedSolute, 4> design;
    for (std::size_t k = 0; k < design.size(); ++k) design[k] = Prepare_Solute(solute, kDesignPoints[k]);
    const PreparedSolute own = Prepare_Solute(solute);
    std::map<std::pair<double, double>, State> states;
    std::vector<const State*> state_of;
    const auto check_stop = [&options] {
        if (options.stop_requested && options.stop_requested()) throw FitStopped();
    };
    for (const FitPoint& x : points) {
        const auto key = std::make_pair(x.TC, x.Pbar);
        auto it = states.find(key);
        if (it == states.end()) {
            check_stop();
            it = states.emplace(key, compute_state(design, own, x.TC, x.Pbar)).first;
        }
        state_of.push_back(&it->second);
        FitRow row;
        row.point = x;
        row.used = it->second.ok;
        row.pressure_used = it->second.pressure_used;
        row.kind = it->second.kind;
        row.error = it->second.error;
        if (it->second.start) row.start = (*it->second.start)[static_cast<std::size_t>(x.property)];
        res.rows.push_back(std::move(row));
    }

    std::vector<std::size_t> used;
    std::map<std::pair<double, double>, int> used_states;
    for (std::size_t i = 0; i < res.rows.size(); ++i)
        if (res.rows[i].used) {
            used.push_back(i);
            ++used_states[{points[i].TC, points[i].Pbar}];
        }
    const long n = static_cast<long>(used.size());
    const long p = static_cast<long>(free.size());
    const int failed = res.failed();
    const std::string left_out =
        failed ? " (" + count(failed, "point", "points") + " could not be computed and " +
                     (failed == 1 ? "was" : "were") + " left out)"
               : "";
    if (n == 0) {
        const FitRow& first = res.rows.front();
        throw FitError("no point could be computed; the first" +
                       (first.point.line ? " (line " + std::to_string(first.point.line) + ")" : std::string()) +
                       ": " + first.error);
    }
    if (n < p)
        throw FitError(count(p, "free parameter", "free parameters") + " (" + parameter_list(free) +
                       ") need at least " + count(p, "point", "points") + ", only " + std::to_string(n) +
                       (n == 1 ? " was" : " were") + " computed" + left_out);

    // Weighted design of the free parameters, each column scaled to unit length.
    Eigen::MatrixXd M(n, p);
    Eigen::VectorXd rhs(n);
    for (long r = 0; r < n; ++r) {
        const FitPoint& x = points[used[r]];
        const State& st = *state_of[used[r]];
        const auto prop = static_cast<std::size_t>(x.property);
        const double s = affine_sigma(x);
        double y = affine_quantity(x.property, x.value) - st.c0[prop];
        for (int j = 0; j < 3; ++j)
            if (res.fixed[j]) y -= st.c[prop][j] * res.value[j];
        rhs(r) = y / s;
        for (long k = 0; k < p; ++k) M(r, k) = st.c[prop][free[k]] / s;
    }
    Eigen::VectorXd scale = Eigen::VectorXd::Ones(p);
    for (long k = 0; k < p; ++k) {
        const double norm = M.col(k).norm();
        if (norm > 0.0 && std::isfinite(norm)) scale(k) = norm;
        M.col(k) /= scale(k);
    }
    if (!M.allFinite() || !rhs.allFinite())
        throw FitError("the weighted design is not finite (a sigma too small for a double?)");

    Eigen::MatrixXd cov_free = Eigen::MatrixXd::Zero(p, p);
    if (p > 0) {
        Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(M);
        qr.setThreshold(1e-10);
        if (qr.rank() < p)
            throw FitError("singular design: the " + count(n, "point", "points") + " at " +
                           count(static_cast<long>(used_states.size()), "state", "states") +
                           " of water determine only " + std::to_string(qr.rank()) + " of the " +
                           std::to_string(p) + " free parameters (" + parameter_list(free) +
                           "); add points at other temperatures or pressures, or of other properties, "
                           "or hold parameters fixed" + left_out);
        const Eigen::VectorXd x = qr.solve(rhs);
        const Eigen::MatrixXd Rinv = qr.matrixR()
                                         .topLeftCorner(p, p)
                                         .triangularView<Eigen::Upper>()
                                         .solve(Eigen::MatrixXd::Identity(p, p));
        const auto& P = qr.colsPermutation();
        cov_free = P * (Rinv * Rinv.transpose()) * P.transpose();
        for (long k = 0; k < p; ++k) {
            res.value[free[k]] = x(k) / scale(k);
            for (long l = 0; l < p; ++l) cov_free(k, l) /= scale(k) * scale(l);
        }
        for (const int j : free)
            if (!std::isfinite(res.value[j]))
                throw FitError("the fit gave no finite value of " + std::string(kFitParameterNames[j]) +
                               "; the design is too ill-conditioned");
    }

    // Fitted values from the calculation itself at the fitted parameters.
    const PreparedSolute fitted =
        Prepare_Solute(solute, SoluteParameters{res.value[0], res.value[1], res.value[2]});
    std::map<std::pair<double, double>, CaseResult> fitted_runs;
    res.n = static_cast<int>(n);
    res.dof = static_cast<int>(n - p);
    for (const std::size_t i : used) {
        FitRow& row = res.rows[i];
        const FitPoint& x = row.point;
        auto it = fitted_runs.find({x.TC, x.Pbar});
        if (it == fitted_runs.end()) {
            check_stop();
            it = fitted_runs.emplace(std::make_pair(x.TC, x.Pbar), Run_Case(fitted, x.TC, x.Pbar)).first;
        }
        const CaseResult& r = it->second;
        if (!r.ok)
            throw FitError("the calculation fails at the fitted parameters at " + Csv_Number(x.TC) + " degC, " +
                           Csv_Number(x.Pbar) + " bar: " + r.error);
        row.fitted = property_value(x.property, r);
        row.residual = x.value - row.fitted;
        const double w = (affine_quantity(x.property, x.value) - affine_quantity(x.property, row.fitted)) /
                         affine_sigma(x);
        res.chi2 += w * w;
    }

    res.has_uncertainty = options.sigma_known || res.dof > 0;
    res.covariance_scaled = !options.sigma_known && res.dof > 0;
    if (res.has_uncertainty) {
        const double factor = res.covariance_scaled ? res.chi2 / res.dof : 1.0;
        for (long k = 0; k < p; ++k)
            for (long l = 0; l < p; ++l) res.covariance[free[k]][free[l]] = cov_free(k, l) * factor;
        for (int j = 0; j < 3; ++j) res.standard_error[j] = std::sqrt(res.covariance[j][j]);
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) {
                const double d = res.standard_error[j] * res.standard_error[k];
                res.correlation[j][k] = !(d > 0.0) ? 0.0 : j == k ? 1.0 : res.covariance[j][k] / d;
            }
    }

    for (const FitProperty prop : Fit_Properties()) {
        PropertyRms pr;
        pr.property = prop;
        double sum = 0.0, sum_start = 0.0;
        bool all_start = true;
        for (const std::size_t i : used) {
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
    return res;
}

}  // namespace aqvis
