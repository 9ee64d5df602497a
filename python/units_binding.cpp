#include "units_binding.h"

#include <pybind11/numpy.h>

#include <string>
#include <vector>

#include "results/members.h"
#include "results/model_range.h"

namespace py = pybind11;

namespace aqvis::python {

namespace {

template <class Unit>
void read_unit(const py::handle& given, const char* keyword, const char* choices,
               std::optional<Unit> (*parse)(std::string_view), Unit& out)
{
    if (given.is_none()) return;
    std::optional<Unit> u;
    if (py::isinstance<py::str>(given)) u = parse(given.cast<std::string>());
    if (!u)
        throw py::value_error(std::string(keyword) + " must be one of '" +
                              [&] {
                                  std::string c(choices);
                                  for (std::size_t i; (i = c.find('|')) != std::string::npos;)
                                      c.replace(i, 1, "', '");
                                  return c;
                              }() +
                              "', not " + py::repr(given).cast<std::string>());
    out = *u;
}

// The members of `which` ("case", "uncertainty": those of a case followed by
// the u_ members, or "water") as (name, unit, meaning, plot_unit, is_input)
// with energies in `energy_unit`.
py::list Members_In(const std::string& which, const py::object& energy_unit)
{
    const Units u = Units_Of(py::make_tuple(py::none(), py::none(), energy_unit));
    py::list out;
    for (const Member& m : which == "water" ? Water_Members() : Output_Members(which == "uncertainty"))
        out.append(py::make_tuple(m.name, Member_Unit(m, u.energy), m.meaning, Member_Unit(m, u.energy, true),
                                  Is_Input_Member(m)));
    return out;
}

// The values of `given` turned by `convert` into the calculation's unit.
template <class Convert>
py::array_t<double> converted(const py::array_t<double, py::array::c_style | py::array::forcecast>& given,
                              Convert convert)
{
    py::array_t<double> out(std::vector<py::ssize_t>(given.shape(), given.shape() + given.ndim()));
    const double* in = given.data();
    double* o = out.mutable_data();
    for (py::ssize_t i = 0; i < given.size(); ++i) o[i] = convert(in[i]);
    return out;
}

}  // namespace

Units Units_Of(const py::object& units)
{
    Units u;
    if (units.is_none()) return u;
    const py::tuple t = units.cast<py::tuple>();
    if (t.size() != 3) throw py::value_error("units: (T_unit, P_unit, E_unit)");
    read_unit(t[0], "T_unit", Temp_Unit_Choices(), Parse_Temp_Unit, u.temp);
    read_unit(t[1], "P_unit", Press_Unit_Choices(), Parse_Press_Unit, u.press);
    read_unit(t[2], "E_unit", Energy_Unit_Choices(), Parse_Energy_Unit, u.energy);
    return u;
}

void Bind_Units(py::module_& m)
{
    m.def("members_in", &Members_In, py::arg("which"), py::arg("E_unit") = py::none(),
          "The members of 'case', 'uncertainty' (a case's and the u_ members) or 'water' as\n"
          "(name, unit, meaning, plot_unit, is_input),\n"
          "energies in E_unit ('cal' or 'J').");
    m.def("check_units", [](const py::object& units) { Units_Of(units); }, py::arg("units"),
          "Raises ValueError unless units is None or (T_unit, P_unit, E_unit) of known units.");
    m.def("to_model_units",
          [](const py::array_t<double, py::array::c_style | py::array::forcecast>& T,
             const py::array_t<double, py::array::c_style | py::array::forcecast>& P, const py::object& units) {
              const Units u = Units_Of(units);
              return py::make_tuple(converted(T, [&](double v) { return Celsius_From(v, u.temp); }),
                                    converted(P, [&](double v) { return Bar_From(v, u.press); }));
          },
          py::arg("T"), py::arg("P"), py::arg("units"),
          "(T in degC, P in bar) from T and P given in units (T_unit, P_unit, E_unit).");
    m.def("model_range", [] { return py::make_tuple(kRangeMinC, kRangeMaxC, kRangeMinBar, kRangeMaxBar); },
          "The range the model is meant for: (min degC, max degC, min bar, max bar).");
}

}  // namespace aqvis::python
