#pragma once
// aqvis._core.calculate_one: one state given as plain numbers, computed on
// the calling thread with the GIL released, its members returned as numpy
// float64 scalars without an array in between; and the choice of members
// that it shares with aqvis._core.calculate.

#include <pybind11/pybind11.h>

#include <vector>

#include "results/members.h"

namespace aqvis::python {

// The output members a call asks for: None for all of them, or a tuple of
// indices into Output_Members() in the order wanted; the index past the last
// stands for the kind and is left out here (the caller forms the kind).
std::vector<const Member*> Selected_Members(const pybind11::object& members,
                                            std::span<const Member> all = Output_Members());

void Bind_Calculate_One(pybind11::module_& m);

}  // namespace aqvis::python
