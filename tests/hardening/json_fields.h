#pragma once
// Fields of the one-line JSON objects that aqvis-cli prints, for the tests.

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace aqvis::hardening {

// The raw text of the value of "name" at the top level of `line` (a string
// still in its quotes), or nothing.  The tests only ask for names that the
// program writes once per line.
inline std::optional<std::string> Json_Raw(std::string_view line, std::string_view name)
{
    const std::string key = "\"" + std::string(name) + "\":";
    const std::size_t k = line.find(key);
    if (k == std::string_view::npos) return std::nullopt;
    std::size_t i = k + key.size(), j = i;
    if (j < line.size() && line[j] == '"') {
        for (++j; j < line.size() && line[j] != '"'; ++j)
            if (line[j] == '\\') ++j;
        ++j;
    } else {
        while (j < line.size() && line[j] != ',' && line[j] != '}') ++j;
    }
    return std::string(line.substr(i, j - i));
}

inline std::string Json_String(std::string_view line, std::string_view name)
{
    const auto raw = Json_Raw(line, name);
    if (!raw || raw->size() < 2 || (*raw)[0] != '"') return {};
    return raw->substr(1, raw->size() - 2);
}

inline std::optional<double> Json_Number(std::string_view line, std::string_view name)
{
    const auto raw = Json_Raw(line, name);
    if (!raw || raw->empty() || *raw == "null") return std::nullopt;
    char* end = nullptr;
    const double v = std::strtod(raw->c_str(), &end);
    if (end != raw->c_str() + raw->size()) return std::nullopt;
    return v;
}

// "kind" of a failed case, "" for a computed one.
inline std::string Kind(std::string_view line) { return Json_String(line, "kind"); }

}  // namespace aqvis::hardening
