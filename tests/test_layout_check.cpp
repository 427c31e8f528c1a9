// Tests the layout checker: volumes, overlaps, boxes outside the container, reports and arguments.
#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tools/check/layout_check.h"

namespace {

constexpr int32_t kMin32 = INT32_MIN, kMax32 = INT32_MAX;
constexpr auto npos = std::string::npos;
const Container kRoom{100, 100, 100};

LayoutReport check(Container container, std::initializer_list<Box> boxes) {
    Scene scene;
    scene.container = container;
    for (const Box& box : boxes) scene.boxes[++scene.boxCount] = box;
    return checkLayout(scene);
}
// A volume as uint64 so that failures print it; one too big shows as the maximum.
uint64_t u64(Volume v) { return static_cast<uint64_t>(std::min<Volume>(v, UINT64_MAX)); }

std::string crossings(const LayoutReport& report) {
    std::string text;
    for (const Crossing& c : report.outside) {
        text += std::to_string(c.box) + c.axis + (c.side == Side::kMin ? "min " : "max ");
    }
    return text;
}

TEST(CheckVolumes, SumsPositiveBoxesOnlyAndGivesUtilisation) {
    LayoutReport report = check({20, 30, 20}, {{10, 10, 10, 0, 0, 0}, {10, 20, 22, 10, 0, 0},
                                               {-2, -3, -4, 5, 5, 5}, {0, 5, 5, 6, 0, 0}});
    EXPECT_EQ(u64(report.containerVolume), 12000u);
    EXPECT_EQ(u64(report.boxVolume), 5400u);
    EXPECT_EQ(report.degenerate, (std::vector<int>{3, 4}));
    EXPECT_DOUBLE_EQ(report.utilisation, 45.0);
    for (Container flat : {Container{0, 10, 10}, Container{10, -10, 10}}) {
        report = check(flat, {{1, 1, 1, 0, 0, 0}});
        EXPECT_EQ(u64(report.containerVolume), 0u) << formatText("flat", report);
        EXPECT_FALSE(report.hasUtilisation) << formatText("flat", report);
    }
}

TEST(CheckOverlaps, SharedVolumeOfTwoBoxes) {
    struct Case { Box a, b; uint64_t volume; };
    const Box base{5, 5, 5, 10, 10, 10};
    const Case cases[] = {
        {{4, 4, 4, 0, 0, 0}, {4, 2, 7, 2, 1, 3}, 4},      // partial overlap
        {{10, 10, 10, 0, 0, 0}, {2, 3, 4, 1, 1, 1}, 24},  // one inside the other
        {base, {5, 5, 5, 15, 10, 10}, 0}, {base, {5, 5, 5, 5, 10, 10}, 0},  // touching faces
        {base, {5, 5, 5, 10, 15, 10}, 0}, {base, {5, 5, 5, 10, 5, 10}, 0},
        {base, {5, 5, 5, 10, 10, 15}, 0}, {base, {5, 5, 5, 10, 10, 5}, 0},
        {base, {5, 5, 5, 15, 15, 15}, 0},                // a shared corner only
        {{-3, 1, 1, 10, 0, 0}, {4, 1, 1, 8, 0, 0}, 2},   // x 7..10 against 8..12
        {{-3, 1, 1, 10, 0, 0}, {3, 1, 1, 10, 0, 0}, 0},  // either side of one corner
        {{10, 10, 10, 0, 0, 0}, {0, 5, 5, 5, 1, 1}, 0},  // a flat box has no interior
    };
    for (const Case& c : cases) {
        LayoutReport report = check(kRoom, {c.a, c.b});
        EXPECT_EQ(report.overlaps.size(), c.volume ? 1u : 0u) << formatText("f", report);
        if (report.overlaps.size() == 1) {
            EXPECT_EQ(u64(report.overlaps[0].volume), c.volume) << formatText("f", report);
        }
    }
}

TEST(CheckOutside, NamesEachAxisAndSideCrossed) {
    struct Case { Container container; Box box; const char* expected; };
    const Container c{10, 20, 30}, inverted{-10, 10, 10};
    const Case cases[] = {
        {c, {2, 2, 2, -1, 0, 0}, "1xmin "}, {c, {2, 2, 2, 9, 0, 0}, "1xmax "},
        {c, {2, 2, 2, 0, -1, 0}, "1ymin "}, {c, {2, 2, 2, 0, 19, 0}, "1ymax "},
        {c, {2, 2, 2, 0, 0, -1}, "1zmin "}, {c, {2, 2, 2, 0, 0, 29}, "1zmax "},
        {c, {12, 2, 2, -1, 0, 0}, "1xmin 1xmax "}, {c, {10, 20, 30, 0, 0, 0}, ""},
        {c, {-5, 2, 2, 2, 0, 0}, "1xmin "}, {c, {-5, 2, 2, 5, 0, 0}, ""},
        {c, {0, 2, 2, 11, 0, 0}, "1xmax "},
        {inverted, {3, 1, 1, -5, 0, 0}, ""}, {inverted, {3, 1, 1, -1, 0, 0}, "1xmax "},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(crossings(check(cases[i].container, {cases[i].box})), cases[i].expected)
            << "row " << i;
    }
}

TEST(CheckExtremes, VolumesBeyond64BitsAreExact) {
    const Box huge{kMax32, kMax32, kMax32, kMin32, kMin32, kMin32};
    LayoutReport report = check({1, 1, 1}, {huge, huge});
    std::string text = formatText("f", report);
    EXPECT_NE(text.find("volume des boites : 19807040600895968300706562046\n"), npos) << text;
    EXPECT_NE(text.find("boites 1 et 2 : volume 9903520300447984150353281023\n"), npos) << text;
    EXPECT_NEAR(report.utilisation / 1.9807040600895968e30, 1.0, 1e-12);
    // x spans 2^31-1..2^31, 0..2^31-1, -2^31..0 and -2^31..-2^31+1: only the last two overlap.
    report = check(kRoom, {{1, 1, 1, kMax32, 0, 0}, {kMax32, 1, 1, 0, 0, 0},
                           {kMin32, 1, 1, 0, 0, 0}, {1, 1, 1, kMin32, 0, 0}});
    text = formatText("f", report);
    EXPECT_EQ(report.overlaps.size(), 1u) << text;
    EXPECT_NE(text.find("chevauchement des boites 3 et 4 : volume 1\n"), npos) << text;
}

TEST(CheckReports, TextReportListsEveryFindingOnItsOwnLine) {
    EXPECT_EQ(formatText("plan.txt", check({20, 30, 20}, {{10, 10, 10, 0, 0, 0}, {5, 5, 5, 8, 8, 8},
              {2, 2, 2, 0, 29, 0}, {0, 3, 3, 15, 0, 0}, {2, 2, 2, 9, 9, 9}})),
              "fichier : plan.txt\nnombre de boites : 5\nvolume du conteneur : 12000\n"
              "volume des boites : 1141\ntaux de remplissage : 9.51 %\n"
              "chevauchement des boites 1 et 2 : volume 8\n"
              "chevauchement des boites 1 et 5 : volume 1\n"
              "chevauchement des boites 2 et 5 : volume 8\n"
              "boite 3 hors du conteneur : axe y, cote max\n"
              "boite 4 degeneree (dimension nulle ou negative)\n");
    EXPECT_EQ(formatText("ok.txt", check({10, 10, 0}, {})),
              "fichier : ok.txt\nnombre de boites : 0\nvolume du conteneur : 0\n"
              "volume des boites : 0\ntaux de remplissage : non calculable, le conteneur a un "
              "volume nul\naucun probleme\n");
}

TEST(CheckReports, JsonLineReadsBackWithEveryField) {
    LayoutReport report = check({20, 30, 20}, {{10, 10, 10, 0, 0, 0}, {5, 5, 5, 8, 8, 8},
                                               {-2, 2, 2, 0, 0, 0}});
    const std::string line = formatJson("dir/a \"b\"\\c\n.txt", report);
    EXPECT_EQ(line.find('\n'), npos) << line;
    EXPECT_EQ(nlohmann::json::parse(line), nlohmann::json::parse(R"({"file":"dir/a \"b\"\\c\n.txt",
        "container":{"dimX":20,"dimY":30,"dimZ":20},"boxCount":3,"containerVolume":12000,
        "boxVolume":1125,"utilisation":9.375,"overlaps":[{"a":1,"b":2,"volume":8}],
        "outside":[{"box":3,"axis":"x","side":"min"}],"degenerate":[3]})"));
    // A name that is not UTF-8 is kept readable instead of breaking the line.
    const auto flat = nlohmann::json::parse(formatJson("bad\xffname", check({0, 1, 1}, {})));
    EXPECT_EQ(flat["file"], "bad\xef\xbf\xbdname");
    EXPECT_TRUE(flat["utilisation"].is_null()) << flat;
}

TEST(CheckArguments, ReadsFlagsAndFilesAndRefusesTheRest) {
    CheckOptions options = parseArguments({"a.txt", "--", "--json", "-x", "-"});
    EXPECT_EQ(options.error, "");
    EXPECT_FALSE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.txt", "--json", "-x", "-"}));
    options = parseArguments({"a.txt", "--json", "b.txt"});
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.txt", "b.txt"}));
    const std::string usage = " ; usage : boxview-check [--json] FICHIER...";
    EXPECT_EQ(parseArguments({}).error, "aucun fichier a verifier" + usage);
    EXPECT_EQ(parseArguments({"a.txt", "--jsn"}).error, "option inconnue : --jsn" + usage);
    EXPECT_EQ(parseArguments({"-h", "a.txt"}).error, "option inconnue : -h" + usage);
}

} // namespace
