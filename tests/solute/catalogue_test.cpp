// The solute catalogue: nineteen records in menu order, the hydrocarbon
// submenu, the tabulated values, lookup by formula and loading into the state.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "solute/catalogue.h"

namespace aqvis {
namespace {

struct ExpectedRecord {
    const char* formula;
    double xi, a, b, G0, S0, cpa, cpbE3, cpcEmin5;
    bool hydrocarbon;
};

// The published table of the nineteen solutes, typed in by hand, in menu order.
const ExpectedRecord kTable[] = {
    {"H2", 0.309, -8.4596, 10.8301, 0, 31.234, 6.52, 0.78, -0.12, false},
    {"N2", -0.032, -11.538, 14.6278, 0, 45.796, 6.83, 0.9, 0.12, false},
    {"O2", 0.026, -9.754, 12.9411, 0, 49.003, 7.16, 1.0, 0.4, false},
    {"H2S", -0.2102, -11.2303, 12.6104, -8021, 49.185, 7.81, 2.96, 0.46, false},
    {"CO2", -0.085, -8.8321, 11.2684, -94254, 51.085, 10.57, 2.1, 2.06, false},
    {"Ar", 0.073, -8.5139, 11.921, 0, 37.0085, 4.968, 0, 0, false},
    {"Ne", 0.50835, 1.00144, 4.79756, 0, 39.974, 4.968, 0, 0, false},
    {"NH3", -0.0955, -4.72448, 4.97817, -3932, 46.0, 7.11, 6.0, 0.37, false},
    {"SO2", -0.4295, -14.5223, 14.3512, -71730, 59.327, 11.04, 1.88, 1.84, false},
    {"CH4", -0.1131, -11.8462, 14.8615, -12122.4, 44.518, 5.65, 11.44, 0.46, true},
    {"C2H4", -0.4499, -16.8037, 18.846, 16280, 52.45, 8.35, 0.15, 2.29, true},
    {"C2H6", -0.6091, -16.3482, 20.0628, -7887, 55.14, 1.59, 40.4, 1.263, true},
    {"C3H8", -1.1471, -25.3879, 28.2616, -5886, 64.5, 0.13, 65.9, 2.475, true},
    {"C4H10", -1.6849, -33.8492, 36.1457, -3887, 73.86, 0.97, 85.4, 3.264, true},
    {"C6H6", -1.1, -21.0084, 22.934, 31003, 64.37, 9.90295, 49.7694, 4.38, true},
    {"HCl", -0.28, 11.642, -7.4244, -22777, 44.5268, 6.2739, 1.2404, -0.3011, false},
    {"HF", 0.1008, 3.088, -3.57143, -65822, 41.5342, 6.398, 0.817, -0.314, false},
    {"H3BO3", -1.085026, -3.54297, 3.4693176, -221881, 70.562, 17.5512, 10.04, 4.41, false},
    {"H3AsO3", -1.4798, -10.0766, 8.36167, -142179, 79.97, 22.81, 10.04, 4.41, false},
};

TEST(SoluteCatalogue, HoldsNineteenRecordsInMenuOrder)
{
    ASSERT_EQ(Solute_Catalogue.size(), std::size(kTable));
    for (std::size_t i = 0; i < std::size(kTable); ++i)
        EXPECT_STREQ(Solute_Catalogue[i].Formula, kTable[i].formula) << "menu position " << i;
}

TEST(SoluteCatalogue, ExactlyTheSixHydrocarbonsSitInTheSubmenu)
{
    std::vector<std::string> flagged;
    for (const SoluteRecord& r : Solute_Catalogue)
        if (r.hydrocarbon) flagged.push_back(r.Formula);
    EXPECT_EQ(flagged, (std::vector<std::string>{"CH4", "C2H4", "C2H6", "C3H8", "C4H10", "C6H6"}));
}

// Every field of every record is the exact decimal literal of the table.
TEST(SoluteCatalogue, RecordsMatchThePublishedTableFieldByField)
{
    ASSERT_EQ(Solute_Catalogue.size(), std::size(kTable));
    for (std::size_t i = 0; i < std::size(kTable); ++i) {
        const SoluteRecord& r = Solute_Catalogue[i];
        const ExpectedRecord& e = kTable[i];
        SCOPED_TRACE(e.formula);
        EXPECT_EQ(r.Xi, e.xi);
        EXPECT_EQ(r.Coef1, e.a);
        EXPECT_EQ(r.Coef2, e.b);
        EXPECT_EQ(r.G0gas, e.G0);
        EXPECT_EQ(r.S0gas, e.S0);
        EXPECT_EQ(r.agas, e.cpa);
        EXPECT_EQ(r.bgasE3, e.cpbE3);
        EXPECT_EQ(r.cgasEmin5, e.cpcEmin5);
        EXPECT_EQ(r.hydrocarbon, e.hydrocarbon);
    }
}

// Values that are easy to mistype, checked on their own so that a failure names them.
TEST(SoluteCatalogue, ValuesThatAreEasyToGetWrong)
{
    const SoluteRecord* c2h4 = Find_Solute("C2H4");
    ASSERT_NE(c2h4, nullptr);
    EXPECT_EQ(c2h4->bgasE3, 0.15);  // not 15

    const SoluteRecord* boric = Find_Solute("H3BO3");
    const SoluteRecord* arsenous = Find_Solute("H3AsO3");
    ASSERT_NE(boric, nullptr);
    ASSERT_NE(arsenous, nullptr);
    EXPECT_EQ(boric->bgasE3, arsenous->bgasE3);
    EXPECT_EQ(boric->cgasEmin5, arsenous->cgasEmin5);
    // More digits than the parameter boxes show.
    EXPECT_EQ(boric->Xi, -1.085026);
    EXPECT_EQ(boric->Coef2, 3.4693176);

    for (const char* monatomic : {"Ar", "Ne"}) {
        const SoluteRecord* r = Find_Solute(monatomic);
        ASSERT_NE(r, nullptr);
        EXPECT_EQ(r->agas, 4.968) << monatomic;
        EXPECT_EQ(r->bgasE3, 0.0) << monatomic;
        EXPECT_EQ(r->cgasEmin5, 0.0) << monatomic;
    }
}

TEST(SoluteCatalogue, OnlyTheElementsHaveZeroGibbsEnergyOfFormation)
{
    const std::set<std::string> elements = {"H2", "N2", "O2", "Ar", "Ne"};
    for (const SoluteRecord& r : Solute_Catalogue) {
        if (elements.count(r.Formula))
            EXPECT_EQ(r.G0gas, 0.0) << r.Formula;
        else
            EXPECT_NE(r.G0gas, 0.0) << r.Formula;
    }
}

TEST(SoluteCatalogue, SignsOfTheCrossTermParameters)
{
    for (const SoluteRecord& r : Solute_Catalogue) {
        const std::string f = r.Formula;
        if (f == "HCl" || f == "HF") {
            EXPECT_GT(r.Coef1, 0.0) << f;
            EXPECT_LT(r.Coef2, 0.0) << f;
        } else if (f == "Ne") {
            EXPECT_GT(r.Coef1, 0.0) << f;
            EXPECT_GT(r.Coef2, 0.0) << f;
        } else {
            EXPECT_LT(r.Coef1, 0.0) << f;
            EXPECT_GT(r.Coef2, 0.0) << f;
        }
    }
}

TEST(SoluteCatalogue, FindSoluteReturnsTheRecordOfEachFormula)
{
    for (const SoluteRecord& r : Solute_Catalogue) {
        // Look up through a copy, so that pointer equality of the literals plays no part.
        const std::string name = r.Formula;
        EXPECT_EQ(Find_Solute(name), &r) << name;
    }
}

TEST(SoluteCatalogue, FindSoluteIsExactAndCaseSensitive)
{
    for (const char* miss : {"", "n2", "N2 ", " N2", "N", "N22", "co2", "Xe", "Hydrocarbons", "H2O"})
        EXPECT_EQ(Find_Solute(miss), nullptr) << '"' << miss << '"';
    // A prefix of one formula that is another formula finds the shorter one only.
    ASSERT_NE(Find_Solute("H2"), nullptr);
    EXPECT_STREQ(Find_Solute("H2")->Formula, "H2");
    EXPECT_STREQ(Find_Solute("H2S")->Formula, "H2S");
}

}  // namespace
}  // namespace aqvis
