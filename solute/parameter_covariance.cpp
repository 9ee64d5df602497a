#include "solute/parameter_covariance.h"

#include <Eigen/Eigenvalues>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace aqvis {

namespace {

constexpr const char* kNames[3] = {"xi", "a", "b"};
// Column of the covariance of parameters i < j among kCovarianceColumns.
constexpr int kPairColumn[3][3] = {{-1, 3, 4}, {3, -1, 5}, {4, 5, -1}};

std::string number(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

// The problem of an entry read on its own: a variance below zero, a value
// that is not finite, a covariance that is not symmetric.
std::string entry_problem(const ParameterCovariance& c)
{
    for (int i = 0; i < 3; ++i) {
        const double v = c.m[i][i];
        if (!std::isfinite(v)) return std::string(kCovarianceColumns[i]) + " is not a finite number";
        if (v < 0.0) return std::string(kCovarianceColumns[i]) + " is negative (" + number(v) + "): a variance is never below zero";
        for (int j = i + 1; j < 3; ++j) {
            const double x = c.m[i][j], y = c.m[j][i];
            const std::string name = kCovarianceColumns[kPairColumn[i][j]];
            if (!std::isfinite(x) || !std::isfinite(y)) return name + " is not a finite number";
            // Both halves of one covariance: equal up to the last bits.
            if (std::abs(x - y) > 1e-12 * std::max(std::abs(x), std::abs(y)))
                return name + " is not symmetric (" + number(x) + " and " + number(y) + ")";
        }
    }
    return "";
}

}  // namespace

ParameterCovariance Covariance_From(const std::array<double, 6>& v)
{
    ParameterCovariance c;
    for (int i = 0; i < 3; ++i) c.m[i][i] = v[i];
    for (int i = 0; i < 3; ++i)
        for (int j = i + 1; j < 3; ++j) c.m[i][j] = c.m[j][i] = v[kPairColumn[i][j]];
    return c;
}

std::array<double, 6> Covariance_Numbers(const ParameterCovariance& c)
{
    return {c.m[0][0], c.m[1][1], c.m[2][2], c.m[0][1], c.m[0][2], c.m[1][2]};
}

std::string Covariance_Problem(const ParameterCovariance& c)
{
    if (std::string p = entry_problem(c); !p.empty()) return p;
    // The correlation matrix of the parameters that vary; one without
    // variance (held fixed) can covary with nothing.
    int free[3], n = 0;
    for (int i = 0; i < 3; ++i) {
        if (c.m[i][i] > 0.0) {
            free[n++] = i;
            continue;
        }
        for (int j = 0; j < 3; ++j)
            if (j != i && c.m[i][j] != 0.0)
                return std::string(kCovarianceColumns[kPairColumn[std::min(i, j)][std::max(i, j)]]) +
                       " is not zero although var_" + kNames[i] + " is: a parameter without spread covaries with nothing";
    }
    Eigen::Matrix3d r = Eigen::Matrix3d::Identity();
    for (int p = 0; p < n; ++p)
        for (int q = p + 1; q < n; ++q) {
            const int i = free[p], j = free[q];
            const double rho = c.m[i][j] / std::sqrt(c.m[i][i]) / std::sqrt(c.m[j][j]);
            if (std::abs(rho) > 1.0 + kCovarianceRoundOff)
                return std::string(kCovarianceColumns[kPairColumn[i][j]]) + " makes the correlation of " + kNames[i] +
                       " and " + kNames[j] + " " + number(rho) + ", beyond -1..1";
            r(p, q) = r(q, p) = rho;
        }
    if (n < 3) return "";  // a correlation within -1..1 of two parameters is enough
    const double smallest = Eigen::SelfAdjointEigenSolver<Eigen::Matrix3d>(r, Eigen::EigenvaluesOnly).eigenvalues()(0);
    if (smallest < -kCovarianceRoundOff)
        return "the covariance of xi, a and b is not positive semi-definite: its correlation matrix has the "
               "eigenvalue " + number(smallest) + ", below zero beyond round-off";
    return "";
}

}  // namespace aqvis
