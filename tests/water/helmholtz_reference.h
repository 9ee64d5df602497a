#pragma once
#include "water/helmholtz.h"

namespace aqvis::test {

// Plain evaluation of the reduced Helmholtz function of water, loop for loop
// over every table entry with the general power function, exactly in the
// order of the textbook sums.  It is the oracle for the fast evaluation.
struct HelmholtzReference {
    Helmholtz h;
    // Largest magnitude among the pieces summed into A and its derivatives:
    // differences of the order of rounding are measured against it.
    double scale;
};
HelmholtzReference Helmholtz_H2O_Reference(double T, double ro);

}  // namespace aqvis::test
