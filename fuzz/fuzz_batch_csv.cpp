// The batch CSV reader of aqvis-cli on any bytes, with JSON output and a
// report file.
//
// Properties: no crash, leak or hang; every output line is one JSON object
// that a strict reader takes (valid UTF-8, no NaN or infinity anywhere) and
// a failed case names a kind of error that a case can have; input that is
// refused as a whole (UTF-16 text) gives no output; the report file holds
// whole CR LF lines only.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/app.h"
#include "fuzz_check.h"

namespace {

std::string g_dir, g_report;

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
    FUZZ_CHECK(status == 0 || status == 1 || (status == 2 && output.empty()), "exit status %d",
               status);

    std::size_t start = 0;
    while (start < output.size()) {
        const std::size_t nl = output.find('\n', start);
        FUZZ_CHECK(nl != std::string::npos, "output ends inside a line");
        const std::string_view line = std::string_view(output).substr(start, nl - start);
        const nlohmann::json j = nlohmann::json::parse(line, nullptr, false);
        FUZZ_CHECK(j.is_object(), "not one JSON object: %.*s", static_cast<int>(line.size()),
                   line.data());
        if (j.contains("kind")) {
            const std::string kind = j["kind"].get<std::string>();
            FUZZ_CHECK(kind == "type_mismatch" || kind == "division_by_zero" || kind == "overflow" ||
                           kind == "invalid_operation" || kind == "no_convergence" ||
                           kind == "unknown_solute",
                       "error of kind %s", kind.c_str());
        }
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
