#pragma once
// The one-line JSON objects aqvis-cli prints, read with nlohmann-json: the
// members in the order written, and the literal text of each number.

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace aqvis::test {

using Json = nlohmann::ordered_json;

// The object on `line`; a line that is not one JSON value throws.
inline Json Parse_Json(std::string_view line) { return Json::parse(line); }

inline std::vector<std::string> Keys(const Json& j)
{
    std::vector<std::string> k;
    for (const auto& item : j.items()) k.push_back(item.key());
    return k;
}

// "kind" of a failed case, "" for a computed one (or a line that is not JSON).
inline std::string Kind(std::string_view line)
{
    const Json j = Json::parse(line, nullptr, false);
    return j.is_object() && j.contains("kind") ? j["kind"].get<std::string>() : "";
}

inline std::string Json_String(std::string_view line, const char* name)
{
    const Json j = Json::parse(line, nullptr, false);
    return j.is_object() && j.contains(name) && j[name].is_string() ? j[name].get<std::string>() : "";
}

inline std::optional<double> Json_Number(std::string_view line, const char* name)
{
    const Json j = Json::parse(line, nullptr, false);
    if (!j.is_object() || !j.contains(name) || !j[name].is_number()) return std::nullopt;
    return j[name].get<double>();
}

// The literal text of each number of the top-level object, by key.
inline std::vector<std::pair<std::string, std::string>> Number_Texts(std::string_view line)
{
    struct Sax : nlohmann::json_sax<Json> {
        std::vector<std::pair<std::string, std::string>> found;
        std::string key_;
        int depth = 0;
        void add(std::string text)
        {
            if (depth == 1) found.emplace_back(key_, std::move(text));
        }
        bool null() override { return true; }
        bool boolean(bool) override { return true; }
        bool number_integer(number_integer_t v) override { return add(std::to_string(v)), true; }
        bool number_unsigned(number_unsigned_t v) override { return add(std::to_string(v)), true; }
        bool number_float(number_float_t, const string_t& s) override { return add(s), true; }
        bool string(string_t&) override { return true; }
        bool binary(binary_t&) override { return true; }
        bool start_object(std::size_t) override { return ++depth, true; }
        bool key(string_t& k) override { return key_ = k, true; }
        bool end_object() override { return --depth, true; }
        bool start_array(std::size_t) override { return true; }
        bool end_array() override { return true; }
        bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
        {
            return false;
        }
    } sax;
    Json::sax_parse(line, &sax);
    return sax.found;
}

}  // namespace aqvis::test
