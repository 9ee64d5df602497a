#pragma once
// aqvis._core: the solute catalogue, the output members with their units and
// the error kinds, as plain Python tuples.

#include <pybind11/pybind11.h>

#include "solute/catalogue.h"

namespace aqvis::python {

void Bind_Catalogue(pybind11::module_& m);

// The solute a Python call names: a formula of the built-in catalogue, or a
// record tuple (formula, xi, a, b, G0gas, S0gas, agas, bgasE3, cgasEmin5,
// covariance) as aqvis.load_catalogue holds it, the covariance six numbers
// (var_xi, var_a, var_b, cov_xi_a, cov_xi_b, cov_a_b) or None, given for
// the uncertainties alone.  ValueError for an unknown formula or a matrix
// that is no covariance.
CatalogueEntry Entry_Of(const pybind11::object& solute);

}  // namespace aqvis::python
