#pragma once
// aqvis._core: the solute catalogue, the output members with their units and
// the error kinds, as plain Python tuples.

#include <pybind11/pybind11.h>

namespace aqvis::python {

void Bind_Catalogue(pybind11::module_& m);

}  // namespace aqvis::python
