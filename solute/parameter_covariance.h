#pragma once
// The covariance of a solute's parameters ξ, a and b: how well a fit knows
// them.  Every standard property of the solute is affine in (ξ, a, b) at a
// fixed state of water, so its variance follows from this matrix exactly.

#include <array>
#include <string>

namespace aqvis {

// Symmetric 3×3 matrix in the order ξ (1), a and b (cm³/g): variances on the
// diagonal (1, (cm³/g)²), covariances off it.  A parameter held fixed has a
// row and column of zeros.
struct ParameterCovariance {
    std::array<std::array<double, 3>, 3> m{};
    bool operator==(const ParameterCovariance&) const = default;
};

// The names of the six numbers that give the matrix, in the order of the
// catalogue file's columns: the three variances, then the covariances of
// (ξ, a), (ξ, b) and (a, b).
inline constexpr std::array<const char*, 6> kCovarianceColumns = {"var_xi",   "var_a",    "var_b",
                                                                    "cov_xi_a", "cov_xi_b", "cov_a_b"};

// The matrix of the six numbers in that order.
ParameterCovariance Covariance_From(const std::array<double, 6>& v);
// The six numbers of the matrix, in that order.
std::array<double, 6> Covariance_Numbers(const ParameterCovariance& c);

// Largest amount by which an eigenvalue of the correlation matrix may fall
// below zero and still count as round-off (the correlation matrix is
// dimensionless, its eigenvalues sum to the number of free parameters).
inline constexpr double kCovarianceRoundOff = 1e-10;

// Why `c` is not the covariance of three parameters, or "" when it is: a
// variance that is negative or not finite, a covariance that is not
// symmetric or not finite, a covariance of a parameter without variance, a
// correlation beyond ±1 or a negative eigenvalue of the correlation matrix
// beyond round-off (the matrix is not positive semi-definite).  Checked on
// the correlations, so the answer does not depend on the parameters' units.
std::string Covariance_Problem(const ParameterCovariance& c);

}  // namespace aqvis
