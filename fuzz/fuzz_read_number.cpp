// The number reader of the input boxes and the CSV, on any bytes with any of
// the decimal separators a locale may have.
//
// Input: one byte choosing the separator, then the text.
// Properties: a text is read exactly when it is a plain decimal number
// (blanks around it allowed) whose value fits a double, and the value is the
// one the C library reads from the same text written with '.'; everything else
// is refused with a type-mismatch error.  Nothing else may come out: no other
// exception, no NaN, no infinity.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/errors.h"
#include "fuzz_check.h"
#include "results/number_format.h"

namespace {

// The separators of the locales: '.', ',' and the Arabic decimal separator.
constexpr std::string_view kSeparators[] = {".", ",", "\xD9\xAB"};

bool digit(char c) { return c >= '0' && c <= '9'; }

// A plain decimal number: [+-] digits [sep digits] [(e|E) [+-] digits], with
// at least one digit before the exponent.  On success `norm` is the same
// number written with '.' for the C library.
bool plain_number(std::string_view t, std::string_view sep, std::string& norm)
{
    std::size_t i = 0;
    norm.clear();
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm += t[i++];
    std::size_t mantissa_digits = 0;
    while (i < t.size() && digit(t[i])) norm += t[i++], ++mantissa_digits;
    if (t.substr(i, sep.size()) == sep) {
        i += sep.size();
        norm += '.';
        while (i < t.size() && digit(t[i])) norm += t[i++], ++mantissa_digits;
    }
    if (mantissa_digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        norm += t[i++];
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) norm += t[i++];
        std::size_t exp_digits = 0;
        while (i < t.size() && digit(t[i])) norm += t[i++], ++exp_digits;
        if (exp_digits == 0) return false;
    }
    return i == t.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    const std::string_view sep = kSeparators[data[0] % std::size(kSeparators)];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);

    std::string_view t = text;
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    std::string norm;
    const bool plain = plain_number(t, sep, norm);
    double expected = 0.0;
    bool fits = false;
    if (plain) {
        errno = 0;
        char* end = nullptr;
        expected = std::strtod(norm.c_str(), &end);
        FUZZ_CHECK(end == norm.c_str() + norm.size(), "strtod stopped early on \"%s\"", norm.c_str());
        fits = std::isfinite(expected);
    }

    try {
        const double v = aqvis::Read_Number(text, sep);
        FUZZ_CHECK(std::isfinite(v), "read a non-finite value %g", v);
        FUZZ_CHECK(plain, "accepted a text that is not a plain number (value %.17g)", v);
        FUZZ_CHECK(fits, "accepted \"%s\", which does not fit a double", norm.c_str());
        FUZZ_CHECK(v == expected && std::signbit(v) == std::signbit(expected),
                   "\"%s\" read as %.17g, the C library reads %.17g", norm.c_str(), v, expected);
    } catch (const aqvis::CalcError& e) {
        FUZZ_CHECK(e.kind() == aqvis::ErrorKind::TypeMismatch, "error of kind %s: %s",
                   aqvis::Error_Kind_Id(e.kind()), e.what());
        FUZZ_CHECK(!(plain && fits), "refused \"%s\" (%.17g): %s", norm.c_str(), expected,
                   e.what());
    }
    return 0;
}
