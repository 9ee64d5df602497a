// The batch CSV reader of aqvis-cli on any bytes, with JSON output and a
// report file.
//
// Properties: no crash, leak or hang; every output line is one valid JSON
// object (so no NaN or infinity anywhere) and a failed case names a kind of
// error that a case can have; the report file holds whole CR LF lines only.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/app.h"
#include "fuzz_check.h"

namespace {

std::string g_dir, g_report;

// A minimal JSON reader: objects of string keys with string, number, null or
// object values, as aqvis-cli writes them.  Returns the text of "kind" if any.
struct Json {
    std::string_view t;
    std::size_t i = 0;
    std::string kind;

    bool ws() { while (i < t.size() && t[i] == ' ') ++i; return true; }
    bool lit(char c) { ws(); if (i < t.size() && t[i] == c) { ++i; return true; } return false; }
    bool string(std::string* out)
    {
        if (!lit('"')) return false;
        while (i < t.size() && t[i] != '"') {
            const unsigned char c = static_cast<unsigned char>(t[i]);
            if (c < 0x20) return false;
            if (c == '\\') {
                if (++i >= t.size()) return false;
                if (t[i] == 'u') {
                    if (i + 4 >= t.size()) return false;
                    for (int k = 1; k <= 4; ++k)
                        if (!std::isxdigit(static_cast<unsigned char>(t[i + k]))) return false;
                    i += 4;
                } else if (std::string_view("\"\\/bfnrt").find(t[i]) == std::string_view::npos) {
                    return false;
                }
                if (out) out->push_back('?');
            } else if (out) {
                out->push_back(t[i]);
            }
            ++i;
        }
        return lit('"');
    }
    bool digits()
    {
        const std::size_t s = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        return i > s;
    }
    bool number()
    {
        ws();
        if (i < t.size() && t[i] == '-') ++i;
        if (!digits()) return false;
        if (i < t.size() && t[i] == '.') { ++i; if (!digits()) return false; }
        if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            ++i;
            if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
            if (!digits()) return false;
        }
        return true;
    }
    bool value(const std::string& key)
    {
        ws();
        if (i >= t.size()) return false;
        if (t[i] == '{') return object();
        if (t[i] == '"') return string(key == "kind" ? &kind : nullptr);
        if (t.substr(i, 4) == "null") { i += 4; return true; }
        return number();
    }
    bool object()
    {
        if (!lit('{')) return false;
        if (lit('}')) return true;
        do {
            std::string key;
            if (!string(&key) || !lit(':') || !value(key)) return false;
        } while (lit(','));
        return lit('}');
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char dir[] = "/tmp/aqvis-fuzz-XXXXXX";
    FUZZ_CHECK(mkdtemp(dir) != nullptr, "no temporary directory");
    g_dir = dir;
    g_report = g_dir + "/AQVIS.OUT";
    std::atexit([] {
        ::unlink(g_report.c_str());
        ::rmdir(g_dir.c_str());
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const int fd = ::open(g_report.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FUZZ_CHECK(fd >= 0, "cannot reset the report file");
    ::close(fd);

    std::FILE* in = size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "r")
                             : std::fopen("/dev/null", "r");
    char* out_buf = nullptr;
    std::size_t out_size = 0;
    std::FILE* out = open_memstream(&out_buf, &out_size);
    std::FILE* err = std::fopen("/dev/null", "w");
    FUZZ_CHECK(in && out && err, "cannot open the streams");

    std::string report = g_report;
    char a0[] = "aqvis-cli", a1[] = "batch", a2[] = "-", a3[] = "--json", a4[] = "--report";
    char* argv[] = {a0, a1, a2, a3, a4, report.data(), nullptr};
    const int status = aqvis::cli::Run(6, argv, in, out, err);
    std::fclose(in);
    std::fclose(err);
    std::fclose(out);
    const std::string output(out_buf, out_size);
    std::free(out_buf);
    FUZZ_CHECK(status == 0 || status == 1, "exit status %d", status);

    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t nl = output.find('\n', start);
        FUZZ_CHECK(nl != std::string::npos, "output ends inside a line");
        Json j;
        j.t = std::string_view(output).substr(start, nl - start);
        FUZZ_CHECK(j.object() && j.i == j.t.size(), "not one JSON object: %.*s",
                   static_cast<int>(j.t.size()), j.t.data());
        if (!j.kind.empty())
            FUZZ_CHECK(j.kind == "type_mismatch" || j.kind == "division_by_zero" ||
                           j.kind == "overflow" || j.kind == "invalid_operation" ||
                           j.kind == "no_convergence" || j.kind == "unknown_solute",
                       "error of kind %s", j.kind.c_str());
        start = nl + 1;
    }

    std::FILE* rf = std::fopen(g_report.c_str(), "rb");
    FUZZ_CHECK(rf, "report file gone");
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, rf)) > 0) text.append(buf, n);
    std::fclose(rf);
    FUZZ_CHECK(text.empty() || (text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0),
               "the report ends in half a line");
    for (std::size_t k = 0; k < text.size(); ++k) {
        if (text[k] == '\n') FUZZ_CHECK(k > 0 && text[k - 1] == '\r', "a line without CR");
        if (text[k] == '\r') FUZZ_CHECK(k + 1 < text.size() && text[k + 1] == '\n', "a bare CR");
    }
    return 0;
}
