#include "interrupt.h"

#include <pybind11/pybind11.h>

namespace aqvis::python {

bool InterruptCheck::operator()()
{
    if (raised_) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now < next_) return false;
    next_ = now + kPeriod;
    pybind11::gil_scoped_acquire gil;
    raised_ = PyErr_CheckSignals() != 0;
    return raised_;
}

}  // namespace aqvis::python
