#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <array>
#include <cctype>
#include <string>

#include "core/errors.h"
#include "results/captions.h"
#include "results/report.h"
#include "driver/derived.h"

using namespace aqvis;

namespace {

// A line built by placing texts at 1-based columns.
std::string Place(std::initializer_list<std::pair<std::size_t, std::string>> pieces)
{
    std::string s;
    for (const auto& [column, text] : pieces) {
        EXPECT_LE(s.size(), column - 1) << "text before column " << column << " is too long";
        s.resize(column - 1, ' ');
        s += text;
    }
    return s + "\r\n";
}

// A data line whose twelve fields start at the twelve zone starts.
std::string Zones(const std::array<std::string, 12>& f)
{
    return Place({{1, f[0]}, {15, f[1]}, {29, f[2]}, {43, f[3]}, {57, f[4]}, {71, f[5]},
                  {85, f[6]}, {99, f[7]}, {113, f[8]}, {127, f[9]}, {141, f[10]}, {155, f[11]}});
}

CalcValues Calc(double TC, double Pbar, double dH2O, double lnkH, double V2, double G, double S,
                double Cp)
{
    CalcValues s;
    s.TC = TC, s.Pbar = Pbar, s.dH2O = dH2O, s.lnkH = lnkH;
    s.V2 = V2, s.GTaqua = G, s.S2 = S, s.Cp2 = Cp;
    return s;
}

// The data line of a state through its derived values, as every front end
// forms it.
std::string Line(const CalcValues& s, std::string_view sep = ".")
{
    return Result_Line(s, Derived_Values(s), sep);
}

void Append(ReportFile& report, const CalcValues& s, std::string_view sep = ".")
{
    report.Append_Result_Line(s, Derived_Values(s), sep);
}

CatalogueEntry Solute(const char* formula, double xi, double a, double b)
{
    CatalogueEntry s;
    s.Formula = formula, s.Xi = xi, s.Coef1 = a, s.Coef2 = b;
    return s;
}

// Data line of Calc(25, 1, 0.997047, ln 10, 25.2, -1234.56, 13.5, 34.6); K = 5.5509.
const std::string kLine25 =
    Zones({"  25.00  ", "  1.0    ", "   0.9970   ", "   2.303   ", " 5.551E+00 ", " 25.200   ",
           "  -1234.6  ", "  13.500  ", "  34.600  ", "  -5165.4  ", "  56.484  ", "  144.766"});
const CalcValues kCalc25 = Calc(25, 1, 0.997047, std::log(10.0), 25.2, -1234.56, 13.5, 34.6);

std::string Read_File(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct TempDir {
    std::filesystem::path path;
    TempDir()
    {
        char tmpl[] = "/tmp/aqvis-report-XXXXXX";
        path = mkdtemp(tmpl);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string file() const { return (path / "AQVIS.OUT").string(); }
};

}  // namespace

TEST(ReportLines, HeaderColumnsAndComponentLine)
{
    const std::string h = Header_Lines(Solute("HF", 0.1, 3.08, -3.57), "12-08-2026", "15:57:59");
    const std::string title = h.substr(h.find("    T "), 163);
    const std::string units = h.substr(h.find("    C "), 166);
    EXPECT_EQ(h, std::string(45, ' ') + "  Date 12-08-2026  Time  15:57:59\r\n"
                     " Aqueous component HF     Xi = .1      a = 3.08     b = -3.57\r\n"
                     + title + "\r\n" + units + "\r\n");
    for (auto [col, word] : {std::pair{5, "T "}, {19, "P "}, {32, "dH2O "}, {43, "ln(kH, bar) "},
                             {59, "K(gas=>aq) "}, {74, "V "}, {89, "Gaq "}, {103, "S "},
                             {117, "Cp "}, {131, "Gaq "}, {147, "S "}, {161, "Cp "}})
        EXPECT_EQ(title.substr(col - 2, std::strlen(word) + 1), std::string(" ") + word) << col;
    for (auto [col, word] : {std::pair{5, "C "}, {18, "bar "}, {32, "g/cc "}, {59, "mol/kg/bar "},
                             {72, "cc/mol "}, {87, "cal/mol "}, {99, "cal/mol/K "},
                             {114, "cal/mol/K "}, {130, "J/mol "}, {144, "J/mol/K "},
                             {159, "J/mol/K "}})
        EXPECT_EQ(units.substr(col - 2, std::strlen(word) + 1), std::string(" ") + word) << col;
    EXPECT_EQ(units.substr(43, 15), std::string(15, ' '));  // no unit for ln(kH, bar)

    const std::string whole = Header_Lines(Solute("NH3", -0.0955, 3, 0), "01-02-2027", "00:00:00");
    EXPECT_NE(whole.find(" Aqueous component NH3     Xi = -.0955      a = 3.     b = .\r\n"),
              std::string::npos);
}

TEST(ReportLines, DataLineFieldsSitInPrintZones)
{
    EXPECT_EQ(Line(kCalc25), kLine25);
    // Pressure 0 at 25 C runs at the saturation pressure, 0.0 in this column.
    const std::string sat = Line(Calc(25, 0.031699, 0.997047, 0, -3.25, 2500, -7.5, 250.25));
    EXPECT_EQ(sat, Zones({"  25.00  ", "  0.0    ", "   0.9970   ", "   0.000   ", " 5.551E+01 ",
                          " -3.250   ", "  2500.0  ", "  -7.500  ", "  250.250  ", "  10460.0  ",
                          "  -31.380  ", "  1047.046"}));
    // A field that fills its zone is followed at once; a longer one pushes the rest.
    EXPECT_EQ(Line(Calc(1234567, 1, 1, 0, 0, 0, 0, 0)).substr(0, 19) + "\r\n",
              Place({{1, "  1234567.00  "}, {15, "  1.0"}}));
    EXPECT_EQ(Line(Calc(123456789012.0, 1, 1, 0, 0, 0, 0, 0)).substr(0, 33) + "\r\n",
              Place({{1, "  123456789012.00  "}, {29, "  1.0"}}));
}

// Zones are counted in characters: a separator of two bytes (U+066B, the
// Arabic decimal separator) takes the place of the point and nothing moves.
TEST(ReportLines, SeparatorOfSeveralBytesKeepsTheZones)
{
    for (const std::string sep : {",", "\u066B"}) {
        std::string expected;
        for (const char ch : kLine25) expected += ch == '.' ? sep : std::string(1, ch);
        EXPECT_EQ(Line(kCalc25, sep), expected) << sep;
    }
}

TEST(ResultCaptions, SixteenCaptionsInPanelOrder)
{
    CaseValues s;
    static_cast<CalcValues&>(s) = Calc(25, 1, 0.8, 0, 25.2, -1234.56, 13.5, 34.6);
    s.lnfH2O = -3.8141, s.VH2O = 18.0687, s.CpH2O = 17.996;
    s.ddH2OdPbar = 4e-5, s.ddH2OdTK = -2e-4, s.Formula = "CO2";
    const PanelCaptions c = Result_Captions(s, Derived_Values(s));
    const char* expected[16][2] = {
        {"lbllnfH2O", "-3.8141 "}, {"lbldH2O", "0.8000 "},       {"lblVH2O", "18.07 "},
        {"lblCpH2O", "18.00 "},    {"lblCompr", "5.0000E-05 "},  {"lblExpan", "-2.5000E-04 "},
        {"lblFormula", "CO2"},     {"lbllnkH", "0.000 "},        {"lblK0", "55.5087 "},
        {"lblV", " 25.2 "},        {"lblgcal", "-1234.6 "},      {"lblScal", "13.50 "},
        {"lblCpcal", "34.6 "},     {"lblgJ", "-5165.4 "},        {"lblSJ", "56.48 "},
        {"lblCpJ", "144.8 "}};
    const auto items = c.items();
    for (int i = 0; i < 16; ++i) {
        EXPECT_STREQ(items[i].first, expected[i][0]);
        EXPECT_EQ(*items[i].second, expected[i][1]) << expected[i][0];
    }
    const PanelCaptions comma = Result_Captions(s, Derived_Values(s), ",");
    EXPECT_EQ(comma.lbldH2O, "0,8000 ");
    EXPECT_EQ(comma.lblExpan, "-2,5000E-04 ");
    EXPECT_EQ(comma.lblK0, "55,5087 ");
}

TEST(DerivedValues, FailuresNameTheirKind)
{
    const auto kind_of = [](const CalcValues& s) {
        try {
            Derived_Values(s);
        } catch (const CalcError& e) {
            return e.kind();
        }
        return ErrorKind::UnknownSolute;  // nothing thrown
    };
    EXPECT_EQ(kind_of(Calc(25, 1, 1, 800, 0, 0, 0, 0)), ErrorKind::Overflow);
    EXPECT_EQ(kind_of(Calc(25, 1, 1, -800, 0, 0, 0, 0)), ErrorKind::Overflow);
    CalcValues no_density = Calc(25, 1, 0, 0, 0, 0, 0, 0);
    no_density.ddH2OdPbar = 1e-5;
    EXPECT_EQ(kind_of(no_density), ErrorKind::DivisionByZero);
    EXPECT_EQ(kind_of(Calc(25, 1, 1, 0, 0, 1e308, 0, 0)), ErrorKind::Overflow);  // in joule
}

TEST(ReportFile, TwoAcceptancesAndAFailedCalculation)
{
    TempDir dir;
    std::ofstream(dir.file(), std::ios::binary) << "earlier run\r\n";
    {
        ReportFile report(dir.file());
        report.Open_Report(Solute("H2", 0.309, -8.4596, 10.8301));
        Append(report, kCalc25);
        Append(report, Calc(350.5, 500, 0.6, -2.5, 1234.5678, -123456.78, 0.0004, 1000));
        EXPECT_THROW(Append(report, Calc(25, 1, 1, 800, 0, 0, 0, 0)), CalcError);
        report.Close_Report();
        report.Close_Report();
        report.Open_Report(Solute("HF", 0.1, 3.08, -3.57));
        report.Open_Report(Solute("HF", 0.1, 3.08, -3.57));
        Append(report, kCalc25);
    }  // closed by the destructor
    std::string text = Read_File(dir.file());
    // Date lines: 45 blanks, "  Date mm-dd-yyyy  Time  hh:mm:ss"; then replaced.
    const std::string shape = std::string(45, ' ') + "  Date 99-99-9999  Time  99:99:99\r\n";
    int dates = 0;
    for (std::size_t at; (at = text.find("  Date ")) != std::string::npos;) {
        const std::size_t start = at - 45;
        for (std::size_t i = 0; i < shape.size(); ++i)
            EXPECT_TRUE(shape[i] == '9' ? std::isdigit(static_cast<unsigned char>(text[start + i]))
                                        : text[start + i] == shape[i])
                << text.substr(start, shape.size());
        text.replace(start, shape.size(), "DATE\r\n");
        ++dates;
    }
    EXPECT_EQ(dates, 3);

    const std::string header = Header_Lines(CatalogueEntry{}, "", "");
    const std::string titles = header.substr(header.find("    T "));
    const std::string expected =
        "earlier run\r\n"
        "DATE\r\n Aqueous component H2     Xi = .309      a = -8.4596     b = 10.8301\r\n" + titles
        + kLine25
        + Zones({"  350.50  ", "  500.0    ", "   0.6000   ", "   -2.500   ", " 6.762E+02 ",
                 " 1234.568   ", "  -123456.8  ", "  0.000  ", "  1000.000  ", "  -516543.2  ",
                 "  0.002  ", "  4184.000"})
        + "DATE\r\n Aqueous component HF     Xi = .1      a = 3.08     b = -3.57\r\n" + titles
        + "DATE\r\n Aqueous component HF     Xi = .1      a = 3.08     b = -3.57\r\n" + titles
        + kLine25;
    EXPECT_EQ(text, expected);
}

TEST(ReportFile, DecimalComma)
{
    TempDir dir;
    ReportFile report(dir.file());
    report.Open_Report(Solute("HF", 0.1, 3.08, -3.57), ",");
    Append(report, kCalc25, ",");
    report.Close_Report();
    const std::string text = Read_File(dir.file());
    EXPECT_NE(text.find(" Aqueous component HF     Xi = ,1      a = 3,08     b = -3,57\r\n"),
              std::string::npos);
    std::string line = kLine25;
    for (char& ch : line)
        if (ch == '.') ch = ',';
    EXPECT_EQ(text.substr(text.size() - line.size()), line);
}

TEST(ReportFile, FileErrorsNamePathAndReason)
{
    const auto message_of = [](ReportFile& r, auto action) {
        try {
            action(r);
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::FileError);
            return std::string(e.what());
        }
        return std::string("nothing thrown");
    };
    const auto open = [](ReportFile& r) { r.Open_Report(Solute("H2", 0.309, -8.4596, 10.8301)); };
    ReportFile missing("/nonexistent-aqvis-dir/AQVIS.OUT");
    std::string m = message_of(missing, open);
    EXPECT_NE(m.find("/nonexistent-aqvis-dir/AQVIS.OUT"), std::string::npos) << m;
    EXPECT_NE(m.find(std::strerror(ENOENT)), std::string::npos) << m;
    EXPECT_FALSE(missing.is_open());

    ReportFile full("/dev/full");  // every write fails: disk full
    m = message_of(full, open);
    EXPECT_NE(m.find("/dev/full"), std::string::npos) << m;
    EXPECT_NE(m.find(std::strerror(ENOSPC)), std::string::npos) << m;
    EXPECT_FALSE(full.is_open());

    m = message_of(full, [](ReportFile& r) { Append(r, kCalc25); });
    EXPECT_NE(m.find("/dev/full"), std::string::npos) << m;
}

TEST(ReportFile, WriteCutShortLeavesNoPartialLine)
{
    TempDir dir;
    const std::string path = dir.file();
    // In a child: the file may grow by only 50 more bytes, so the data line is
    // written in part before the write fails.
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        ReportFile report(path);
        report.Open_Report(Solute("H2", 0.309, -8.4596, 10.8301));
        const rlim_t size = std::filesystem::file_size(path);
        const rlimit limit{size + 50, size + 50};
        setrlimit(RLIMIT_FSIZE, &limit);
        try {
            Append(report, kCalc25);
        } catch (const CalcError& e) {
            _exit(e.kind() == ErrorKind::FileError ? 0 : 2);
        }
        _exit(3);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string text = Read_File(path);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    EXPECT_EQ(text.find("25.00"), std::string::npos);
}

namespace {

std::string Message_Of(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CalcError& e) {
        EXPECT_EQ(e.kind(), ErrorKind::FileError);
        return e.what();
    }
    return "nothing thrown";
}

}  // namespace

// The report is removed, replaced or emptied while it is open (by the user
// in a file manager, an editor saving a new copy, a clean-up script): the
// next line goes to the file now at the path, after the header it belongs to.
TEST(ReportFile, ReportGoneWhileOpenGetsItsHeaderAgain)
{
    namespace fs = std::filesystem;
    struct Fault {
        const char* what;
        std::function<void(const TempDir&)> make;
        std::string before;  // what the new file holds before our lines
    };
    const Fault faults[] = {
        {"removed", [](const TempDir& d) { fs::remove(d.file()); }, ""},
        {"moved away", [](const TempDir& d) { fs::rename(d.file(), d.path / "kept"); }, ""},
        {"replaced",
         [](const TempDir& d) {
             std::ofstream(d.path / "new", std::ios::binary) << "a new copy\r\n";
             fs::rename(d.path / "new", d.file());
         },
         "a new copy\r\n"},
        {"emptied", [](const TempDir& d) { fs::resize_file(d.file(), 0); }, ""},
    };
    const CatalogueEntry h2 = Solute("H2", 0.309, -8.4596, 10.8301);
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        TempDir dir;
        ReportFile report(dir.file());
        report.Open_Report(h2);
        const std::string header = Read_File(dir.file());
        Append(report, kCalc25);
        f.make(dir);
        Append(report, kCalc25);
        Append(report, kCalc25);
        EXPECT_EQ(Read_File(dir.file()), f.before + header + kLine25 + kLine25);
        if (fs::exists(dir.path / "kept")) {
            EXPECT_EQ(Read_File((dir.path / "kept").string()), header + kLine25);
        }
    }

    // When it cannot be created again, the append fails, and succeeds once
    // it can.
    TempDir dir;
    const fs::path folder = dir.path / "sub";
    fs::create_directory(folder);
    const std::string path = (folder / "AQVIS.OUT").string();
    ReportFile report(path);
    report.Open_Report(h2);
    const std::string header = Read_File(path);
    fs::remove_all(folder);
    const std::string m = Message_Of([&] { Append(report, kCalc25); });
    EXPECT_NE(m.find("removed or replaced"), std::string::npos) << m;
    fs::create_directory(folder);
    Append(report, kCalc25);
    EXPECT_EQ(Read_File(path), header + kLine25);
}

// Opened while a standard descriptor is closed, the report must not take
// its number: a write meant for standard output would land in the report.
TEST(ReportFile, NeverOnAStandardDescriptor)
{
    TempDir dir;
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        close(0), close(1), close(2);
        ReportFile report(dir.file());
        report.Open_Report(Solute("H2", 0.309, -8.4596, 10.8301));
        for (int fd = 0; fd <= 2; ++fd) (void)!write(fd, "stray\n", 6);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    const std::string text = Read_File(dir.file());
    EXPECT_EQ(text.find("stray"), std::string::npos) << text;
    EXPECT_NE(text.find("Aqueous component H2"), std::string::npos);
}

// A writer killed in the middle of a line (the system may stop a write at a
// page boundary) leaves the start of a line; the next writer cuts it off
// before it appends, wherever the line was cut.  Another program's text at
// the end stays.
TEST(ReportFile, StartOfALineLeftByAKilledWriterIsCutOff)
{
    TempDir dir;
    const CatalogueEntry h2 = Solute("H2", 0.309, -8.4596, 10.8301);
    {
        ReportFile report(dir.file());
        report.Open_Report(h2);
        Append(report, kCalc25);
        report.Open_Report(Solute("HF", 0.1, 3.08, -3.57));
        Append(report, Calc(350.5, 500, 0.6, -2.5, 1234.5678, -123456.78, 0.0004, 1000));
    }
    const std::string whole = Read_File(dir.file());
    const std::size_t second = whole.find("\r\n", whole.find("25.00")) + 2;
    const auto append_after = [&](const std::string& before) {
        std::ofstream(dir.file(), std::ios::binary | std::ios::trunc) << before;
        ReportFile report(dir.file());
        report.Open_Report(h2);
        Append(report, kCalc25);
        return Read_File(dir.file());
    };
    for (std::size_t cut = second; cut <= whole.size(); ++cut) {
        // Every third place, and every place next to a line end.
        const auto at_line_end = [&](std::size_t k) { return k < whole.size() && (whole[k] == '\r' || whole[k] == '\n'); };
        if (cut % 3 != 0 && !at_line_end(cut) && !at_line_end(cut - 1)) continue;
        const std::size_t kept = whole.rfind("\r\n", cut - 2) + 2;  // whole lines before the cut
        const std::string text = append_after(whole.substr(0, cut));
        ASSERT_EQ(text.substr(0, kept), whole.substr(0, kept)) << "cut at " << cut;
        const std::vector<std::string> lines = [&] {
            std::vector<std::string> v;
            for (std::size_t a = kept, b; (b = text.find("\r\n", a)) != std::string::npos; a = b + 2)
                v.push_back(text.substr(a, b - a));
            return v;
        }();
        ASSERT_EQ(lines.size(), 5u) << "cut at " << cut;
        EXPECT_EQ(lines[0].substr(0, 52), std::string(45, ' ') + "  Date ") << "cut at " << cut;
        EXPECT_NE(lines[1].find("Aqueous component H2"), std::string::npos);
        EXPECT_EQ(lines[4] + "\r\n", kLine25);
    }
    for (const std::string foreign : {"a note without a line end", "  12.5"}) {
        const std::string before = foreign == "  12.5" ? "earlier\r\n" + foreign : whole + foreign;
        EXPECT_EQ(append_after(before).substr(0, before.size()), before);
    }
}
