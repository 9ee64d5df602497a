#include "io/text.h"

#include <cstdint>
#include <cstdio>

namespace aqvis {

std::size_t Utf8_Length(std::string_view s)
{
    if (s.empty()) return 0;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(0);
    if (c < 0x80) return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        if (c == 0xE0) lo = 0xA0;
        if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        if (c == 0xF0) lo = 0x90;
        if (c == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (s.size() < n || b(1) < lo || b(1) > hi) return 0;
    for (std::size_t i = 2; i < n; ++i)
        if (b(i) < 0x80 || b(i) > 0xBF) return 0;
    return n;
}

bool Is_Control_Character(std::string_view s, std::size_t n)
{
    const unsigned char c = static_cast<unsigned char>(s[0]);
    if (n == 1) return c < 0x20 || c == 0x7f;
    // C1 control characters (U+0080 to U+009F) in UTF-8: some terminals act on them.
    return n == 2 && c == 0xC2 && static_cast<unsigned char>(s[1]) < 0xA0;
}

namespace {

void append_hex_escape(std::string& out, const char* prefix, unsigned value, int digits)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%0*x", prefix, digits, value);
    out += buf;
}

}  // namespace

void Append_Json_String(std::string& out, std::string_view text)
{
    out += '"';
    Append_Json_String_Body(out, text);
    out += '"';
}

void Append_Json_String_Body(std::string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        // A run of printable ASCII other than '"' and '\\' goes in as it is.
        std::size_t j = i;
        while (j < text.size()) {
            const unsigned char c = static_cast<unsigned char>(text[j]);
            if (c < 0x20 || c >= 0x7f || c == '"' || c == '\\') break;
            ++j;
        }
        if (j > i) {
            out.append(text.data() + i, j - i);
            i = j;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = Utf8_Length(text.substr(i));
            if (n == 0)
                out += "\xEF\xBF\xBD";  // U+FFFD for a byte that begins no character
            else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)
                append_hex_escape(out, "\\u", static_cast<unsigned char>(text[i + 1]), 4);  // C1 control
            else
                out.append(text.data() + i, n);
            i += n == 0 ? 1 : n;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default: append_hex_escape(out, "\\u", c, 4);
        }
        ++i;
    }
}

void Append_Printable(std::string& out, std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t n = Utf8_Length(text.substr(i));
        if (n == 0 || Is_Control_Character(text.substr(i), n)) {
            // One byte at a time: a C1 control shows as its two bytes.
            append_hex_escape(out, "\\x", static_cast<unsigned char>(text[i]), 2);
            ++i;
            continue;
        }
        out.append(text.substr(i, n));
        i += n;
    }
}

std::string Printable(std::string_view text)
{
    std::string s;
    Append_Printable(s, text);
    return s;
}

std::string_view Trimmed(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

std::vector<std::string_view> Split_Trimmed(std::string_view text, char sep)
{
    std::vector<std::string_view> parts;
    Split(text, sep, parts);
    for (std::string_view& p : parts) p = Trimmed(p);
    return parts;
}

void Split(std::string_view text, char sep, std::vector<std::string_view>& parts)
{
    parts.clear();
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos) return;
        start = at + 1;
    }
}

}  // namespace aqvis
