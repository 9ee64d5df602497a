// Hostile text in the input boxes and the batch CSV: each text is either read
// as the number it plainly is or refused with a type-mismatch error; nothing
// reaches the calculation as NaN or infinity.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "core/errors.h"
#include "support/json_lines.h"
#include "support/program.h"
#include "fit/fit_data.h"
#include "results/number_format.h"
#include "solute/catalogue_file.h"

namespace aqvis::hardening {
using namespace aqvis::test;
namespace {

enum class Must { Read, Refuse, ReadOrRefuse };

struct Hostile {
    std::string text;
    Must must;
    double plain = 0.0;  // the number it plainly is, when it is one
    const char* what;
};

std::string repeat(const std::string& s, std::size_t n)
{
    std::string r;
    r.reserve(s.size() * n);
    for (std::size_t k = 0; k < n; ++k) r += s;
    return r;
}

// Texts for a box whose decimal separator is '.'.
std::vector<Hostile> Hostile_Texts()
{
    const double denorm_min = std::numeric_limits<double>::denorm_min();
    const double max = std::numeric_limits<double>::max();
    return {
        {"25", Must::Read, 25, "control"},
        {"-12.5", Must::Read, -12.5, "control"},
        {"  25  ", Must::ReadOrRefuse, 25, "blanks around"},
        // out of the range of a double
        {"1e400", Must::Refuse, 0, "overflow"},
        {"-1e400", Must::Refuse, 0, "overflow"},
        {"1.7976931348623159e308", Must::Refuse, 0, "rounds past the largest double"},
        {"1e99999999999999999999", Must::Refuse, 0, "exponent beyond any integer"},
        {"1.7976931348623157e308", Must::Read, max, "largest double"},
        {"1e-400", Must::ReadOrRefuse, 0, "underflow to 0"},
        {"4.9e-324", Must::ReadOrRefuse, denorm_min, "smallest subnormal"},
        {"1e-99999999999999999999", Must::ReadOrRefuse, 0, "underflow to 0"},
        {"-0", Must::Read, 0, "negative zero"},
        {"-0.0e5", Must::Read, 0, "negative zero"},
        // not numbers at all
        {"nan", Must::Refuse, 0, "NaN"},
        {"NaN", Must::Refuse, 0, "NaN"},
        {"-nan", Must::Refuse, 0, "NaN"},
        {"nan(0x7ff)", Must::Refuse, 0, "NaN with payload"},
        {"inf", Must::Refuse, 0, "infinity"},
        {"-inf", Must::Refuse, 0, "infinity"},
        {"+Infinity", Must::Refuse, 0, "infinity"},
        {"INF", Must::Refuse, 0, "infinity"},
        {"", Must::Refuse, 0, "empty (the box decides what empty means)"},
        {"   ", Must::Refuse, 0, "blanks only"},
        {".", Must::Refuse, 0, "separator alone"},
        {"+", Must::Refuse, 0, "sign alone"},
        {"--5", Must::Refuse, 0, "two signs"},
        {"+-5", Must::Refuse, 0, "two signs"},
        {"1e", Must::Refuse, 0, "exponent without digits"},
        {"e5", Must::Refuse, 0, "exponent without mantissa"},
        {"1e+-5", Must::Refuse, 0, "two exponent signs"},
        {"1.2.3", Must::Refuse, 0, "two separators"},
        {"25 °C", Must::ReadOrRefuse, 25, "unit after the number"},
        // other notations
        {"0x10", Must::ReadOrRefuse, 16, "hexadecimal"},
        {"0X1P4", Must::ReadOrRefuse, 16, "hexadecimal float"},
        {"0b10", Must::ReadOrRefuse, 2, "binary"},
        {"010", Must::ReadOrRefuse, 10, "leading zero (not octal)"},
        {"1_000", Must::ReadOrRefuse, 1000, "digit separator"},
        // thousands separators
        {"1,000", Must::ReadOrRefuse, 1000, "thousands comma"},
        {"1,000.5", Must::ReadOrRefuse, 1000.5, "thousands comma"},
        {"1 000", Must::ReadOrRefuse, 1000, "thousands blank"},
        {"1'000", Must::ReadOrRefuse, 1000, "thousands apostrophe"},
        {"1\xC2\xA0" "000", Must::ReadOrRefuse, 1000, "thousands no-break space"},
        {"1\xE2\x80\xAF" "000", Must::ReadOrRefuse, 1000, "thousands narrow no-break space"},
        // the other locale's decimal separator
        {"25,5", Must::ReadOrRefuse, 25.5, "decimal comma"},
        {"1.000,5", Must::ReadOrRefuse, 1000.5, "thousands point, decimal comma"},
        // control characters
        {"25\t", Must::ReadOrRefuse, 25, "tab after"},
        {"\t25", Must::ReadOrRefuse, 25, "tab before"},
        {"25\n", Must::ReadOrRefuse, 25, "line feed after"},
        {"25\r", Must::ReadOrRefuse, 25, "carriage return after"},
        {"\v25\f", Must::ReadOrRefuse, 25, "vertical tab, form feed"},
        {std::string("2\0" "5", 3), Must::Refuse, 0, "NUL inside"},
        {std::string("25\0", 3), Must::Refuse, 0, "NUL after"},
        {"\x1b[31m25", Must::Refuse, 0, "terminal escape"},
        {"25\x7f", Must::Refuse, 0, "DEL"},
        {"2\b5", Must::Refuse, 0, "backspace"},
        // other scripts
        {"\xE2\x88\x92" "25", Must::ReadOrRefuse, -25, "minus sign U+2212"},
        {"\xEF\xBC\x92\xEF\xBC\x95", Must::ReadOrRefuse, 25, "full-width digits"},
        {"\xD9\xA2\xD9\xA5", Must::ReadOrRefuse, 25, "Arabic-Indic digits"},
        {"\xEF\xBB\xBF" "25", Must::ReadOrRefuse, 25, "byte order mark"},
        {"\xff\xfe" "2\0" "5\0", Must::Refuse, 0, "UTF-16"},
        // very long texts
        {repeat("0", 100000) + "25", Must::ReadOrRefuse, 25, "100000 leading zeros"},
        {"25." + repeat("0", 100000), Must::ReadOrRefuse, 25, "100000 trailing zeros"},
        {"1" + repeat("0", 100000), Must::Refuse, 0, "a 100001-digit number"},
        {"0." + repeat("0", 100000) + "1", Must::ReadOrRefuse, 0, "1e-100001"},
        {"1" + repeat("0", 400) + "e-400", Must::ReadOrRefuse, 1, "1 written with 400 zeros"},
        {"1e" + repeat("9", 100000), Must::Refuse, 0, "100000-digit exponent"},
        {"1e-" + repeat("9", 100000), Must::ReadOrRefuse, 0, "100000-digit negative exponent"},
        {repeat("9", 1000000), Must::Refuse, 0, "a million nines"},
        {repeat("x", 1000000), Must::Refuse, 0, "a million letters"},
        {"25" + repeat(" ", 1000000), Must::ReadOrRefuse, 25, "a million blanks after"},
        {repeat("-", 1000000), Must::Refuse, 0, "a million signs"},
    };
}

// Reads `text`; nullopt for a type mismatch.  Any other outcome fails.
std::optional<double> Read(const std::string& text, const std::string& sep)
{
    try {
        return Read_Number(text, sep);
    } catch (const CalcError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::TypeMismatch) << e.what();
        return std::nullopt;
    }
}

void Expect_Outcome(const Hostile& h, const std::optional<double>& got)
{
    if (got) {
        EXPECT_TRUE(std::isfinite(*got)) << *got;
        EXPECT_NE(h.must, Must::Refuse) << "read as " << *got;
        EXPECT_EQ(*got, h.plain) << "read, but not as the number it plainly is";
    } else {
        EXPECT_NE(h.must, Must::Read) << "refused";
    }
}

TEST(HostileText, EachBoxTextIsThePlainNumberOrATypeMismatch)
{
    for (const Hostile& h : Hostile_Texts()) {
        SCOPED_TRACE(std::string(h.what) + ": \"" + h.text.substr(0, 40) + "\"");
        Expect_Outcome(h, Read(h.text, "."));
    }
}

// One number reader with one rule: a catalogue file and a fit data file take
// each text exactly as the command line does (the same number, or refused),
// 1e-400 among them.
TEST(HostileText, CatalogueAndFitDataReadNumbersAsTheCommandLineDoes)
{
    for (const Hostile& h : Hostile_Texts()) {
        if (h.text.find_first_of(",\n\r\t#") != std::string::npos || h.text.find('\0') != std::string::npos) continue;
        SCOPED_TRACE(std::string(h.what) + ": \"" + h.text.substr(0, 40) + "\"");
        const std::optional<double> command_line = Read(h.text, ".");
        std::optional<double> catalogue, data;
        try {
            // G0gas: xi, a and b may be left empty for a solute to be fitted.
            catalogue = Read_Catalogue_Text("Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\nX,0,1,2," + h.text +
                                            ",4,5,6,7\n")
                            .at(0)
                            .G0gas;
        } catch (const CalcError&) {
        }
        try {
            data = Read_Fit_Data_Text("temp,press,property,value\n25,1,lnkH," + h.text + "\n").points.at(0).value;
        } catch (const CalcError&) {
        }
        EXPECT_EQ(catalogue.has_value(), command_line.has_value());
        EXPECT_EQ(data.has_value(), command_line.has_value());
        if (command_line && catalogue) EXPECT_EQ(*catalogue, *command_line);
        if (command_line && data) EXPECT_EQ(*data, *command_line);
    }
}

TEST(HostileText, DecimalCommaLocaleReadsOnlyItsOwnSeparator)
{
    const std::vector<Hostile> comma = {
        {"25,5", Must::Read, 25.5, "own separator"},
        {",5", Must::Read, 0.5, "own separator first"},
        {"-0,0", Must::Read, 0, "negative zero"},
        {"25.5", Must::ReadOrRefuse, 25.5, "the other locale's separator"},
        {"1.000,5", Must::ReadOrRefuse, 1000.5, "thousands point"},
        {"1.000", Must::ReadOrRefuse, 1000, "thousands point alone"},
        {"1,000.5", Must::Refuse, 0, "the other locale's way"},
        {"1,2,3", Must::Refuse, 0, "two separators"},
        {"1e400", Must::Refuse, 0, "overflow"},
        {"nan", Must::Refuse, 0, "NaN"},
    };
    for (const Hostile& h : comma) {
        SCOPED_TRACE(std::string(h.what) + ": \"" + h.text + "\"");
        Expect_Outcome(h, Read(h.text, ","));
    }
    // A separator of more than one byte (U+066B in some locales).
    const std::string arabic = "\xD9\xAB";
    EXPECT_EQ(Read("25" + arabic + "5", arabic), 25.5);
    EXPECT_EQ(Read("25\xD9", arabic), std::nullopt);  // the separator cut in half
    EXPECT_EQ(Read(arabic, arabic), std::nullopt);
}

// The same texts in every number field of a batch CSV run by the program:
// a refused text is a type mismatch; a read one reaches the calculation as
// exactly its plain number; only computed cases are in the report.
TEST(HostileText, EveryCsvFieldGivesThePlainNumberOrATypeMismatch)
{
    struct Field {
        const char* name;
        int index;            // 1 temp, 2 press, 3 xi, 4 a, 5 b
        const char* member;   // JSON member holding the value that was used
    };
    const Field fields[] = {{"temperature", 1, "TC"}, {"pressure", 2, "Pbar"},
                            {"xi", 3, "Xi"},          {"a", 4, "Coef1"},
                            {"b", 5, "Coef2"}};
    std::vector<Hostile> usable;  // texts that fit in one CSV field
    for (const Hostile& h : Hostile_Texts()) {
        if (h.text.find_first_of(",\n\r") != std::string::npos || h.text.empty()) continue;
        if (h.text.size() > 2000) continue;  // long texts: below, on their own
        usable.push_back(h);
    }
    std::string csv;
    std::vector<std::pair<const Hostile*, const Field*>> expected;
    for (const Field& f : fields) {
        for (const Hostile& h : usable) {
            std::string cells[6] = {"N2", "25", "1", "-0.032", "-11.538", "14.6278"};
            cells[f.index] = h.text;
            csv += cells[0] + "," + cells[1] + "," + cells[2] + "," + cells[3] + "," + cells[4] +
                   "," + cells[5] + "\n";
            expected.emplace_back(&h, &f);
        }
    }
    TempDir dir;
    Write_File(dir / "cases.csv", csv);
    const ProgramRun r = Run_Program({"batch", "cases.csv", "--json", "--report", "AQVIS.OUT"},
                                     {.cwd = dir.path()});
    const std::vector<std::string> out = Lf_Lines(r.out);
    ASSERT_EQ(out.size(), expected.size()) << r.err;
    const double catalogue[6] = {0, 0, 0, -0.032, -11.538, 14.6278};
    int computed = 0;
    for (std::size_t k = 0; k < out.size(); ++k) {
        Hostile h = *expected[k].first;
        const Field& f = *expected[k].second;
        // A parameter cell of blanks is an empty cell: the catalogue value.
        if (f.index >= 3 && h.text.find_first_not_of(" \t") == std::string::npos)
            h = {h.text, Must::Read, catalogue[f.index], "empty parameter cell"};
        SCOPED_TRACE(std::string(f.name) + ", " + h.what + ": \"" + h.text.substr(0, 40) + "\"");
        const std::string kind = Kind(out[k]);
        if (kind == "type_mismatch") {
            EXPECT_NE(h.must, Must::Read) << out[k];
            continue;
        }
        EXPECT_NE(h.must, Must::Refuse) << out[k];
        if (kind.empty()) {
            ++computed;
            // No NaN or infinity anywhere among the results.
            EXPECT_EQ(out[k].find("nan"), std::string::npos) << out[k];
            EXPECT_EQ(out[k].find("inf"), std::string::npos) << out[k];
            const std::optional<double> used = Json_Number(out[k], f.member);
            ASSERT_TRUE(used) << out[k];
            // Below the saturation pressure the saturation pressure is used.
            const double psat = Json_Number(out[k], "Psat").value_or(0.0);
            EXPECT_EQ(*used, f.index == 2 && h.plain < psat ? psat : h.plain) << out[k];
        } else {
            // A plain number that the calculation itself cannot take.
            EXPECT_TRUE(kind == "division_by_zero" || kind == "overflow" ||
                        kind == "invalid_operation" || kind == "no_convergence")
                << out[k];
            if (f.index <= 2) {
                EXPECT_EQ(Json_Number(out[k], f.member), h.plain) << out[k];
            }
        }
    }
    EXPECT_GT(computed, 0);
    // The report: a header for each change of parameters, a line per computed case.
    const std::vector<std::string> report = Crlf_Lines(Read_File(dir / "AQVIS.OUT"));
    int data_lines = 0;
    for (std::size_t k = 0; k < report.size(); ++k) {
        if (report[k].find("  Date ") != std::string::npos) {
            k += 3;
            continue;
        }
        ++data_lines;
    }
    EXPECT_EQ(data_lines, computed);
}

// A line up to 64 KiB is read; a longer one is a type mismatch, refused
// without being held in memory, and the cases after it are computed.
TEST(HostileText, OverLongLinesAreTypeMismatchesAndTheBatchGoesOn)
{
    constexpr std::size_t kLimit = 65536;
    constexpr std::size_t kHuge = 100u << 20;  // a 100 MiB line
    TempDir dir;
    {
        std::FILE* f = std::fopen((dir / "cases.csv").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        const auto put = [&](const std::string& s) { std::fwrite(s.data(), 1, s.size(), f); };
        // Lines of exactly the limit and of one byte more.
        for (const std::size_t length : {kLimit, kLimit + 1}) {
            put("N2,25,1");
            put(std::string(length - 7, ' '));
            put("\n");
        }
        put("O2,25,1\n");
        put("N2,25,");
        const std::string zeros(1u << 20, '0');
        for (std::size_t n = 0; n < kHuge; n += zeros.size()) put(zeros);
        put("\nAr,25,1\n");
        put(repeat("N2", 500000) + ",25,1\n");                  // a million-byte solute name
        put("N2,25," + repeat("x", 3000000));                   // a last line without an end
        std::fclose(f);
    }
    const ProgramRun r = Run_Program({"batch", "cases.csv", "--json"}, {.cwd = dir.path()});
    EXPECT_EQ(r.exit_status, 1);
    const std::vector<std::string> out = Lf_Lines(r.out);
    ASSERT_EQ(out.size(), 7u) << r.err;
    const char* const kinds[] = {"", "type_mismatch", "", "type_mismatch", "", "type_mismatch",
                                 "type_mismatch"};
    for (std::size_t k = 0; k < out.size(); ++k) EXPECT_EQ(Kind(out[k]), kinds[k]) << k;
    EXPECT_EQ(Json_String(out[4], "Formula"), "Ar");
    EXPECT_NE(Json_String(out[3], "error").find("longer than 65536 bytes"), std::string::npos);
#ifndef __SANITIZE_ADDRESS__
    // Far less than the line: it was never held.  (Under AddressSanitizer
    // freed blocks wait in its quarantine, so the peak says nothing there.)
    EXPECT_LT(r.max_rss_kb, static_cast<long>(kHuge / 1024 / 2));
#endif
}

// The command line reads numbers with '.' whatever the locale; the report
// file is written with the locale's separator.
TEST(HostileText, CommandLineKeepsThePointInADecimalCommaLocale)
{
    const std::vector<std::string> de = {"LC_ALL=de_DE.UTF-8"};
    TempDir dir;
    const ProgramRun comma = Run_Program({"calc", "N2", "25,5", "1", "--json"},
                                         {.cwd = dir.path(), .env = de});
    EXPECT_EQ(Kind(comma.out), "type_mismatch") << comma.out;
    const ProgramRun point = Run_Program({"calc", "N2", "25.5", "1", "--json", "--report", "R"},
                                         {.cwd = dir.path(), .env = de});
    EXPECT_EQ(Json_Number(point.out, "TC"), 25.5) << point.out;
    const std::vector<std::string> report = Crlf_Lines(Read_File(dir / "R"));
    ASSERT_EQ(report.size(), 5u);
    if (report[4].find("25,50") == std::string::npos)
        GTEST_SKIP() << "no de_DE.UTF-8 locale here: " << report[4].substr(0, 30);
    EXPECT_EQ(report[4].find('.'), std::string::npos) << report[4];
}

// A CSV saved with a byte order mark (as spreadsheet programs do) starts with
// the title line: it must be skipped like one without the mark.
TEST(HostileText, ByteOrderMarkBeforeTheTitleLine)
{
    TempDir dir;
    Write_File(dir / "cases.csv", "\xEF\xBB\xBFsolute,temp,press\r\nN2,25,1\r\n");
    const ProgramRun r = Run_Program({"batch", "cases.csv", "--json"}, {.cwd = dir.path()});
    EXPECT_EQ(r.exit_status, 0) << r.out;
    const std::vector<std::string> out = Lf_Lines(r.out);
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_EQ(Kind(out[0]), "");
}

}  // namespace
}  // namespace aqvis::hardening
