// `aqvis-cli grid --plot`: the file is a valid SVG or PNG of the asked size,
// with the curves, legend, axis titles and ticks asked for.

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/grid.h"
#include "cli_support.h"

namespace aqvis::clitest {
namespace {

namespace fs = std::filesystem;

std::string file_bytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// ------------------------------------------------------------------ PNG

std::uint32_t crc32(const unsigned char* p, std::size_t n)
{
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t be32(const unsigned char* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

struct PngInfo {
    std::uint32_t width = 0, height = 0;
    std::vector<std::string> chunks;
};

// Reads the chunk structure of a PNG file and checks every chunk's CRC.
PngInfo read_png(const std::string& bytes)
{
    static const std::string signature = "\x89PNG\r\n\x1a\n";
    if (bytes.compare(0, 8, signature) != 0) throw std::runtime_error("no PNG signature");
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    PngInfo info;
    std::size_t at = 8;
    while (at + 12 <= bytes.size()) {
        const std::uint32_t len = be32(b + at);
        if (at + 12 + len > bytes.size()) throw std::runtime_error("chunk runs past the end");
        const std::string type(bytes, at + 4, 4);
        if (crc32(b + at + 4, len + 4) != be32(b + at + 8 + len)) throw std::runtime_error("bad CRC in " + type);
        if (type == "IHDR") {
            info.width = be32(b + at + 8);
            info.height = be32(b + at + 12);
        }
        info.chunks.push_back(type);
        at += 12 + len;
    }
    if (at != bytes.size()) throw std::runtime_error("bytes after the last chunk");
    return info;
}

// ------------------------------------------------------------------ SVG

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
    std::string text;
    std::vector<Element> children;
};

// A strict reader for the XML that an SVG file is: every element closed in
// order, attributes quoted, nothing after the root element.
class XmlReader {
public:
    explicit XmlReader(const std::string& t) : t_(t) {}

    Element document()
    {
        skip_misc();
        Element root = element();
        skip_misc();
        if (i_ != t_.size()) fail("content after the root element");
        return root;
    }

private:
    [[noreturn]] void fail(const std::string& what) const
    {
        throw std::runtime_error("XML: " + what + " at offset " + std::to_string(i_));
    }
    bool starts(const char* s) const { return t_.compare(i_, std::strlen(s), s) == 0; }
    void space()
    {
        while (i_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[i_]))) ++i_;
    }
    void skip_to(const char* end)
    {
        const auto e = t_.find(end, i_);
        if (e == std::string::npos) fail(std::string("missing ") + end);
        i_ = e + std::strlen(end);
    }
    void skip_misc()
    {
        while (true) {
            space();
            if (starts("<?"))
                skip_to("?>");
            else if (starts("<!--"))
                skip_to("-->");
            else if (starts("<!DOCTYPE"))
                skip_to(">");
            else
                return;
        }
    }
    std::string name()
    {
        const std::size_t s = i_;
        while (i_ < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[i_])) || t_[i_] == ':' ||
                                  t_[i_] == '-' || t_[i_] == '_' || t_[i_] == '.'))
            ++i_;
        if (i_ == s) fail("expected a name");
        return t_.substr(s, i_ - s);
    }
    Element element()
    {
        if (!starts("<")) fail("expected an element");
        ++i_;
        Element e;
        e.name = name();
        while (true) {
            space();
            if (starts("/>")) {
                i_ += 2;
                return e;
            }
            if (starts(">")) {
                ++i_;
                break;
            }
            const std::string key = name();
            space();
            if (!starts("=")) fail("expected '='");
            ++i_;
            space();
            const char q = i_ < t_.size() ? t_[i_] : 0;
            if (q != '"' && q != '\'') fail("unquoted attribute");
            const auto end = t_.find(q, i_ + 1);
            if (end == std::string::npos) fail("unterminated attribute");
            if (!e.attributes.emplace(key, t_.substr(i_ + 1, end - i_ - 1)).second) fail("duplicate attribute " + key);
            i_ = end + 1;
        }
        while (true) {
            if (i_ >= t_.size()) fail("unclosed <" + e.name + ">");
            if (starts("</")) {
                i_ += 2;
                if (name() != e.name) fail("mismatched end of <" + e.name + ">");
                space();
                if (!starts(">")) fail("expected '>'");
                ++i_;
                return e;
            }
            if (starts("<!--")) {
                skip_to("-->");
            } else if (starts("<")) {
                e.children.push_back(element());
            } else {
                e.text += t_[i_++];
            }
        }
    }

    const std::string& t_;
    std::size_t i_ = 0;
};

void collect(const Element& e, const std::string& name, std::vector<const Element*>& found)
{
    if (e.name == name) found.push_back(&e);
    for (const Element& c : e.children) collect(c, name, found);
}

std::vector<std::string> texts(const Element& root)
{
    std::vector<const Element*> found;
    collect(root, "text", found);
    std::vector<std::string> t;
    for (const Element* e : found) t.push_back(e->text);
    return t;
}

bool contains(const std::vector<std::string>& v, const std::string& s)
{
    return std::find(v.begin(), v.end(), s) != v.end();
}

// -------------------------------------------------------------- fixture

class GridPlot : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!cli::Plotting_Built()) GTEST_SKIP() << "plotting is not built";
        dir_ = fs::temp_directory_path() / ("aqvis_plot_" + std::to_string(getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override
    {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    fs::path dir_;
};

const char* const kGases = "H2,N2,O2,H2S,CO2,Ar,Ne,NH3,SO2";

TEST_F(GridPlot, SvgHasTheCurvesLegendTitlesAndTicks)
{
    const fs::path file = dir_ / "gases.svg";
    const Outcome o = run({"grid", kGases, "--temp", "0:350:5", "--press", "0", "--plot", file.string()});
    ASSERT_EQ(o.rc, 0) << o.err;
    EXPECT_EQ(o.out, "");  // a plot and no format option: no rows
    EXPECT_EQ(o.err, "");
    const Element svg = XmlReader(file_bytes(file)).document();
    EXPECT_EQ(svg.name, "svg");
    EXPECT_EQ(svg.attributes.at("width"), "900");
    EXPECT_EQ(svg.attributes.at("height"), "600");
    EXPECT_EQ(svg.attributes.at("viewBox"), "0 0 900 600");

    const std::vector<std::string> t = texts(svg);
    for (const char* gas : {"H2", "N2", "O2", "H2S", "CO2", "Ar", "Ne", "NH3", "SO2"}) EXPECT_TRUE(contains(t, gas)) << gas;
    EXPECT_TRUE(contains(t, "Temperature (\xC2\xB0" "C)"));
    EXPECT_TRUE(contains(t, "ln Henry constant, lnkH (kH in bar)"));
    for (const char* tick : {"0", "50", "100", "150", "200", "250", "300", "350"}) EXPECT_TRUE(contains(t, tick)) << tick;
    EXPECT_FALSE(contains(t, "400"));  // the axis ends at the data

    std::vector<const Element*> paths;
    collect(svg, "path", paths);
    EXPECT_GE(paths.size(), 9u);  // one per gas
}

TEST_F(GridPlot, PngOfTheAskedSizeWithSeveralPanelsAndFailedPoints)
{
    const fs::path file = dir_ / "panels.PNG";
    // Past the critical temperature at 0 bar the points fail: gaps, not an abort.
    const Outcome o = run({"grid", "N2,CH4", "--temp", "300:420:2", "--press", "0,300", "--plot",
                           file.string(), "--y", "V2,Cp2,K", "--size", "640x1000", "--csv"});
    EXPECT_EQ(o.rc, 1) << o.err;
    EXPECT_EQ(lines(o.out).size(), 1 + 2 * 2 * 61u);
    const PngInfo png = read_png(file_bytes(file));
    EXPECT_EQ(png.width, 640u);
    EXPECT_EQ(png.height, 1000u);
    ASSERT_FALSE(png.chunks.empty());
    EXPECT_EQ(png.chunks.front(), "IHDR");
    EXPECT_EQ(png.chunks.back(), "IEND");
    EXPECT_TRUE(contains(png.chunks, "IDAT"));
}

TEST_F(GridPlot, AgainstPressureAtOneTemperature)
{
    const fs::path file = dir_ / "isotherm.svg";
    const Outcome o = run({"grid", "CH4", "--temp", "100", "--press", "0:2000:100", "--plot", file.string(),
                           "--y", "V2", "--size", "500x400"});
    ASSERT_EQ(o.rc, 0) << o.err;
    const Element svg = XmlReader(file_bytes(file)).document();
    EXPECT_EQ(svg.attributes.at("width"), "500");
    EXPECT_EQ(svg.attributes.at("height"), "400");
    const std::vector<std::string> t = texts(svg);
    EXPECT_TRUE(contains(t, "Pressure (bar)"));
    EXPECT_TRUE(contains(t, "CH4 at 100 \xC2\xB0" "C"));
    EXPECT_TRUE(contains(t, "2000"));
}

TEST_F(GridPlot, NothingWrittenForAnUnknownMemberAndAnErrorForAnUnwritableFile)
{
    const fs::path file = dir_ / "bad.svg";
    const Outcome bad = run({"grid", "N2", "--temp", "25", "--press", "1", "--plot", file.string(), "--y", "lnKH"});
    EXPECT_EQ(bad.rc, 2);
    EXPECT_NE(bad.err.find("lnKH"), std::string::npos) << bad.err;
    EXPECT_FALSE(fs::exists(file));

    const fs::path nowhere = dir_ / "no-such-dir" / "plot.png";
    const Outcome o = run({"grid", "N2", "--temp", "25,50", "--press", "1", "--plot", nowhere.string()});
    EXPECT_EQ(o.rc, 1);
    EXPECT_NE(o.err.find(nowhere.string()), std::string::npos) << o.err;
}

// Axes over values a few units in the last place apart, or subnormal: a
// readable axis around them, not a crash or an endless row of ticks.
TEST_F(GridPlot, RangesTooNarrowToDivideGiveAnAxisAroundTheValues)
{
    const std::vector<std::pair<std::string, std::string>> axes = {
        {"0,5e-324", "1"},
        {"5e-324,1e-323", "1"},
        {"25,25.000000000000004", "1"},
        {"25", "100,100.00000000000001"},
    };
    for (const auto& [temp, press] : axes) {
        SCOPED_TRACE(temp + " / " + press);
        const fs::path file = dir_ / "narrow.svg";
        const Outcome o = run({"grid", "N2", "--temp", temp, "--press", press, "--plot", file.string()});
        ASSERT_EQ(o.rc, 0) << o.err;
        const std::vector<std::string> t = texts(XmlReader(file_bytes(file)).document());
        EXPECT_LT(t.size(), 40u);
    }
}

// The file gets the name given, byte for byte; a write that fails leaves
// the earlier plot as it was, and says why.
TEST_F(GridPlot, FileNameAsGivenAndAFailedWriteKeepsTheEarlierPlot)
{
    const std::string name = "caf\xE9.svg";  // Latin-1, not UTF-8
    const Outcome o = run({"grid", "N2", "--temp", "25,50", "--press", "1", "--plot", name},
                          "", {.cwd = dir_.string()});
    ASSERT_EQ(o.rc, 0) << o.err;
    EXPECT_EQ(test::List_Dir(dir_.string()), std::vector<std::string>{name});

    const std::string earlier = file_bytes(dir_ / name);
    const Outcome full = run({"grid", "N2", "--temp", "0:100:1", "--press", "1", "--plot", name},
                             "", {.cwd = dir_.string(), .file_size_limit = 4096});
    EXPECT_EQ(full.rc, 1);
    EXPECT_NE(full.err.find("cannot write the plot caf\\xe9.svg: File too large"), std::string::npos)
        << full.err;
    EXPECT_EQ(file_bytes(dir_ / name), earlier);
    EXPECT_EQ(test::List_Dir(dir_.string()), std::vector<std::string>{name});  // no piece left
}

#ifndef __SANITIZE_ADDRESS__
// Memory that runs out while plotting is said in words.
TEST_F(GridPlot, NotEnoughMemoryForThePictureIsSaid)
{
    const fs::path file = dir_ / "huge.png";
    const Outcome o = run({"grid", "N2", "--temp", "25,50", "--press", "1", "--plot", file.string(),
                           "--size", "20000x20000"},
                          "", {.memory_limit = 1LL << 30});
    EXPECT_EQ(o.rc, 1);
    EXPECT_NE(o.err.find("not enough memory"), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists(file));
}
#endif

}  // namespace
}  // namespace aqvis::clitest
