// One calculation from any temperature, pressure, xi, a and b, as the window
// runs it: the texts are read, the parameters accepted, the properties
// computed, the panel captions and the report line formatted.
//
// Input: byte 0 picks the solute; byte 1 the mode: bit 0 clear, the rest is
// text, one field per line (temperature, pressure, xi, a, b; a missing field
// keeps the catalogue value, an empty temperature or pressure means 0 degC or
// 1 bar); bit 0 set, the rest is up to five doubles of eight bytes written out
// as text ("inf" and "nan" included).  Bit 1 picks ',' as the decimal
// separator instead of '.'.
//
// Properties: every input ends with either all results finite (and the
// density and the compressibility of water positive) or a CalcError of a
// named kind; the density solver evaluates the Helmholtz function a bounded
// number of times.

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/errors.h"
#include "driver/case_runner.h"
#include "fuzz_check.h"
#include "helmholtz_count.h"
#include "results/captions.h"
#include "results/number_format.h"
#include "results/report.h"
#include "solute/catalogue.h"

namespace {

// The density solver takes at most 30 steps of Newton's method for steam
// below the density floor, 300 plain Newton passes, then at most two
// safeguarded solves (its own branch, then the other) of one start and three
// phases of at most 201 steps each: 1540 evaluations per density.  A
// calculation solves three densities (at TK and TK -/+ 0.5 K) and, after a
// floating-point failure, replays itself once with per-statement checks.
constexpr long kMaxDensityParts = 2 * 3 * (30 + 300 + 2 * (1 + 3 * 201 + 1));
constexpr long kMaxCompletions = 2 * 3 * 4;  // Newton for steam, plain, two safeguarded

long g_max_seen = 0;

struct Fields {
    std::optional<std::string> temp, press, xi, a, b;
};

Fields text_fields(std::string_view rest)
{
    std::vector<std::string> f;
    std::size_t start = 0;
    while (f.size() < 5 && start <= rest.size()) {
        const std::size_t nl = rest.find('\n', start);
        const std::size_t end = nl == std::string_view::npos ? rest.size() : nl;
        f.emplace_back(rest.substr(start, end - start));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    Fields r;
    std::optional<std::string>* slots[] = {&r.temp, &r.press, &r.xi, &r.a, &r.b};
    for (std::size_t k = 0; k < f.size(); ++k) *slots[k] = f[k];
    return r;
}

Fields double_fields(std::string_view rest, std::string_view sep)
{
    Fields r;
    std::optional<std::string>* slots[] = {&r.temp, &r.press, &r.xi, &r.a, &r.b};
    for (std::size_t k = 0; k < 5 && (k + 1) * 8 <= rest.size(); ++k) {
        double v;
        std::memcpy(&v, rest.data() + 8 * k, 8);
        char buf[64];
        const auto res = std::to_chars(buf, buf + sizeof buf, v);
        std::string text(buf, res.ptr);
        if (const auto dot = text.find('.'); dot != std::string::npos) text.replace(dot, 1, sep);
        *slots[k] = text;
    }
    return r;
}

bool named_calculation_kind(aqvis::ErrorKind k)
{
    using aqvis::ErrorKind;
    return k == ErrorKind::DivisionByZero || k == ErrorKind::Overflow ||
           k == ErrorKind::InvalidOperation || k == ErrorKind::NoConvergence;
}

// What the window accepts: the three parameter boxes, then the temperature
// and the pressure.
struct Inputs {
    aqvis::SoluteParameters p;
    double TC = 0.0, Pbar = 1.0;
};

// The fields read as the window reads them; nullopt where one is not a
// number, which must be refused as a type mismatch.
std::optional<Inputs> read_inputs(const Fields& in, std::string_view sep)
{
    Inputs r;
    try {
        if (in.xi && !in.xi->empty()) r.p.xi = aqvis::Read_Number(*in.xi, sep);
        if (in.a && !in.a->empty()) r.p.a = aqvis::Read_Number(*in.a, sep);
        if (in.b && !in.b->empty()) r.p.b = aqvis::Read_Number(*in.b, sep);
        if (in.temp && !in.temp->empty()) r.TC = aqvis::Read_Number(*in.temp, sep);
        if (in.press && !in.press->empty()) r.Pbar = aqvis::Read_Number(*in.press, sep);
    } catch (const aqvis::CalcError& e) {
        FUZZ_CHECK(e.kind() == aqvis::ErrorKind::TypeMismatch, "reading gave %s",
                   aqvis::Error_Kind_Id(e.kind()));
        return std::nullopt;
    }
    return r;
}

// A finished case: its report line is one line, every result finite, water
// physical.
void check_results(const aqvis::WindowState& s, const aqvis::DerivedValues& d, std::string_view sep,
                   double TC, double Pbar)
{
    aqvis::Result_Captions(s, d, sep);  // formats every caption, or throws
    const std::string line = aqvis::Result_Line(s, d, sep);
    FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0 &&
                   line.find_first_of("\r\n") == line.size() - 2,
               "data line not one line: %s", line.c_str());
    const double results[] = {
        s.TK,       s.Pbar,     s.dH2O,        s.VH2O,    s.ddH2OdTK, s.ddH2OdPbar,
        s.d2dH2OdTK2, s.CpH2O, s.HH2O,        s.SH2O,    s.GH2O,     s.vapour.G,
        s.vapour.S, s.vapour.Cp, s.gas.G,      s.gas.S,   s.gas.Cp,   s.lnfH2O,
        s.dB12,     s.dB12d,    s.TdB12d,      s.dTdB12ddP, s.dTdB12ddT, s.d2TdB12ddT2,
        s.lnkH,     s.GTaqua,   s.S2,          s.V2,      s.Cp2};
    for (const double v : results)
        FUZZ_CHECK(std::isfinite(v), "a result is %g at %.17g degC, %.17g bar", v, TC, Pbar);
    FUZZ_CHECK(s.dH2O > 0.0 && s.ddH2OdPbar > 0.0,
               "unphysical water at %.17g degC, %.17g bar: density %g, d(density)/dP %g", TC,
               Pbar, s.dH2O, s.ddH2OdPbar);
}

// The density solver evaluated the Helmholtz function a bounded number of
// times; the most seen so far is printed as it grows.
void check_evaluations(double TC, double Pbar)
{
    const aqvis::count::HelmholtzCount n = aqvis::count::Helmholtz_Count();
    FUZZ_CHECK(n.density_parts <= kMaxDensityParts && n.completions <= kMaxCompletions,
               "%ld + %ld Helmholtz evaluations at %.17g degC, %.17g bar", n.density_parts,
               n.completions, TC, Pbar);
    if (n.density_parts > g_max_seen) {
        g_max_seen = n.density_parts;
        std::fprintf(stderr, "most Helmholtz evaluations so far: %ld (at %.17g degC, %.17g bar)\n",
                     g_max_seen, TC, Pbar);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) return 0;
    const aqvis::SoluteRecord& solute = aqvis::Solute_Catalogue[data[0] % 19];
    const std::string_view sep = (data[1] & 2) ? "," : ".";
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const Fields fields = (data[1] & 1) ? double_fields(rest, sep) : text_fields(rest);
    const std::optional<Inputs> in = read_inputs(fields, sep);
    if (!in) return 0;
    const double TC = in->TC, Pbar = in->Pbar;
    aqvis::WindowState s;
    static_cast<aqvis::CatalogueEntry&>(s) = aqvis::Prepare_Solute(solute, in->p).solute;
    FUZZ_CHECK(std::isfinite(TC) && std::isfinite(Pbar) && std::isfinite(s.Xi) &&
                   std::isfinite(s.Coef1) && std::isfinite(s.Coef2),
               "a non-finite input reached the calculation");

    aqvis::count::Reset_Helmholtz_Count();
    try {
        check_results(s, aqvis::Run_Case(s, TC, Pbar), sep, TC, Pbar);
    } catch (const aqvis::CalcError& e) {
        FUZZ_CHECK(named_calculation_kind(e.kind()), "calculation at %.17g degC, %.17g bar gave %s: %s",
                   TC, Pbar, aqvis::Error_Kind_Id(e.kind()), e.what());
    }
    check_evaluations(TC, Pbar);
    return 0;
}
