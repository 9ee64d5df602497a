#include "results/decimal_separator.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <string>

namespace aqvis {

namespace {

// Whether `text` is one whole UTF-8 character.
bool One_Utf8_Character(std::string_view text)
{
    if (text.empty()) return false;
    const auto lead = static_cast<unsigned char>(text[0]);
    const std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                                               : (lead >> 3) == 0x1E ? 4 : 0;
    if (length != text.size()) return false;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) return false;
    return true;
}

// The separator of one installed locale, or "" when it is not installed or
// its separator is not one UTF-8 character.
std::string Installed_Separator(const std::string& name)
{
    const locale_t loc = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(0));
    if (loc == static_cast<locale_t>(0)) return {};
    std::string sep = nl_langinfo_l(RADIXCHAR, loc);
    freelocale(loc);
    return One_Utf8_Character(sep) ? sep : std::string();
}

}  // namespace

std::string Decimal_Separator_Of_Locale(std::string_view name)
{
    // A locale name is language[_territory][.codeset][@modifier].
    const std::size_t at = name.find('@');
    const std::string_view modifier = at == std::string_view::npos ? "" : name.substr(at);
    const std::string_view base = name.substr(0, std::min(name.find('.'), at));
    if (base.empty()) return ".";
    for (const std::string& candidate :
         {std::string(base) + ".UTF-8" + std::string(modifier), std::string(name)}) {
        const std::string sep = Installed_Separator(candidate);
        if (!sep.empty()) return sep;
    }
    return ".";
}

std::string Environment_Decimal_Separator()
{
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value && *value) return Decimal_Separator_Of_Locale(value);
    }
    return ".";
}

}  // namespace aqvis
