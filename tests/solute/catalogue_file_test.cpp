// Catalogue files: what is written reads back as the same doubles, bad files
// are refused whole with their line, and saving a record changes that one
// line only, through a file that is never half written.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "core/errors.h"
#include "solute/catalogue_file.h"
#include "io/csv_text.h"
#include "io/text_file.h"

namespace aqvis {
namespace {

const std::string kTitle = "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\n";

bool same_bits(double x, double y) { return std::memcmp(&x, &y, sizeof x) == 0; }

void expect_same_record(const CatalogueEntry& got, const CatalogueEntry& want)
{
    EXPECT_EQ(got.Formula, want.Formula);
    for (auto m : {&CatalogueEntry::Xi, &CatalogueEntry::Coef1, &CatalogueEntry::Coef2, &CatalogueEntry::G0gas,
                   &CatalogueEntry::S0gas, &CatalogueEntry::agas, &CatalogueEntry::bgasE3, &CatalogueEntry::cgasEmin5})
        // Negative zero is written and read as 0, as every output prints it.
        EXPECT_TRUE(same_bits(got.*m, want.*m == 0.0 ? 0.0 : want.*m))
            << want.Formula << ": " << got.*m << " != " << want.*m;
}

TEST(CatalogueFile, EveryNumberReadsBackAsTheSameDouble)
{
    Catalogue c;  // the nineteen literals
    CatalogueEntry odd;
    odd.Formula = "Odd";
    odd.Xi = 0.1 + 0.2;  // needs 17 digits
    odd.Coef1 = -std::numeric_limits<double>::denorm_min();
    odd.Coef2 = std::numeric_limits<double>::max();
    odd.G0gas = -0.0;
    odd.S0gas = 1e-300;
    odd.agas = 123456789012345678.0;
    odd.bgasE3 = std::nextafter(1.0, 2.0);
    odd.cgasEmin5 = -2.5e-7;
    c.Put(odd);
    const std::string text = Catalogue_Csv(c.entries());
    EXPECT_TRUE(text.starts_with(kTitle));
    EXPECT_NE(text.find("\nN2,-0.032,-11.538,14.6278,0,45.796,6.83,0.9,0.12\n"), std::string::npos)
        << "the literals are written as they stand";
    const std::vector<CatalogueEntry> back = Read_Catalogue_Text(text);
    ASSERT_EQ(back.size(), c.entries().size());
    for (std::size_t i = 0; i < back.size(); ++i) expect_same_record(back[i], c.entries()[i]);
}

TEST(CatalogueFile, CommentsBlankLinesBlanksAndLineEndsAreAccepted)
{
    const std::string text = "\xEF\xBB\xBF# my solutes\r\n\r\n  Formula , Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\r\n"
                             "   # methanethiol, guessed\r\n"
                             " CH3SH , +0.1, -12.5 ,15,  -2300,60.9,3.2,30.1,0.5\r\n"
                             "\t\n"
                             "Xe,.25,-9.,12e0,0,40.5,4.968,0,0";  // no line end at the end
    const std::vector<CatalogueEntry> e = Read_Catalogue_Text(text);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].Formula, "CH3SH");
    EXPECT_EQ(e[0].Xi, 0.1);
    EXPECT_EQ(e[0].Coef1, -12.5);
    EXPECT_EQ(e[0].G0gas, -2300.0);
    EXPECT_EQ(e[1].Formula, "Xe");
    EXPECT_EQ(e[1].Xi, 0.25);
    EXPECT_EQ(e[1].Coef1, -9.0);
    EXPECT_EQ(e[1].Coef2, 12.0);
}

TEST(CatalogueFile, BadFilesAreRefusedWholeWithLineAndReason)
{
    const std::string ok = "A,0,1,2,3,4,5,6,7\n";
    const struct {
        std::string text;
        const char* message;
    } cases[] = {
        {"", "line 1: no title line"},
        {"# only a comment\n\n", "line 1: no title line"},
        {"Formula,Xi,a,b,G0gas,agas,bgasE3,cgasEmin5\n", "line 1: the title line must be"},
        {"# c\nFormula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5,extra\n", "line 2: the title line must be"},
        {kTitle + ok + "B,0,1,2,3,4,5,6\n", "line 3: 8 fields where 9 are expected (missing column 'cgasEmin5')"},
        {kTitle + ok + "B,0,1,2,3,4,5,6,7,8\n", "line 3: 10 fields where 9 are expected (too many columns)"},
        {kTitle + "B,0,1,2,3,x4,5,6,7\n", "line 2: S0gas is not a finite number: \"x4\""},
        {kTitle + "B,0,1,2,3,4,5,6,\n", "line 2: cgasEmin5 is not a finite number: \"\""},
        {kTitle + "B,nan,1,2,3,4,5,6,7\n", "line 2: Xi is not a finite number"},
        {kTitle + "B,0,inf,2,3,4,5,6,7\n", "line 2: a is not a finite number"},
        {kTitle + "B,0,1,1e999,3,4,5,6,7\n", "line 2: b is too large for a number (beyond 1.8e308): \"1e999\""},
        {kTitle + "B,0,1,2,+-3,4,5,6,7\n", "line 2: G0gas is not a finite number"},
        {kTitle + "B,0,1,2,3,4,5,6,7 8\n", "line 2: cgasEmin5 is not a finite number"},
        {kTitle + "B,0,1,2,3,4,5,6,0x10\n", "line 2: cgasEmin5 is not a finite number"},
        {kTitle + "B,0,1,2,3,4,5,6,7\n# x\n\nB,1,1,2,3,4,5,6,7\n", "line 5: formula B given twice (first on line 2)"},
        {kTitle + ok + "  ,0,1,2,3,4,5,6,7\n", "line 3: empty formula"},
        {kTitle + "A\x01" "B,0,1,2,3,4,5,6,7\n", "line 2: the formula holds a control character"},
        // C1 controls (CSI here) drive terminals as C0 ones do.
        {kTitle + "A\xc2\x9b" "2J,0,1,2,3,4,5,6,7\n", "line 2: the formula holds a control character"},
        // One rule for text that is not UTF-8, comment lines included.
        {kTitle + "A\xff,0,1,2,3,4,5,6,7\n", "line 2: not UTF-8 text (byte 0xff at column 2)"},
        {kTitle + "# \xc3\x28\n", "line 2: not UTF-8 text (byte 0xc3 at column 3)"},
        // A NUL neither cuts the message short nor reaches it raw.
        {kTitle + std::string("B,0,1,2,3,4,5,6,7\0zz\n", 21), "line 2: cgasEmin5 is not a finite number: \"7\\x00zz\""},
    };
    for (const auto& c : cases) {
        try {
            Read_Catalogue_Text(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const CalcError& e) {
            EXPECT_EQ(e.kind(), ErrorKind::FileError);
            EXPECT_TRUE(std::string(e.what()).starts_with(c.message)) << e.what() << "\nwanted: " << c.message;
        }
    }
}

TEST(CatalogueFile, AFileAddsItsSolutesAndReplacesABuiltInOneWhereItStands)
{
    const std::string path = ::testing::TempDir() + "aqvis_catalogue_load.csv";
    std::ofstream(path) << kTitle << "N2,0.043,-9.91,13.29,0,45.796,6.83,0.9,0.12\nXe,0.1,-9,12,0,40.5,4.968,0,0\n";
    const Catalogue c = Load_Catalogue(path);
    ASSERT_EQ(c.entries().size(), 20u);
    EXPECT_EQ(c.entries()[1].Formula, "N2");
    EXPECT_EQ(c.entries()[1].Xi, 0.043);
    EXPECT_EQ(c.entries().back().Formula, "Xe");
    EXPECT_EQ(c.Find("Xe"), &c.entries().back());
    EXPECT_EQ(Find_Solute("N2")->Xi, -0.032) << "the built-in table is left as it is";

    std::ofstream(path) << kTitle << "Xe,0.1,-9,12,0,40.5,4.968,0,x\n";
    try {
        Load_Catalogue(path);
        ADD_FAILURE() << "bad file accepted";
    } catch (const CalcError& e) {
        EXPECT_EQ(std::string(e.what()), path + " line 2: cgasEmin5 is not a finite number: \"x\"");
    }
    std::filesystem::remove(path);
    EXPECT_THROW(Load_Catalogue(path), CalcError);
}

TEST(CatalogueFile, SavingReplacesOneLineOrAppendsAndKeepsTheRest)
{
    CatalogueEntry n2(*Find_Solute("N2"));
    n2.Xi = 0.0479;
    const std::string n2_line = "N2,0.0479,-11.538,14.6278,0,45.796,6.83,0.9,0.12";
    const struct {
        std::string before, after;
    } cases[] = {
        {"", kTitle + n2_line + "\n"},
        {"# mine\n", "# mine\n" + (kTitle + n2_line) + "\n"},
        {std::string("# mine\n") + kTitle + "Xe,1,2,3,4,5,6,7,8\n# the old one:\n N2 ,1,2,3,4,5,6,7,8\nKr,1,2,3,4,5,6,7,8",
         std::string("# mine\n") + kTitle + "Xe,1,2,3,4,5,6,7,8\n# the old one:\n" + n2_line + "\nKr,1,2,3,4,5,6,7,8"},
        {std::string(kTitle) + "Xe,1,2,3,4,5,6,7,8", std::string(kTitle) + "Xe,1,2,3,4,5,6,7,8\n" + n2_line + "\n"},
        {"Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\r\nN2,1,2,3,4,5,6,7,8\r\nXe,1,2,3,4,5,6,7,8\r\n",
         "Formula,Xi,a,b,G0gas,S0gas,agas,bgasE3,cgasEmin5\r\n" + n2_line + "\r\nXe,1,2,3,4,5,6,7,8\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(Catalogue_Text_With(c.before, n2), c.after) << c.before;
    EXPECT_THROW(Catalogue_Text_With(std::string(kTitle) + "Xe,1,2\n", n2), CalcError);
}

// The longer title line adds Tc, Pc, omega and kij: each may be empty, the
// first three go together, and a built-in solute given anew without them
// keeps its own; saving into such a file writes the longer line.
TEST(CatalogueFile, GasColumnsAreOptionalAndKeptForBuiltInSolutes)
{
    const std::string title = std::string(kCatalogueGasTitle) + "\n";
    const std::vector<CatalogueEntry> e =
        Read_Catalogue_Text(title + "Xe,0.1,-9,12,0,40.5,4.968,0,0,289.7,58.4,0.0,0.05\nKr,0,1,2,3,4,5,6,7,,,,\n");
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].critical, (CriticalConstants{289.7, 58.4, 0.0}));
    EXPECT_EQ(e[0].kij, 0.05);
    EXPECT_FALSE(e[1].critical);
    EXPECT_FALSE(e[1].kij);
    for (const char* bad : {"Xe,0,1,2,3,4,5,6,7,289.7,,0.0,\n", "Xe,0,1,2,3,4,5,6,7,0,58.4,0.0,\n",
                            "Xe,0,1,2,3,4,5,6,7,289.7,58.4,x,\n", "Xe,0,1,2,3,4,5,6,7\n"})
        EXPECT_THROW(Read_Catalogue_Text(title + bad), CalcError) << bad;

    const std::string path = ::testing::TempDir() + "aqvis_catalogue_gas.csv";
    std::ofstream(path) << kTitle << "N2,0.043,-9.91,13.29,0,45.796,6.83,0.9,0.12\n";
    EXPECT_EQ(Load_Catalogue(path).Find("N2")->critical, CatalogueEntry(*Find_Solute("N2")).critical);
    std::filesystem::remove(path);

    EXPECT_EQ(Catalogue_Text_With(title, e[0]), title + "Xe,0.1,-9,12,0,40.5,4.968,0,0,289.7,58.4,0,0.05\n");
    EXPECT_EQ(Catalogue_Line(e[1], {.gas = true}), "Kr,0,1,2,3,4,5,6,7,,,,");
}

// The covariance of xi, a and b: six optional columns, all or none, refused
// with the line unless they make a positive semi-definite matrix.  The check
// is made on the correlations, so parameters of very different scales and
// matrices that are singular (a parameter held, two parameters perfectly
// correlated) within round-off are accepted.
TEST(CatalogueFile, CovarianceColumnsAreCheckedToBeAPositiveSemiDefiniteMatrix)
{
    const std::string title = std::string(kCatalogueTitle) + "," + std::string(kCatalogueCovarianceColumns) + "\n";
    const std::string record = "Xe,0.1,-9,12,0,40.5,4.968,0,0,";
    const struct {
        const char* fields;  // var_xi,var_a,var_b,cov_xi_a,cov_xi_b,cov_a_b
        const char* refused;  // start of the reason, nullptr when accepted
    } cases[] = {
        {",,,,,", nullptr},  // unknown
        {"4e-5,0.01,0.0104,-5e-4,5e-4,-0.0101", nullptr},
        {"0,0.01,0.01,0,0,-0.01", nullptr},  // xi held, a and b correlated exactly -1
        {"1e-14,1e6,1e6,9e-5,-9e-5,-9.9e5", nullptr},  // scales apart by 1e20
        {"-1e-9,0.01,0.01,0,0,0", "var_xi is negative"},
        {"1e-4,0.01,0.01,0,0", "14 fields where 15 are expected (missing column 'cov_a_b')"},
        {"1e-4,0.01,,0,0,0", "the six covariance fields var_xi ... cov_a_b go together"},
        {"1e-4,0.01,0.01,0,0,x", "cov_a_b is not a finite number"},
        {"0,0.01,0.01,1e-9,0,0", "cov_xi_a is not zero although var_xi is"},
        {"1e-4,0.01,0.01,0,0,-0.0100001", "cov_a_b makes the correlation of a and b -1.00001, beyond -1..1"},
        // Every correlation -0.6: the matrix has the eigenvalue 1 - 2*0.6.
        {"1,1,1,-0.6,-0.6,-0.6", "the covariance of xi, a and b is not positive semi-definite: its correlation matrix "
                                 "has the eigenvalue -0.2"},
    };
    for (const auto& c : cases) {
        const std::string text = title + "# a note\n" + record + c.fields + "\n";
        try {
            const std::vector<CatalogueEntry> e = Read_Catalogue_Text(text);
            EXPECT_FALSE(c.refused) << c.fields << " accepted";
            EXPECT_EQ(e[0].covariance.has_value(), std::string(c.fields) != ",,,,,") << c.fields;
        } catch (const CalcError& x) {
            ASSERT_TRUE(c.refused) << c.fields << ": " << x.what();
            EXPECT_TRUE(std::string(x.what()).starts_with(std::string("line 3: ") + c.refused)) << x.what();
        }
    }
    // Both halves of a covariance come from one field in a file; a matrix
    // formed elsewhere may differ in them.
    ParameterCovariance c = Covariance_From({1e-4, 0.01, 0.01, 0, 0, -0.005});
    c.m[2][1] = -0.004;
    EXPECT_TRUE(Covariance_Problem(c).starts_with("cov_a_b is not symmetric")) << Covariance_Problem(c);

    // With the gas columns: the covariance follows them, in the numbers'
    // order, and reads back as the same doubles.
    const std::string both = std::string(kCatalogueGasTitle) + "," + std::string(kCatalogueCovarianceColumns) + "\n";
    const std::vector<CatalogueEntry> e = Read_Catalogue_Text(both + "Kr,0,1,2,3,4,5,6,7,,,,,0.1,0.2,0.3,0.01,0.02,0.03\n");
    ASSERT_TRUE(e[0].covariance);
    EXPECT_EQ(Covariance_Numbers(*e[0].covariance), (std::array<double, 6>{0.1, 0.2, 0.3, 0.01, 0.02, 0.03}));
    EXPECT_EQ(e[0].covariance->m[2][0], 0.02);
    EXPECT_EQ(Catalogue_Line(e[0], {.gas = true, .covariance = true}), "Kr,0,1,2,3,4,5,6,7,,,,,0.1,0.2,0.3,0.01,0.02,0.03");
}

// Saving a record with a covariance into a file without the columns adds
// them (empty for the other records); its note line stands above it and is
// replaced with it, while other comments stay.
TEST(CatalogueFile, SavingACovarianceWidensTheFileAndReplacesTheRecordsNote)
{
    CatalogueEntry n2(*Find_Solute("N2"));
    n2.covariance = Covariance_From({4e-5, 0.01, 0.0104, -5e-4, 5e-4, -0.0101});
    const std::string cov_title = std::string(kCatalogueTitle) + "," + std::string(kCatalogueCovarianceColumns);
    const std::string n2_line = "N2,-0.032,-11.538,14.6278,0,45.796,6.83,0.9,0.12,4e-05,0.01,0.0104,-5e-04,5e-04,-0.0101";
    const std::string old = kTitle + "Xe,1,2,3,4,5,6,7,8\r\n# N2: the old note\nN2,1,2,3,4,5,6,7,8\n# N2 again\n";
    const std::string now = Catalogue_Text_With(old, n2, "fitted; covariance from the scatter");
    EXPECT_EQ(now, cov_title + "\nXe,1,2,3,4,5,6,7,8,,,,,,\r\n# N2: fitted; covariance from the scatter\r\n" + n2_line +
                       "\n# N2 again\n");
    EXPECT_EQ(Read_Catalogue_Text(now)[1].covariance, n2.covariance);

    // A record saved without a covariance empties its fields and drops its note.
    CatalogueEntry plain(*Find_Solute("N2"));
    EXPECT_EQ(Catalogue_Text_With(now, plain),
              cov_title + "\nXe,1,2,3,4,5,6,7,8,,,,,,\r\nN2,-0.032,-11.538,14.6278,0,45.796,6.83,0.9,0.12,,,,,,\n# N2 again\n");
    EXPECT_EQ(Catalogue_Text_With("", n2, "a note"), cov_title + "\n# N2: a note\n" + n2_line + "\n");
    EXPECT_EQ(Catalogue_Csv(std::span(&n2, 1)), cov_title + "\n" + n2_line + "\n");
}

TEST(CatalogueFile, SaveGoesThroughAWholeFileAndLeavesABadOneAlone)
{
    const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) / ("aqvis_save" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "mine.csv").string();
    CatalogueEntry xe;
    xe.Formula = "Xe";
    xe.Xi = 0.5;
    Save_Catalogue_Entry(path, xe);
    xe.Coef1 = -7.25;
    Save_Catalogue_Entry(path, xe);
    EXPECT_EQ(Read_Text_File(path), kTitle + std::string("Xe,0.5,-7.25,0,0,0,0,0,0\n"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary file left";

    const std::string bad = kTitle + std::string("Xe,1,2\n");
    std::ofstream(path, std::ios::trunc) << bad;
    EXPECT_THROW(Save_Catalogue_Entry(path, xe), CalcError);
    EXPECT_EQ(Read_Text_File(path), bad);
    EXPECT_THROW(Save_Catalogue_Entry((dir / "no" / "such.csv").string(), xe), CalcError);

    // A named pipe is neither read (which would wait for a writer) nor replaced.
    const std::string fifo = (dir / "pipe.csv").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_THROW(Save_Catalogue_Entry(fifo, xe), CalcError);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    std::filesystem::remove_all(dir);
}

// An endless input is refused once it passes the size a data file can have.
TEST(CatalogueFile, EndlessInputIsRefusedNotHeld)
{
    EXPECT_THROW(Read_Catalogue_File("/dev/zero"), CalcError);
}

}  // namespace
}  // namespace aqvis
