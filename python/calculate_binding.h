#pragma once
// aqvis._core.calculate: one solute over arrays of temperature, pressure and
// parameters, every point run as one case on a pool of threads with the GIL
// released.

#include <pybind11/pybind11.h>

#include "solute/catalogue.h"

namespace aqvis::python {

void Bind_Calculate(pybind11::module_& m);

// Every point of T, P and the optional xi, a, b (None or float64 arrays of
// one shape) for `solute`, on `threads` threads: (members dict, uint8 failure
// codes, message of the failure when there is one point).
pybind11::tuple Calculate_Points(const CatalogueEntry& solute, const pybind11::object& T,
                                 const pybind11::object& P, const pybind11::object& xi,
                                 const pybind11::object& a, const pybind11::object& b, long threads);

}  // namespace aqvis::python
