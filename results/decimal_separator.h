#pragma once
// The decimal separator of the user's locale: one rule for the window and the
// command line, so that both write the same report.

#include <string>
#include <string_view>

namespace aqvis {

// The separator of the locale named `name` ("de_DE.UTF-8", "fr_FR", "C", ...)
// as the C library's installed locales give it, in UTF-8.  The UTF-8 variant
// of the name is looked up first (so "de_DE" finds "de_DE.UTF-8"), then the
// name as given.  A name that is not installed, like an empty one, means the
// "C" locale and ".": the same fallback as every other program on the
// system, whatever language the name suggests.
std::string Decimal_Separator_Of_Locale(std::string_view name);

// The separator of the locale the environment names for numbers: LC_ALL,
// else LC_NUMERIC, else LANG (the first one set and not empty).
std::string Environment_Decimal_Separator();

}  // namespace aqvis
