#pragma once
// Running the command-line program in-process, and a small reader for the
// one-line JSON objects it prints.

#include <charconv>
#include <cmath>
#include <optional>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/app.h"
#include "core/calc_state.h"
#include "support/fresh_calculation.h"

namespace aqvis::clitest {

struct Outcome {
    int rc = -1;
    std::string out, err;
};

inline std::string read_all(std::FILE* f)
{
    std::string text;
    std::rewind(f);
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
    return text;
}

// Runs `aqvis-cli args...` with `input` on standard input.
inline Outcome run(std::vector<std::string> args, const std::string& input = "")
{
    std::vector<std::string> storage = std::move(args);
    storage.insert(storage.begin(), "aqvis-cli");
    std::vector<char*> argv;
    for (std::string& a : storage) argv.push_back(a.data());
    argv.push_back(nullptr);

    std::FILE* in = std::tmpfile();
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    if (!in || !out || !err) throw std::runtime_error("tmpfile failed");
    std::fwrite(input.data(), 1, input.size(), in);
    std::rewind(in);
    Outcome o;
    o.rc = aqvis::cli::Run(static_cast<int>(storage.size()), argv.data(), in, out, err);
    std::fflush(out);
    std::fflush(err);
    o.out = read_all(out);
    o.err = read_all(err);
    std::fclose(in);
    std::fclose(out);
    std::fclose(err);
    return o;
}

// Lines of a text, without their line ends ("\n"; a final line without one counts).
inline std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> v;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t nl = text.find('\n', start);
        if (nl == std::string::npos) {
            v.push_back(text.substr(start));
            break;
        }
        v.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    return v;
}

// The same case computed directly with the library, as the window would.
using test::Parameters;

inline CalcState reference(const std::string& solute, double TC, double Pbar, Parameters p = {})
{
    return test::Fresh_Calculation(solute, TC, Pbar, p);
}

// ---------------------------------------------------------------- JSON reader

struct Json {
    enum Kind { Null, Bool, Number, String, Object } kind = Null;
    bool boolean = false;
    double number = 0.0;
    std::string text;  // a string's value, or a number's literal text
    std::vector<std::pair<std::string, Json>> members;  // an object's, in order

    const Json* find(std::string_view key) const
    {
        for (const auto& [k, v] : members)
            if (k == key) return &v;
        return nullptr;
    }
    const Json& at(std::string_view key) const
    {
        const Json* v = find(key);
        if (!v) throw std::runtime_error("no key " + std::string(key));
        return *v;
    }
    std::vector<std::string> keys() const
    {
        std::vector<std::string> k;
        for (const auto& m : members) k.push_back(m.first);
        return k;
    }
};

class JsonReader {
public:
    explicit JsonReader(std::string_view t) : t_(t) {}

    Json document()
    {
        Json v = value();
        space();
        if (i_ != t_.size()) fail("text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("JSON: " + what + " at offset " + std::to_string(i_) + " in " +
                                 std::string(t_));
    }
    void space()
    {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\t' || t_[i_] == '\n' || t_[i_] == '\r'))
            ++i_;
    }
    bool take(char c)
    {
        space();
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    void expect(char c)
    {
        if (!take(c)) fail(std::string("expected '") + c + "'");
    }
    bool word(std::string_view w)
    {
        if (t_.substr(i_, w.size()) == w) {
            i_ += w.size();
            return true;
        }
        return false;
    }
    std::string string()
    {
        expect('"');
        std::string s;
        while (true) {
            if (i_ >= t_.size()) fail("unterminated string");
            const char c = t_[i_++];
            if (c == '"') return s;
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
            if (c != '\\') {
                s += c;
                continue;
            }
            if (i_ >= t_.size()) fail("bad escape");
            const char e = t_[i_++];
            switch (e) {
            case '"': s += '"'; break;
            case '\\': s += '\\'; break;
            case '/': s += '/'; break;
            case 'b': s += '\b'; break;
            case 'f': s += '\f'; break;
            case 'n': s += '\n'; break;
            case 'r': s += '\r'; break;
            case 't': s += '\t'; break;
            case 'u': {
                if (i_ + 4 > t_.size()) fail("bad \\u escape");
                unsigned code = 0;
                const auto r = std::from_chars(t_.data() + i_, t_.data() + i_ + 4, code, 16);
                if (r.ptr != t_.data() + i_ + 4) fail("bad \\u escape");
                i_ += 4;
                if (code < 0x80)
                    s += static_cast<char>(code);
                else
                    s += '?';
                break;
            }
            default: fail("bad escape");
            }
        }
    }
    Json number()
    {
        // JSON grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
        const std::size_t start = i_;
        auto digits = [&] {
            const std::size_t d = i_;
            while (i_ < t_.size() && t_[i_] >= '0' && t_[i_] <= '9') ++i_;
            return i_ - d;
        };
        if (i_ < t_.size() && t_[i_] == '-') ++i_;
        if (i_ < t_.size() && t_[i_] == '0')
            ++i_;
        else if (digits() == 0)
            fail("bad number");
        if (i_ < t_.size() && t_[i_] == '.') {
            ++i_;
            if (digits() == 0) fail("bad number");
        }
        if (i_ < t_.size() && (t_[i_] == 'e' || t_[i_] == 'E')) {
            ++i_;
            if (i_ < t_.size() && (t_[i_] == '+' || t_[i_] == '-')) ++i_;
            if (digits() == 0) fail("bad number");
        }
        Json v;
        v.kind = Json::Number;
        v.text = std::string(t_.substr(start, i_ - start));
        const auto r = std::from_chars(v.text.data(), v.text.data() + v.text.size(), v.number);
        if (r.ec != std::errc() || r.ptr != v.text.data() + v.text.size()) fail("unreadable number");
        return v;
    }
    Json value()
    {
        space();
        if (i_ >= t_.size()) fail("missing value");
        Json v;
        const char c = t_[i_];
        if (c == '{') {
            ++i_;
            v.kind = Json::Object;
            if (take('}')) return v;
            do {
                space();
                std::string k = string();
                for (const auto& m : v.members)
                    if (m.first == k) fail("duplicate key " + k);
                expect(':');
                Json member = value();
                v.members.emplace_back(std::move(k), std::move(member));
            } while (take(','));
            expect('}');
        } else if (c == '"') {
            v.kind = Json::String;
            v.text = string();
        } else if (word("null")) {
            v.kind = Json::Null;
        } else if (word("true")) {
            v.kind = Json::Bool;
            v.boolean = true;
        } else if (word("false")) {
            v.kind = Json::Bool;
        } else {
            v = number();
        }
        return v;
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

inline Json parse_json(std::string_view text) { return JsonReader(text).document(); }

}  // namespace aqvis::clitest
