// Tests the layout checker: volumes, overlaps, boxes outside the container, reports and arguments.
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tools/check/layout_check.h"

namespace {

constexpr int32_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax32 = std::numeric_limits<int32_t>::max();

Scene makeScene(Container container, std::initializer_list<Box> boxes) {
    Scene scene;
    scene.container = container;
    for (const Box& box : boxes) scene.boxes[++scene.boxCount] = box;
    return scene;
}

// A volume as uint64 for readable failures; a value too big to fit shows as the maximum.
uint64_t asU64(Volume volume) {
    return volume > std::numeric_limits<uint64_t>::max() ? std::numeric_limits<uint64_t>::max()
                                                         : static_cast<uint64_t>(volume);
}

std::string describe(const LayoutReport& report) {
    return formatText("essai", report);
}

std::string crossings(const LayoutReport& report) {
    std::string text;
    for (const Crossing& c : report.outside) {
        text += std::to_string(c.box) + c.axis + (c.side == Side::kMin ? "min " : "max ");
    }
    return text;
}

const Container kRoom{100, 100, 100};

// --- volumes and utilisation ---

TEST(CheckVolumes, SumsBoxVolumesAndUtilisation) {
    LayoutReport report =
        checkLayout(makeScene({20, 30, 20}, {{10, 10, 10, 0, 0, 0}, {10, 20, 22, 10, 0, 0}}));
    EXPECT_EQ(asU64(report.containerVolume), 12000u);
    EXPECT_EQ(asU64(report.boxVolume), 5400u);
    ASSERT_TRUE(report.hasUtilisation);
    EXPECT_DOUBLE_EQ(report.utilisation, 45.0);
}

TEST(CheckVolumes, DegenerateBoxesAddNoVolume) {
    LayoutReport report = checkLayout(makeScene(
        kRoom, {{2, 3, 4, 0, 0, 0}, {-2, -3, -4, 50, 50, 50}, {0, 5, 5, 60, 0, 0}}));
    EXPECT_EQ(asU64(report.boxVolume), 24u);
    EXPECT_EQ(report.degenerate, (std::vector<int>{2, 3}));
}

TEST(CheckVolumes, FlatOrInvertedContainerHasNoUtilisation) {
    for (Container container : {Container{0, 10, 10}, Container{10, -10, 10}}) {
        LayoutReport report = checkLayout(makeScene(container, {{1, 1, 1, 0, 0, 0}}));
        EXPECT_EQ(asU64(report.containerVolume), 0u) << describe(report);
        EXPECT_FALSE(report.hasUtilisation) << describe(report);
        EXPECT_NE(describe(report).find("taux de remplissage : non calculable"), std::string::npos)
            << describe(report);
        EXPECT_NE(formatJson("f", report).find("\"utilisation\":null"), std::string::npos)
            << formatJson("f", report);
    }
}

TEST(CheckVolumes, UtilisationIsPrintedWithTwoDecimals) {
    LayoutReport report = checkLayout(makeScene({3, 1, 1}, {{2, 1, 1, 0, 0, 0}}));
    EXPECT_NE(describe(report).find("taux de remplissage : 66.67 %\n"), std::string::npos)
        << describe(report);
}

TEST(CheckVolumes, CountOfZeroOrLessMeansNoBoxes) {
    Scene scene = makeScene(kRoom, {{1, 1, 1, 0, 0, 0}, {1, 1, 1, 0, 0, 0}});
    scene.boxCount = -3;
    LayoutReport report = checkLayout(scene);
    EXPECT_EQ(report.boxCount, 0);
    EXPECT_EQ(asU64(report.boxVolume), 0u);
    EXPECT_FALSE(hasProblems(report)) << describe(report);
}

TEST(CheckVolumes, CountAboveCapacityReadsOnlyTheTable) {
    Scene scene = makeScene(kRoom, {});
    for (int n = 1; n <= kMaxBoxes; ++n) scene.boxes[n] = Box{1, 1, 1, n, 0, 0};
    scene.boxCount = kMax32;
    LayoutReport report = checkLayout(scene);
    EXPECT_EQ(report.boxCount, kMaxBoxes);
    EXPECT_EQ(asU64(report.boxVolume), 60u);
}

// --- overlaps ---

TEST(CheckOverlaps, PartialOverlapVolume) {
    LayoutReport report =
        checkLayout(makeScene(kRoom, {{4, 4, 4, 0, 0, 0}, {4, 2, 7, 2, 1, 3}}));
    ASSERT_EQ(report.overlaps.size(), 1u) << describe(report);
    EXPECT_EQ(report.overlaps[0].first, 1);
    EXPECT_EQ(report.overlaps[0].second, 2);
    EXPECT_EQ(asU64(report.overlaps[0].volume), 2u * 2u * 1u);
}

TEST(CheckOverlaps, BoxInsideAnotherOverlapsByItsOwnVolume) {
    LayoutReport report =
        checkLayout(makeScene(kRoom, {{10, 10, 10, 0, 0, 0}, {2, 3, 4, 1, 1, 1}}));
    ASSERT_EQ(report.overlaps.size(), 1u) << describe(report);
    EXPECT_EQ(asU64(report.overlaps[0].volume), 24u);
}

TEST(CheckOverlaps, TouchingFacesDoNotOverlap) {
    Box base{5, 5, 5, 10, 10, 10};
    Box neighbours[] = {{5, 5, 5, 15, 10, 10}, {5, 5, 5, 5, 10, 10},  {5, 5, 5, 10, 15, 10},
                        {5, 5, 5, 10, 5, 10},  {5, 5, 5, 10, 10, 15}, {5, 5, 5, 10, 10, 5},
                        {5, 5, 5, 15, 15, 15}};  // the last one shares only a corner
    for (const Box& other : neighbours) {
        LayoutReport report = checkLayout(makeScene(kRoom, {base, other}));
        EXPECT_TRUE(report.overlaps.empty()) << describe(report);
        EXPECT_FALSE(hasProblems(report)) << describe(report);
    }
}

TEST(CheckOverlaps, PairsAreListedInOrderWithSmallerNumberFirst) {
    LayoutReport report = checkLayout(makeScene(
        kRoom, {{1, 1, 1, 50, 50, 50}, {2, 2, 2, 0, 0, 0}, {1, 1, 1, 1, 1, 1}, {2, 2, 2, 1, 0, 0}}));
    std::string pairs;
    for (const Overlap& o : report.overlaps) {
        pairs += std::to_string(o.first) + "-" + std::to_string(o.second) + ":" +
                 std::to_string(asU64(o.volume)) + " ";
    }
    EXPECT_EQ(pairs, "2-3:1 2-4:4 3-4:1 ");
}

TEST(CheckOverlaps, NegativeExtentOccupiesTheOtherSideOfTheCorner) {
    // Box 1 spans x 7..10; box 2 spans x 8..12, so they share 2 x 1 x 1.
    LayoutReport report =
        checkLayout(makeScene(kRoom, {{-3, 1, 1, 10, 0, 0}, {4, 1, 1, 8, 0, 0}}));
    ASSERT_EQ(report.overlaps.size(), 1u) << describe(report);
    EXPECT_EQ(asU64(report.overlaps[0].volume), 2u);
    EXPECT_EQ(report.degenerate, (std::vector<int>{1}));
    // Box 3 sits on the positive side of the same corner: they only touch.
    report = checkLayout(makeScene(kRoom, {{-3, 1, 1, 10, 0, 0}, {3, 1, 1, 10, 0, 0}}));
    EXPECT_TRUE(report.overlaps.empty()) << describe(report);
}

TEST(CheckOverlaps, BoxWithZeroDimensionOverlapsNothing) {
    LayoutReport report =
        checkLayout(makeScene(kRoom, {{10, 10, 10, 0, 0, 0}, {0, 5, 5, 5, 1, 1}}));
    EXPECT_TRUE(report.overlaps.empty()) << describe(report);
    EXPECT_EQ(report.degenerate, (std::vector<int>{2}));
}

// --- boxes outside the container ---

struct OutsideCase {
    Box box;
    const char* expected;
};

// Names the case in test listings by the box it places.
void PrintTo(const OutsideCase& c, std::ostream* os) {
    const Box& b = c.box;
    *os << "dim " << b.dimX << "," << b.dimY << "," << b.dimZ << " pos " << b.posX << ","
        << b.posY << "," << b.posZ;
}

class CheckOutside : public ::testing::TestWithParam<OutsideCase> {};

TEST_P(CheckOutside, NamesTheAxisAndSide) {
    LayoutReport report = checkLayout(makeScene({10, 20, 30}, {GetParam().box}));
    EXPECT_EQ(crossings(report), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachFace, CheckOutside,
    ::testing::Values(OutsideCase{{2, 2, 2, -1, 0, 0}, "1xmin "},
                      OutsideCase{{2, 2, 2, 9, 0, 0}, "1xmax "},
                      OutsideCase{{2, 2, 2, 0, -1, 0}, "1ymin "},
                      OutsideCase{{2, 2, 2, 0, 19, 0}, "1ymax "},
                      OutsideCase{{2, 2, 2, 0, 0, -1}, "1zmin "},
                      OutsideCase{{2, 2, 2, 0, 0, 29}, "1zmax "},
                      OutsideCase{{12, 2, 2, -1, 0, 0}, "1xmin 1xmax "},
                      OutsideCase{{2, 2, 2, -5, 30, -5}, "1xmin 1ymax 1zmin "},
                      OutsideCase{{10, 20, 30, 0, 0, 0}, ""},
                      OutsideCase{{-5, 2, 2, 2, 0, 0}, "1xmin "},
                      OutsideCase{{-5, 2, 2, 5, 0, 0}, ""},
                      OutsideCase{{0, 2, 2, 11, 0, 0}, "1xmax "}));

TEST(CheckOutsideContainer, InvertedContainerSpansTheNegativeSide) {
    LayoutReport report = checkLayout(
        makeScene({-10, 10, 10}, {{3, 1, 1, -5, 0, 0}, {3, 1, 1, -1, 0, 0}}));
    EXPECT_EQ(crossings(report), "2xmax ");
}

// --- 32-bit extremes ---

TEST(CheckExtremes, LargestPositiveBoxesGiveExactVolumesBeyond64Bits) {
    Box huge{kMax32, kMax32, kMax32, kMin32, kMin32, kMin32};
    LayoutReport report = checkLayout(makeScene({1, 1, 1}, {huge, huge}));
    std::string text = describe(report);
    EXPECT_NE(text.find("volume des boites : 19807040600895968300706562046\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("chevauchement des boites 1 et 2 : volume 9903520300447984150353281023\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(crossings(report), "1xmin 1ymin 1zmin 2xmin 2ymin 2zmin ");
    ASSERT_TRUE(report.hasUtilisation);
    EXPECT_NEAR(report.utilisation / 1.9807040600895968e30, 1.0, 1e-12);
}

TEST(CheckExtremes, MostNegativeDimensionsSpanTwoToThe31) {
    // dim -2^31 at pos 2^31-1 spans -1 .. 2^31-1 on each axis.
    Box inverted{kMin32, kMin32, kMin32, kMax32, kMax32, kMax32};
    LayoutReport report = checkLayout(makeScene({kMax32, kMax32, kMax32}, {inverted, inverted}));
    std::string json = formatJson("x", report);
    EXPECT_NE(json.find("\"overlaps\":[{\"a\":1,\"b\":2,\"volume\":9903520314283042199192993792}]"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"containerVolume\":9903520300447984150353281023,\"boxVolume\":0,"),
              std::string::npos)
        << json;
    EXPECT_EQ(crossings(report), "1xmin 1ymin 1zmin 2xmin 2ymin 2zmin ");
    EXPECT_EQ(report.degenerate, (std::vector<int>{1, 2}));
}

TEST(CheckExtremes, BoxesTouchingAtTheEndsOfTheRangeDoNotOverlap) {
    // x spans: 2^31-1 .. 2^31, 0 .. 2^31-1, -2^31 .. 0, then -2^31 .. -2^31+1.
    Scene scene = makeScene(kRoom, {{1, 1, 1, kMax32, 0, 0},
                                    {kMax32, 1, 1, 0, 0, 0},
                                    {kMin32, 1, 1, 0, 0, 0},
                                    {1, 1, 1, kMin32, 0, 0}});
    LayoutReport report = checkLayout(scene);
    ASSERT_EQ(report.overlaps.size(), 1u) << describe(report);
    EXPECT_EQ(report.overlaps[0].first, 3);
    EXPECT_EQ(report.overlaps[0].second, 4);
    EXPECT_EQ(asU64(report.overlaps[0].volume), 1u);
}

// --- reports ---

TEST(CheckReports, TextReportListsEveryFindingOnItsOwnLine) {
    LayoutReport report = checkLayout(makeScene(
        {20, 30, 20}, {{10, 10, 10, 0, 0, 0}, {5, 5, 5, 8, 8, 8}, {2, 2, 2, 0, 29, 0},
                       {0, 3, 3, 15, 0, 0}}));
    EXPECT_EQ(formatText("plan.txt", report),
              "fichier : plan.txt\n"
              "nombre de boites : 4\n"
              "volume du conteneur : 12000\n"
              "volume des boites : 1133\n"
              "taux de remplissage : 9.44 %\n"
              "chevauchement des boites 1 et 2 : volume 8\n"
              "boite 3 hors du conteneur : axe y, cote max\n"
              "boite 4 degeneree (dimension nulle ou negative)\n");
}

TEST(CheckReports, CleanLayoutEndsWithNoProblemLine) {
    LayoutReport report = checkLayout(makeScene({10, 10, 10}, {{10, 10, 5, 0, 0, 0}}));
    EXPECT_EQ(formatText("ok.txt", report),
              "fichier : ok.txt\n"
              "nombre de boites : 1\n"
              "volume du conteneur : 1000\n"
              "volume des boites : 500\n"
              "taux de remplissage : 50.00 %\n"
              "aucun probleme\n");
}

TEST(CheckReports, JsonLineHasEveryFieldWithItsValue) {
    LayoutReport report = checkLayout(makeScene(
        {20, 30, 20}, {{10, 10, 10, 0, 0, 0}, {5, 5, 5, 8, 8, 8}, {-2, 2, 2, 0, 0, 0}}));
    std::string line = formatJson("dir/a \"b\"\\c\n.txt", report);
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    nlohmann::json parsed = nlohmann::json::parse(line);
    EXPECT_EQ(parsed["file"], "dir/a \"b\"\\c\n.txt");
    EXPECT_EQ(parsed["container"], (nlohmann::json{{"dimX", 20}, {"dimY", 30}, {"dimZ", 20}}));
    EXPECT_EQ(parsed["boxCount"], 3);
    EXPECT_EQ(parsed["containerVolume"], 12000);
    EXPECT_EQ(parsed["boxVolume"], 1125);
    EXPECT_DOUBLE_EQ(parsed["utilisation"].get<double>(), 1125.0 / 12000.0 * 100.0);
    EXPECT_EQ(parsed["overlaps"], nlohmann::json::parse(R"([{"a":1,"b":2,"volume":8}])"));
    EXPECT_EQ(parsed["outside"], nlohmann::json::parse(R"([{"box":3,"axis":"x","side":"min"}])"));
    EXPECT_EQ(parsed["degenerate"], nlohmann::json::parse("[3]"));
}

TEST(CheckReports, JsonKeepsFileNamesThatAreNotUtf8) {
    LayoutReport report = checkLayout(makeScene({1, 1, 1}, {}));
    std::string line = formatJson("bad\xff\xfename", report);
    nlohmann::json parsed = nlohmann::json::parse(line);
    EXPECT_EQ(parsed["file"], "bad\xef\xbf\xbd\xef\xbf\xbdname") << line;
    EXPECT_EQ(parsed["overlaps"], nlohmann::json::array()) << line;
}

// --- command line ---

TEST(CheckArguments, AcceptsJsonFlagAndFiles) {
    CheckOptions options = parseArguments({"a.txt", "--json", "b.txt"});
    EXPECT_EQ(options.error, "");
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.txt", "b.txt"}));
}

TEST(CheckArguments, DoubleDashEndsOptions) {
    CheckOptions options = parseArguments({"--", "--json", "-x", "-"});
    EXPECT_EQ(options.error, "");
    EXPECT_FALSE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"--json", "-x", "-"}));
}

TEST(CheckArguments, RefusesMissingFilesAndUnknownOptions) {
    EXPECT_EQ(parseArguments({}).error,
              "aucun fichier a verifier ; usage : boxview-check [--json] FICHIER...");
    EXPECT_EQ(parseArguments({"--json"}).error,
              "aucun fichier a verifier ; usage : boxview-check [--json] FICHIER...");
    EXPECT_EQ(parseArguments({"a.txt", "--jsn"}).error,
              "option inconnue : --jsn ; usage : boxview-check [--json] FICHIER...");
    EXPECT_EQ(parseArguments({"-h", "a.txt"}).error,
              "option inconnue : -h ; usage : boxview-check [--json] FICHIER...");
}

} // namespace
