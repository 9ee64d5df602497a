#include "solute/csv_text.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/errors.h"

namespace aqvis {

namespace {

std::string_view trim(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

}  // namespace

std::vector<CsvLine> Csv_Lines(std::string_view text)
{
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::vector<CsvLine> lines;
    long number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (line.ends_with('\r')) line.remove_suffix(1);
        const std::string_view content = trim(line);
        if (content.empty() || content.front() == '#') continue;
        CsvLine l;
        l.number = number;
        for (;;) {
            const std::size_t comma = line.find(',');
            l.fields.push_back(trim(line.substr(0, comma)));
            if (comma == std::string_view::npos) break;
            line.remove_prefix(comma + 1);
        }
        lines.push_back(std::move(l));
    }
    return lines;
}

bool Read_Csv_Number(std::string_view field, double& value)
{
    field = trim(field);
    const bool plus = field.starts_with('+');
    if (plus) field.remove_prefix(1);
    // from_chars takes "inf", "nan" and "infinity" as numbers: only digits
    // and a '.' may start a number here (after one sign).
    const std::size_t first = !plus && field.starts_with('-') ? 1 : 0;
    if (first >= field.size() || !((field[first] >= '0' && field[first] <= '9') || field[first] == '.'))
        return false;
    double v = 0.0;
    const auto res = std::from_chars(field.data(), field.data() + field.size(), v);
    if (res.ec != std::errc{} || res.ptr != field.data() + field.size() || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

std::string Csv_Number(double value)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

std::string Title_Mismatch(const std::vector<std::string_view>& fields,
                           const std::vector<std::string_view>& expected)
{
    for (std::size_t i = 0; i < expected.size(); ++i)
        if (i >= fields.size() || fields[i] != expected[i])
            return "missing column '" + std::string(expected[i]) + "' (column " +
                   std::to_string(i + 1) + ")";
    if (fields.size() > expected.size())
        return "unexpected column '" + std::string(fields[expected.size()]) + "'";
    return "";
}

std::string Read_Text_Stream(std::FILE* in, const std::string& name)
{
    std::string text;
    char buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, in)) > 0) {
        if (text.size() + n > kMaxTextFileBytes)
            throw CalcError(ErrorKind::FileError, "cannot read " + name + ": it is longer than " +
                                                      std::to_string(kMaxTextFileBytes >> 20) + " MiB");
        text.append(buf, n);
    }
    if (std::ferror(in))
        throw CalcError(ErrorKind::FileError, "cannot read " + name + ": " + std::strerror(errno ? errno : EIO));
    return text;
}

std::string Read_Text_File(const std::string& path)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) throw CalcError(ErrorKind::FileError, "cannot read " + path + ": " + std::strerror(errno));
    return Read_Text_Stream(f.get(), path);
}

}  // namespace aqvis
