#pragma once
// aqvis._core.solubility: the gas-liquid equilibrium of one solute with
// water over arrays of temperature and pressure (or molality, for the bubble
// pressure), on a pool of threads with the GIL released.

#include <pybind11/pybind11.h>

namespace aqvis::python {

void Bind_Solubility(pybind11::module_& m);

}  // namespace aqvis::python
