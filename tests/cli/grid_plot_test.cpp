// `aqvis-cli grid --plot`: the file is a valid SVG or PNG of the asked size,
// with the curves, legend, axis titles and ticks asked for.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QFile>
#include <QImage>
#include <QXmlStreamReader>

#include <algorithm>
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

// The picture as Qt's PNG decoder reads it (which checks the chunks); a file
// it cannot decode is a null image.
QImage read_png(const fs::path& p)
{
    QImage image;
    image.load(QString::fromStdString(p.string()), "PNG");
    return image;
}

// ------------------------------------------------------------------ SVG

// What the tests look at in an SVG file, read with a strict XML reader: the
// root element's attributes, every <text> element's text and the number of
// <path> elements. A document that is not well-formed XML throws.
struct Svg {
    std::string root;
    std::map<std::string, std::string> attributes;
    std::vector<std::string> texts;
    std::size_t paths = 0;
};

Svg read_svg(const fs::path& p)
{
    QFile file(QString::fromStdString(p.string()));
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot open " + p.string());
    QXmlStreamReader xml(&file);
    Svg svg;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement) continue;
        const std::string name = xml.name().toString().toStdString();
        if (svg.root.empty()) {
            svg.root = name;
            for (const QXmlStreamAttribute& a : xml.attributes())
                svg.attributes[a.name().toString().toStdString()] = a.value().toString().toStdString();
        }
        if (name == "path") ++svg.paths;
        if (name == "text")
            svg.texts.push_back(xml.readElementText(QXmlStreamReader::IncludeChildElements).toStdString());
    }
    if (xml.hasError()) throw std::runtime_error("XML: " + xml.errorString().toStdString());
    return svg;
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
    const Svg svg = read_svg(file);
    EXPECT_EQ(svg.root, "svg");
    EXPECT_EQ(svg.attributes.at("width"), "900");
    EXPECT_EQ(svg.attributes.at("height"), "600");
    EXPECT_EQ(svg.attributes.at("viewBox"), "0 0 900 600");

    const std::vector<std::string>& t = svg.texts;
    for (const char* gas : {"H2", "N2", "O2", "H2S", "CO2", "Ar", "Ne", "NH3", "SO2"}) EXPECT_TRUE(contains(t, gas)) << gas;
    EXPECT_TRUE(contains(t, "Temperature (\xC2\xB0" "C)"));
    EXPECT_TRUE(contains(t, "ln Henry constant, lnkH (kH in bar)"));
    for (const char* tick : {"0", "50", "100", "150", "200", "250", "300", "350"}) EXPECT_TRUE(contains(t, tick)) << tick;
    EXPECT_FALSE(contains(t, "400"));  // the axis ends at the data

    EXPECT_GE(svg.paths, 9u);  // one per gas
}

// Markup in a formula (the plot's title, legend and the SVG title element)
// is text, escaped: the file stays XML and says what the formula says.
TEST_F(GridPlot, MarkupInAFormulaStaysTextInTheSvg)
{
    const fs::path catalogue = dir_ / "cat.csv";
    std::ofstream(catalogue) << "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n"
                                "A<&>\"'B,-0.31,-13.7,16.2,-2300,60.9,3.2,30.1,0.5\n";
    for (const char* solutes : {"A<&>\"'B", "A<&>\"'B,N2"}) {  // the formula in the title, then in the legend
        const fs::path file = dir_ / "markup.svg";
        const Outcome o = run({"grid", solutes, "--temp", "0:100:50", "--press", "1", "--plot", file.string(),
                               "--catalogue", catalogue.string()});
        ASSERT_EQ(o.rc, 0) << o.err;
        const Svg svg = read_svg(file);  // throws where the file is no XML
        bool named = false;
        for (const std::string& t : svg.texts) named = named || t.find("A<&>\"'B") != std::string::npos;
        EXPECT_TRUE(named);
    }
}

TEST_F(GridPlot, PngOfTheAskedSizeWithSeveralPanelsAndFailedPoints)
{
    const fs::path file = dir_ / "panels.PNG";
    // Past the critical temperature at 0 bar the points fail: gaps, not an abort.
    const Outcome o = run({"grid", "N2,CH4", "--temp", "300:420:2", "--press", "0,300", "--plot",
                           file.string(), "--y", "V2,Cp2,K", "--size", "640x1000", "--csv"});
    EXPECT_EQ(o.rc, 1) << o.err;
    EXPECT_EQ(lines(o.out).size(), 1 + 2 * 2 * 61u);
    const QImage png = read_png(file);
    ASSERT_FALSE(png.isNull());
    EXPECT_EQ(png.width(), 640);
    EXPECT_EQ(png.height(), 1000);
}

TEST_F(GridPlot, AgainstPressureAtOneTemperature)
{
    const fs::path file = dir_ / "isotherm.svg";
    const Outcome o = run({"grid", "CH4", "--temp", "100", "--press", "0:2000:100", "--plot", file.string(),
                           "--y", "V2", "--size", "500x400"});
    ASSERT_EQ(o.rc, 0) << o.err;
    const Svg svg = read_svg(file);
    EXPECT_EQ(svg.attributes.at("width"), "500");
    EXPECT_EQ(svg.attributes.at("height"), "400");
    const std::vector<std::string>& t = svg.texts;
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
        const std::vector<std::string> t = read_svg(file).texts;
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
