#pragma once
// aqvis._core: the solute catalogue, the output members with their units and
// the error kinds, as plain Python tuples.

#include <pybind11/pybind11.h>

#include "solute/catalogue.h"

namespace aqvis::python {

void Bind_Catalogue(pybind11::module_& m);

// The solute a Python call names: a formula of the built-in catalogue, or a
// record tuple (formula, xi, a, b, G0gas, S0gas, agas, bgasE3, cgasEmin5,
// ...) as aqvis.load_catalogue holds it.  ValueError for an unknown formula.
CatalogueEntry Entry_Of(const pybind11::object& solute);

}  // namespace aqvis::python
