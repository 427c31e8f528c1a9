// Tests the layout checker: volumes, overlaps, boxes outside the container, support, stability, loading order, reports and arguments.
#include "scratch_dir.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/check.h"
#include "tools/check/check_tool.h"
#include "tools/check/report.h"

namespace {

constexpr int32_t kMin32 = INT32_MIN, kMax32 = INT32_MAX;
constexpr auto npos = std::string::npos;
const Container kRoom{100, 100, 100};

LayoutReport check(Container container, std::initializer_list<Box> boxes,
                   CheckSettings settings = {}) {
    return checkLayout(Layout{container, boxes}, settings);
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
    LayoutReport report = check(
        {20, 30, 20},
        {{10, 10, 10, 0, 0, 0}, {10, 20, 22, 10, 0, 0}, {-2, -3, -4, 5, 5, 5}, {0, 5, 5, 6, 0, 0}});
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
    struct Case {
        Box a, b;
        uint64_t volume;
    };
    const Box base{5, 5, 5, 10, 10, 10};
    const Case cases[] = {
        {{4, 4, 4, 0, 0, 0}, {4, 2, 7, 2, 1, 3}, 4},      // partial overlap
        {{10, 10, 10, 0, 0, 0}, {2, 3, 4, 1, 1, 1}, 24},  // one inside the other
        {base, {5, 5, 5, 15, 10, 10}, 0},
        {base, {5, 5, 5, 5, 10, 10}, 0},  // touching faces
        {base, {5, 5, 5, 10, 15, 10}, 0},
        {base, {5, 5, 5, 10, 5, 10}, 0},
        {base, {5, 5, 5, 10, 10, 15}, 0},
        {base, {5, 5, 5, 10, 10, 5}, 0},
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

// Boxes piled up in three places make exactly 1,000,000 overlapping pairs: the list is whole. One box
// more and it stops past kMaxListedOverlaps, and what the boxes stand on is not judged.
TEST(CheckOverlaps, ListStopsPastItsLimitWithoutJudgingSupport) {
    Layout layout{kRoom, {}};
    for (const auto& [count, x] :
         std::initializer_list<std::pair<int, int32_t>>{{1412, 0}, {88, 20}, {4, 40}}) {
        layout.boxes.insert(layout.boxes.end(), count, Box{10, 10, 10, x, 0, 5});
    }
    const LayoutReport whole = checkLayout(layout, {});
    EXPECT_FALSE(whole.overlapsCut);
    EXPECT_EQ(whole.overlaps.size(), 1000000u);
    EXPECT_EQ(whole.floating.size(), 1504u);
    layout.boxes.push_back(layout.boxes[0]);
    const LayoutReport cut = checkLayout(layout, {});
    EXPECT_TRUE(cut.overlapsCut);
    EXPECT_EQ(cut.overlaps.size(), kMaxListedOverlaps);
    EXPECT_EQ(cut.floating.size(), 0u) << "support judged after a search that stopped";
    const std::string text = formatText("f", cut),
                      last = "\nchevauchements : liste arretee a 1000000, appuis non verifies\n";
    EXPECT_EQ(text.substr(text.size() - last.size()), last);
    EXPECT_NE(formatJson("f", cut).find("}],\"overlapsCut\":true,\"outside\":[],"), npos);
}

// 4001 planks laid across 2000 others touch each of them: past kMaxContacts the search
// stops, and nothing is judged. Every other plank is turned inside out: it holds nothing
// up, but its contacts count all the same. (Judging 8,000,000 contacts in the sanitized build would
// take over a minute, so the limit itself is not tested to the contact.)
TEST(CheckSupport, ContactsStopPastTheirLimitWithoutJudgingSupport) {
    Layout layout{{4001, 2000, 2}, {}};
    for (int32_t y = 0; y < 2000; ++y) layout.boxes.push_back({4001, 1, 1, 0, y, 0});
    for (int32_t x = 0; x <= 4000; ++x)
        layout.boxes.push_back({x % 2 ? 1 : -1, 2000, 1, x + (x % 2 ? 0 : 1), 0, 1});
    const LayoutReport cut = checkLayout(layout, {});
    EXPECT_TRUE(cut.contactsCut && hasProblems(cut));
    EXPECT_TRUE(cut.restsOn.empty() && cut.floating.empty())
        << "support judged after a search that stopped";
    const std::string text = formatText("f", cut);
    EXPECT_NE(
        text.find(
            "\ncontacts : recherche arretee a 8000000, chevauchements et appuis non verifies\n"),
        npos)
        << text.substr(0, 600);
    EXPECT_NE(formatJson("f", cut).find("\"overlaps\":[],\"contactsCut\":true,\"outside\":["),
              npos);
}

TEST(CheckOutside, NamesEachAxisAndSideCrossed) {
    struct Case {
        Container container;
        Box box;
        const char* expected;
    };
    const Container c{10, 20, 30}, inverted{-10, 10, 10};
    const Case cases[] = {
        {c, {2, 2, 2, -1, 0, 0}, "1xmin "},        {c, {2, 2, 2, 9, 0, 0}, "1xmax "},
        {c, {2, 2, 2, 0, -1, 0}, "1ymin "},        {c, {2, 2, 2, 0, 19, 0}, "1ymax "},
        {c, {2, 2, 2, 0, 0, -1}, "1zmin "},        {c, {2, 2, 2, 0, 0, 29}, "1zmax "},
        {c, {12, 2, 2, -1, 0, 0}, "1xmin 1xmax "}, {c, {10, 20, 30, 0, 0, 0}, ""},
        {c, {-5, 2, 2, 2, 0, 0}, "1xmin "},        {c, {-5, 2, 2, 5, 0, 0}, ""},
        {c, {0, 2, 2, 11, 0, 0}, "1xmax "},        {inverted, {3, 1, 1, -5, 0, 0}, ""},
        {inverted, {3, 1, 1, -1, 0, 0}, "1xmax "},
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
    report = check(kRoom, {{1, 1, 1, kMax32, 0, 0},
                           {kMax32, 1, 1, 0, 0, 0},
                           {kMin32, 1, 1, 0, 0, 0},
                           {1, 1, 1, kMin32, 0, 0}});
    text = formatText("f", report);
    EXPECT_EQ(report.overlaps.size(), 1u) << text;
    EXPECT_NE(text.find("chevauchement des boites 3 et 4 : volume 1\n"), npos) << text;
    // Half a 2^52 footprint but 2^45 held: 2^51 - 2^45 times 10000 needs more than 64 bits.
    text = formatText(
        "f",
        check(kRoom, {{(1 << 26) - (1 << 20), 1 << 25, 1, 0, 0, 0}, {1 << 27, 1 << 25, 1, 0, 0, 1}},
              {75, false}));
    EXPECT_NE(text.find("boite 2 appuyee a 49.21 % (minimum 75 %)\n"), npos) << text;
}

TEST(CheckReports, TextReportListsEveryFindingOnItsOwnLine) {
    EXPECT_EQ(formatText("plan.txt", check({20, 30, 20}, {{10, 10, 10, 0, 0, 0},
                                                          {5, 5, 5, 8, 8, 8},
                                                          {2, 2, 2, 0, 29, 0},
                                                          {0, 3, 3, 15, 0, 0},
                                                          {2, 2, 2, 9, 9, 9}})),
              "fichier : plan.txt\nnombre de boites : 5\nvolume du conteneur : 12000\n"
              "volume des boites : 1141\ntaux de remplissage : 9.51 %\n"
              "chevauchement des boites 1 et 2 : volume 8\n"
              "chevauchement des boites 1 et 5 : volume 1\n"
              "chevauchement des boites 2 et 5 : volume 8\n"
              "boite 3 hors du conteneur : axe y, cote max\n"
              "boite 4 degeneree (dimension nulle ou negative)\n"
              "boite 2 en l'air : aucun appui\nboite 5 en l'air : aucun appui\n");
    EXPECT_EQ(formatText("ok.txt", check({10, 10, 0}, {})),
              "fichier : ok.txt\nnombre de boites : 0\nvolume du conteneur : 0\n"
              "volume des boites : 0\ntaux de remplissage : non calculable, le conteneur a un "
              "volume nul\nconteneur degenere (dimension nulle ou negative)\n");
    EXPECT_EQ(formatText("f", check({20, 20, 20},
                                    {{4, 4, 4, 0, 0, 0},
                                     {4, 4, 4, 3, 0, 4},
                                     {4, 4, 4, 9, 9, 9},
                                     {8, 4, 4, 0, 6, 0},
                                     {4, 4, 4, 0, 6, 4}},
                                    {75, true})),
              "fichier : f\nnombre de boites : 5\nvolume du conteneur : 8000\n"
              "volume des boites : 384\ntaux de remplissage : 4.80 %\n"
              "boite 3 en l'air : aucun appui\nboite 2 instable : son centre est hors de l'appui\n"
              "boite 2 appuyee a 25 % (minimum 75 %)\nboite 3 appuyee a 0 % (minimum 75 %)\n");
}

TEST(CheckReports, JsonLineReadsBackWithEveryField) {
    LayoutReport report = check({20, 30, 20},
                                {{10, 10, 10, 0, 0, 0},
                                 {5, 5, 5, 8, 8, 8},
                                 {-2, 2, 2, 0, 0, 0},
                                 {3, 3, 3, 0, 0, 13},
                                 {10, 10, 3, 0, 0, 10}},
                                {90, true});
    const std::string line = formatJson("dir/a \"b\"\\c\n.txt", report);
    EXPECT_EQ(line.find('\n'), npos) << line;
    EXPECT_EQ(nlohmann::json::parse(line), nlohmann::json::parse(R"({"file":"dir/a \"b\"\\c\n.txt",
        "container":{"dimX":20,"dimY":30,"dimZ":20},"boxCount":5,"containerVolume":12000,
        "boxVolume":1452,"utilisation":12.1,"containerDegenerate":false,
        "overlaps":[{"a":1,"b":2,"volume":8},{"a":2,"b":5,"volume":12}],
        "outside":[{"box":3,"axis":"x","side":"min"}],"degenerate":[3],"floating":[2,4],
        "unstable":[],"support":[{"box":2,"percent":0.0},{"box":4,"percent":0.0}],"order":[{"box":4,"restsOn":5}]})"));
    // A name that is not UTF-8 is kept readable instead of breaking the line.
    const auto flat = nlohmann::json::parse(formatJson("bad\xffname", check({0, 1, 1}, {})));
    EXPECT_EQ(flat["file"], "bad\xef\xbf\xbdname");
    EXPECT_TRUE(flat["utilisation"].is_null()) << flat;
    EXPECT_TRUE(flat["containerDegenerate"]) << flat;
    EXPECT_FALSE(flat.contains("order")) << flat;
    EXPECT_EQ(nlohmann::json::parse(
                  formatJson("f", check({10, 10, 10}, {{5, 7, 3, 0, 0, 0}})))["utilisation"],
              10.5);
}

TEST(CheckArguments, ReadsFlagsAndFiles) {
    CheckOptions options = parseArguments({"a.txt", "--", "--json", "-x", "-"});
    EXPECT_EQ(options.error, "");
    EXPECT_FALSE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.txt", "--json", "-x", "-"}));
    options = parseArguments({"a.txt", "--json", "b.txt"});
    EXPECT_TRUE(options.json);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a.txt", "b.txt"}));
    options = parseArguments({"--support", "0", "--order", "a", "--support=100"});
    EXPECT_EQ(options.error, "");
    EXPECT_EQ(options.settings.supportThreshold, 100);
    EXPECT_TRUE(options.settings.order);
    EXPECT_EQ(options.files, (std::vector<std::string>{"a"}));
    EXPECT_TRUE(parseArguments({"--help", "--bad"}).help);
}

TEST(CheckSupport, GeometryOfWhatABoxStandsOn) {
    struct Case {
        const char* name;
        std::vector<Box> under;  // the boxes before the checked one, which is last
        Box box;
        bool onFloor;
        double percent;
        bool floating, unstable;
    };
    const Box base{10, 10, 10, 0, 0, 0};
    // clang-format off
    const Case cases[] = {
        {"sur le sol", {}, {4, 4, 4, 3, 3, 0}, true, 100, false, false},
        {"sur une boite", {base}, {4, 4, 4, 3, 3, 10}, false, 100, false, false},
        {"sur deux boites", {{4, 10, 10, 0, 0, 0}, {4, 10, 10, 6, 0, 0}},
         {10, 10, 2, 0, 0, 10}, false, 80, false, false},
        {"sur trois boites dont deux se chevauchent",
         {{4, 10, 10, 0, 0, 0}, {4, 10, 10, 2, 0, 0}, {2, 10, 10, 8, 0, 0}},
         {10, 10, 2, 0, 0, 10}, false, 80, false, false},
        {"a moitie hors du sol", {}, {10, 3, 3, 45, 0, 0}, true, 50, false, false},
        {"sur une boite plate", {{10, 10, 0, 0, 0, 10}},
         {4, 4, 4, 0, 0, 10}, false, 0, true, false},
        {"sur une boite retournee", {{-10, 10, 10, 10, 0, 0}},
         {4, 4, 4, 0, 0, 10}, false, 0, true, false},
        {"arete seulement", {base}, {4, 4, 4, 10, 0, 10}, false, 0, true, false},
        {"centre au bord de l'appui", {{5, 10, 10, 0, 0, 0}},
         {10, 3, 3, 0, 0, 10}, false, 50, false, false},
        {"centre une demi-unite au-dela", {{5, 10, 10, 0, 0, 0}},
         {11, 3, 3, 0, 0, 10}, false, 45.45, false, true},
        {"centre dans l'enveloppe de deux coins", {{2, 2, 10, 0, 0, 0}, {2, 2, 10, 8, 8, 0}},
         {10, 10, 1, 0, 0, 10}, false, 8, false, false},
        {"centre hors de l'enveloppe de deux coins", {{2, 2, 10, 0, 0, 0}, {2, 2, 10, 8, 0, 0}},
         {10, 10, 1, 0, 0, 10}, false, 8, false, true},
        {"centre sous le bord haut d'une bande et d'un coin",
         {{2, 10, 10, 0, 0, 0}, {2, 2, 10, 8, 0, 0}},
         {10, 10, 1, 0, 0, 10}, false, 24, false, false},
        {"centre dans l'enveloppe d'une bande et d'un bloc",
         {{9, 1, 10, 0, 0, 0}, {4, 6, 10, 6, 3, 0}},
         {10, 10, 1, 0, 0, 10}, false, 33, false, false},
        {"74,999 % reste sous 75", {{1, 74999, 10, 0, 0, 0}},
         {1, 100000, 1, 0, 0, 10}, false, 74.99, false, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        Layout layout{{50, 100000, 50}, c.under};
        layout.boxes.push_back(c.box);
        LayoutReport report = checkLayout(layout, {});
        const BoxSupport& s = report.supports.back();
        std::vector<int> under(c.under.size());
        for (std::size_t i = 0; i < under.size(); ++i) under[i] = static_cast<int>(i) + 1;
        if (c.percent == 0) under.clear();
        EXPECT_EQ(s.onFloor, c.onFloor) << c.name;
        EXPECT_EQ(restsOnOf(report, report.boxCount), under) << c.name;
        EXPECT_EQ(s.percent, c.percent) << c.name;
        EXPECT_EQ(s.floating, c.floating) << c.name;
        EXPECT_EQ(s.unstable, c.unstable) << c.name << "\n" << formatText("f", report);
    }
}

TEST(CheckSupport, OrderDependsOnlyOnTheNumbering) {
    const Box bottom{10, 10, 10, 0, 0, 0}, top{6, 6, 6, 2, 2, 10};
    LayoutReport clean = check({20, 20, 20}, {bottom, top}, {50, true});
    EXPECT_FALSE(hasProblems(clean)) << formatText("f", clean);
    EXPECT_TRUE(hasProblems(check({20, 20, 20}, {bottom, {6, 6, 6, 7, 2, 10}}, {75, false})))
        << "a box held at 50 % and nothing else";
    LayoutReport loaded = check({20, 20, 20}, {top, bottom}, {50, true});
    EXPECT_EQ(formatText("f", loaded).substr(formatText("f", clean).size() - 15),
              "boite 1 en l'air : aucun appui\nboite 1 appuyee a 0 % (minimum 50 %)\n"
              "boite 1 posee sur la boite 2, chargee apres elle\n");
    // Without --order the whole load is judged, and only supports[] tells the order.
    LayoutReport whole = check({20, 20, 20}, {top, bottom}, {50, false});
    EXPECT_FALSE(hasProblems(whole)) << formatText("f", whole);
    EXPECT_EQ(restsOnOf(whole, 1, true), std::vector<int>{2});
}

// A few thousand random boxes on a coarse lattice, so that many touch and
// overlap, checked against every pair compared directly.
TEST(CheckSupport, MatchesAllPairsOnAGeneratedLoad) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> size(1, 4), place(0, 40);
    Layout layout{{44, 44, 44}, {}};
    for (int n = 0; n < 3000; ++n) {
        layout.boxes.push_back({size(random), size(random), size(random), place(random),
                                place(random), place(random) / 2 * 2});
    }
    layout.boxes[5].dimX = 0;
    layout.boxes[6].dimY = -2;
    layout.boxes[9] = {4, 300, 300, 3, 0, 4};  // each over too many of the grid's cells
    layout.boxes[11] = {3, 300, -300, 30, 1, 302};
    LayoutReport report = checkLayout(layout, {});
    std::size_t overlaps = 0;
    for (int a = 0; a < 3000; ++a) {
        const Box& p = layout.boxes[a];
        std::vector<int> restsOn;
        std::vector<std::vector<char>> cells(p.dimX > 0 ? p.dimX : 0,
                                             std::vector<char>(p.dimY > 0 ? p.dimY : 0));
        for (int b = 0; b < 3000; ++b) {
            const Box& q = layout.boxes[b];
            auto common = [](int32_t p0, int32_t pd, int32_t q0, int32_t qd) {
                int32_t low = std::max(std::min(p0, p0 + pd), std::min(q0, q0 + qd));
                int32_t high = std::min(std::max(p0, p0 + pd), std::max(q0, q0 + qd));
                return std::max(0, high - low);
            };
            int x = common(p.posX, p.dimX, q.posX, q.dimX),
                y = common(p.posY, p.dimY, q.posY, q.dimY);
            if (b > a && x * y * common(p.posZ, p.dimZ, q.posZ, q.dimZ) > 0) ++overlaps;
            if (b != a && x * y > 0 && q.posZ + q.dimZ == p.posZ && q.dimX > 0 && q.dimY > 0 &&
                q.dimZ > 0 && p.dimX > 0 && p.dimY > 0 && p.dimZ > 0) {
                restsOn.push_back(b + 1);
                for (int i = std::max(q.posX, p.posX);
                     i < std::min(q.posX + q.dimX, p.posX + p.dimX); ++i) {
                    for (int j = std::max(q.posY, p.posY);
                         j < std::min(q.posY + q.dimY, p.posY + p.dimY); ++j) {
                        cells[i - p.posX][j - p.posY] = 1;
                    }
                }
            }
        }
        int covered = 0;
        for (const auto& row : cells)
            covered += static_cast<int>(std::count(row.begin(), row.end(), 1));
        if (p.posZ == 0 && !cells.empty() && !cells[0].empty()) covered = p.dimX * p.dimY;
        const BoxSupport& s = report.supports[a];
        ASSERT_EQ(restsOnOf(report, a + 1), restsOn) << "boite " << a + 1;
        // Held when the doubled centre lies in a triangle, flat ones included, of contact corners.
        std::vector<std::pair<int, int>> corners;
        for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
            for (int j = 0; j < static_cast<int>(cells[i].size()); ++j) {
                for (int k = 0; cells[i][j] && k < 4; ++k)
                    corners.push_back({2 * (p.posX + i + k % 2), 2 * (p.posY + j + k / 2)});
            }
        }
        std::sort(corners.begin(), corners.end());
        corners.erase(std::unique(corners.begin(), corners.end()), corners.end());
        const std::pair<int, int> c{2 * p.posX + p.dimX, 2 * p.posY + p.dimY};
        auto side = [](auto o, auto u, auto v) {
            return (u.first - o.first) * (v.second - o.second) -
                   (u.second - o.second) * (v.first - o.first);
        };
        bool held = false;
        for (auto u : corners)
            for (auto v : corners)
                for (auto w : corners) {
                    const int s1 = side(u, v, c), s2 = side(v, w, c), s3 = side(w, u, c);
                    held = held ||
                           (((s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0)) &&
                            std::min({u.first, v.first, w.first}) <= c.first &&
                            c.first <= std::max({u.first, v.first, w.first}) &&
                            std::min({u.second, v.second, w.second}) <= c.second &&
                            c.second <= std::max({u.second, v.second, w.second}));
                }
        if (p.posZ > 0 && covered > 0) {
            ASSERT_EQ(s.unstable, !held) << "boite " << a + 1;
        }
        if (!cells.empty() && !cells[0].empty() && p.dimZ > 0) {
            ASSERT_EQ(s.percent, std::floor(covered * 10000.0 / (p.dimX * p.dimY)) / 100)
                << "boite " << a + 1;
        }
    }
    EXPECT_EQ(report.overlaps.size(), overlaps);
    EXPECT_TRUE(std::is_sorted(
        report.overlaps.begin(), report.overlaps.end(), [](const Overlap& l, const Overlap& r) {
            return l.first != r.first ? l.first < r.first : l.second < r.second;
        }));
}

// Layouts that defeat the grid's cells, checked against every pair compared
// directly: planks laid across each other with a gap, where the sweep gives up
// after it has found the pairs of a pile below them, and then some of them
// resting across the others, which reach the last axis of the search that takes over;
// then, above them, thin sheets with cubes between them, and floors with sticks
// between them, a few of them touching or crossing, which the search splits along
// other axes.
TEST(CheckSupport, LayoutsThatDefeatTheCellsMatchAllPairs) {
    for (int kind = 0; kind < 5; ++kind) {
        const int touching = kind % 2;
        std::mt19937 random(3);
        std::uniform_int_distribution<int> size(1, 4), place(0, 20);
        Layout layout{{3200, 3200, 60}, {}};
        for (int n = 0; n < 400; ++n) {
            layout.boxes.push_back({size(random), size(random), size(random), place(random),
                                    place(random), place(random)});
        }
        for (int i = 0; i < 1600; ++i)
            layout.boxes.push_back({1, 3200, 1, 2 * i, 0, 50 - touching * (i % 8 == 0)});
        for (int i = 0; i < 800; ++i) layout.boxes.push_back({3200, 1, 1, 0, 4 * i, 48});
        for (int32_t x : {-2000000000, 2000000000, 2000000001}) {  // over 2^32 units in x
            if (touching) layout.boxes.push_back({x > 0 ? 300000000 : 1, 1, 1, x, 0, 48});
        }
        for (int k = 0; kind == 2 && k < 3000; ++k) {
            layout.boxes.push_back(k % 100 ? Box{1, 1, 1, k / 100 * 4 + 2 - 2 * (k % 17 == 0),
                                                 k % 10 * 2, 60 + k % 100 / 10 * 2 - (k % 7 == 0)}
                                           : Box{1, 200, 200, k / 100 * 4, 0, 60});
        }
        for (int k = 0; kind == 3 && k < 3000; ++k) {
            layout.boxes.push_back(k < 10 ? Box{400, 400, 1, 0, 0, 60 + 8 * k}
                                          : Box{40, 1, 1, k / 30 % 10 * 40 - 20 * (k % 9 == 0),
                                                k / 300 * 2,
                                                62 + k % 30 / 3 * 8 + k % 3 * 2 - (k % 13 == 0)});
        }
        for (int k = 0; kind == 4 && k < 8400; ++k) {  // two layers of crossed planks, in no order
            layout.boxes.push_back(k % 2 ? Box{1, 4200, 1, k / 2, 0, 2}
                                         : Box{4200, 1, 1, 0, k / 2, 0});
        }
        if (kind == 4) std::shuffle(layout.boxes.begin(), layout.boxes.end(), random);
        const LayoutReport report = checkLayout(layout, {});
        const int count = static_cast<int>(layout.boxes.size());
        std::size_t overlaps = 0;
        for (int a = 0; a < count; ++a) {
            const Box& p = layout.boxes[a];
            std::vector<int> restsOn;
            for (int b = 0; b < count; ++b) {
                const Box& q = layout.boxes[b];
                auto meets = [](int64_t p0, int64_t pd, int64_t q0, int64_t qd) {
                    return p0 < q0 + qd && q0 < p0 + pd;
                };
                if (b == a || !meets(p.posX, p.dimX, q.posX, q.dimX) ||
                    !meets(p.posY, p.dimY, q.posY, q.dimY))
                    continue;
                if (b > a && meets(p.posZ, p.dimZ, q.posZ, q.dimZ)) ++overlaps;
                if (q.posZ + q.dimZ == p.posZ) restsOn.push_back(b + 1);
            }
            ASSERT_EQ(restsOnOf(report, a + 1), restsOn)
                << "boite " << a + 1 << ", chargement " << kind;
        }
        EXPECT_EQ(report.overlaps.size(), overlaps) << "chargement " << kind;
    }
}

// Loads worked out by hand: a box across two supporters at a quarter and three quarters, a
// three-high stack, a box on the floor and on a box sunk into it, a box half over the
// container's edge; with fragility, the total against the limit and the centre of gravity.
TEST(CheckCargo, LoadsFragilityAndCentreByHand) {
    struct Case {
        const char* name;
        std::vector<Box> boxes;
        std::vector<double> weights, loads;
    };
    const Case cases[] = {
        {"quarts",
         {{10, 10, 5, 0, 0, 0}, {10, 10, 5, 10, 0, 0}, {8, 10, 2, 8, 0, 5}},
         {1, 2, 100},
         {25, 75, 0}},
        {"pile",
         {{4, 4, 1, 0, 0, 0}, {4, 4, 1, 0, 0, 1}, {4, 4, 1, 0, 0, 2}},
         {10, 20, 30},
         {50, 30, 0}},
        {"sol", {{5, 10, 2, 0, 0, -2}, {10, 10, 4, 0, 0, 0}}, {0, 45}, {15, 0}},
        {"bord", {{10, 10, 4, 30, 0, 0}, {10, 10, 4, 30, 0, 4}}, {5, 7}, {7, 0}},
    };
    for (const Case& c : cases) {
        Layout layout{{40, 10, 20}, c.boxes};
        layout.cargo.weight = c.weights;
        LayoutReport report = checkLayout(layout, {});
        for (std::size_t i = 0; i < c.loads.size(); ++i) {
            EXPECT_NEAR(report.weight.loads[i], c.loads[i], 1e-9) << c.name << " box " << i + 1;
        }
    }
    // Box 2 (not fragile) on fragile box 1 is a problem; fragile box 3 on it is not. Box 2
    // carries box 4's 30 kg, 29.999 of it allowed; the load weighs 60 kg for 59 allowed, its
    // centre at x 13.75 (-15.625 % of 40), y 5 (0 %), z 8.33, beyond --cog 15 but not 16.
    Layout layout{
        {40, 10, 20},
        {{10, 10, 5, 10, 0, 0}, {5, 10, 5, 10, 0, 5}, {5, 10, 5, 15, 0, 5}, {5, 10, 5, 10, 0, 10}}};
    layout.cargo = {{20, 5, 5, 30}, {kNoLimit, 29.998, kNoLimit, kNoLimit}, {1, 0, 1, 0}, {}, 59};
    LayoutReport report = checkLayout(layout, {-1, false, 15});
    const std::string text = formatText("f", report);
    EXPECT_EQ(text.substr(text.find("poids")),
              "poids total : 60 kg (maximum 59 kg)\n"
              "centre de gravite : x 13.8 y 5.0 z 8.3 (ecart -15.6 % en x, +0.0 % en y)\n"
              "poids total trop eleve : 60 kg pour 59 kg admis\n"
              "centre de gravite excentre : ecart -15.6 % en x, +0.0 % en y (maximum 15 %)\n"
              "boite 2 posee sur la boite 1, fragile\n"
              "boite 2 surchargee : 30 kg pour 29.998 kg admis\n");
    EXPECT_NE(
        formatJson("f", report)
            .find(R"("support":[],"fragility":[{"box":2,"restsOn":1}],"weight":{"total":60.0,)"
                  R"("max":59.0,"centre":[13.75,5.0,8.333333333333334],"offset":[-15.625,0.0]},)"
                  R"("overweight":true,)"
                  R"("offCentre":true,"overloaded":[{"box":2,"load":30.0,"maxLoad":29.998}]})"),
        npos)
        << formatJson("f", report);
    layout.cargo.maxLoad[1] = 29.999;
    layout.cargo.maxWeight = 60;
    report = checkLayout(layout, {-1, false, 16});
    EXPECT_TRUE(report.weight.overloaded.empty() && !report.weight.overweight &&
                !report.weight.offCentre && report.fragility.size() == 1);
    report = checkLayout(Layout{{40, 10, 20}, {{40, 10, 5, 0, 0, 0}}, {{8}}}, {-1, false, 0});
    EXPECT_FALSE(report.weight.offCentre) << "a centre right in the middle, with --cog 0";
}

// A generated brick wall of a few thousand boxes, read as text with seven numbers and as JSON:
// the same report, and loads equal to a direct computation over every pair of boxes.
TEST(CheckCargo, GeneratedLoadInTextAndJsonMatchesDirectLoads) {
    std::mt19937 random(7);
    const int side = 20, layers = 8;
    Layout layout{{side * 10 + 10, side * 10 + 10, layers * 5}, {}};
    std::string text = "210 210 40\n" + std::to_string(side * side * layers) + "\n";
    std::string json = R"({"container": {"dimX": 210, "dimY": 210, "dimZ": 40}, "boxes": [)";
    for (int layer = 0; layer < layers; ++layer) {
        const int shiftX = random() % 10, shiftY = random() % 10;
        for (int i = 0; i < side * side; ++i) {
            const Box b{10, 10, 5, i % side * 10 + shiftX, i / side * 10 + shiftY, layer * 5};
            const int fragile = random() % 4 == 0;
            const double kg = random() % 1000 / 8.0;
            layout.boxes.push_back(b);
            layout.cargo.weight.push_back(kg);
            text += "10 10 5 " + std::to_string(b.posX) + ' ' + std::to_string(b.posY) + ' ' +
                    std::to_string(b.posZ) + (fragile ? " 1\n" : " 0\n");
            json += std::string(layout.boxes.size() > 1 ? ",\n" : "\n") +
                    R"({"dimX": 10, "dimY": 10, "dimZ": 5, "posX": )" + std::to_string(b.posX) +
                    R"(, "posY": )" + std::to_string(b.posY) + R"(, "posZ": )" +
                    std::to_string(b.posZ) + R"(, "fragile": )" + (fragile ? "true" : "false") +
                    R"(, "weight": )" + std::to_string(kg) + "}";
        }
    }
    const ScratchDir scratch;
    const std::string base = scratch.file("cargo");
    std::ofstream(base + ".txt") << text;
    std::ofstream(base + ".json") << json << "]}";
    Layout fromText, fromJson;
    std::ostringstream refusals;
    ASSERT_EQ(0, readLayout(base + ".txt", kMaxCheckedBoxes, fromText, refusals));
    ASSERT_EQ(0, readLayout(base + ".json", kMaxCheckedBoxes, fromJson, refusals));
    EXPECT_EQ(fromJson.cargo.weight, layout.cargo.weight);
    const LayoutReport weighed = checkLayout(fromJson, {});
    fromJson.cargo.weight.clear();
    EXPECT_EQ(formatText("f", checkLayout(fromText, {})),
              formatText("f", checkLayout(fromJson, {})));
    EXPECT_EQ(formatJson("f", checkLayout(fromText, {})),
              formatJson("f", checkLayout(fromJson, {})));

    const std::vector<Box>& boxes = layout.boxes;
    std::vector<double> loads(boxes.size());
    const auto shared = [](const Box& a, const Box& b) {
        return std::max(0, std::min(a.posX + a.dimX, b.posX + b.dimX) - std::max(a.posX, b.posX)) *
               std::max(0, std::min(a.posY + a.dimY, b.posY + b.dimY) - std::max(a.posY, b.posY));
    };
    const Box floor{210, 210, 0, 0, 0, 0};
    for (std::size_t i = boxes.size(); i-- > 0;) {  // layer by layer from the top
        double area = boxes[i].posZ == 0 ? shared(boxes[i], floor) : 0;
        for (const Box& under : boxes) {
            if (under.posZ + under.dimZ == boxes[i].posZ) area += shared(boxes[i], under);
        }
        for (std::size_t j = 0; j < boxes.size(); ++j) {
            if (boxes[j].posZ + boxes[j].dimZ != boxes[i].posZ) continue;
            loads[j] += (layout.cargo.weight[i] + loads[i]) * shared(boxes[i], boxes[j]) / area;
        }
    }
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        ASSERT_NEAR(weighed.weight.loads[i], loads[i], 1e-6) << "box " << i + 1;
    }
}

}  // namespace

// File names of any bytes and floating-point figures, as the JSON line writes them.
TEST(CheckReports, JsonNamesAndNumbers) {
    const std::string bad = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> names[] = {
        // bytes, the string read back
        {"\xC3\xA9t\xC3\xA9", "\xC3\xA9t\xC3\xA9"},
        {"\x01", "\x01"},
        {"\xC2\x80\xDF\xBF", "\xC2\x80\xDF\xBF"},
        {"\xE0\xA0\x80\xED\x9F\xBF", "\xE0\xA0\x80\xED\x9F\xBF"},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
        {"\xED\xA0\x80", bad + bad + bad},
        {"\xE0\x9F\xBF", bad + bad + bad},
        {"\xC1\xBF", bad + bad},
        {"\xF4\x90\x80\x80", bad + bad + bad + bad},
        {"\xF0\x8F\xBF\xBF", bad + bad + bad + bad},
        {"\xE2\x82", bad},
        {"\xE2\x82"
         "A",
         bad + "A"},
        {"\xE1\x80\xC0", bad + bad},
        {"\xF5\xFF", bad + bad},
        {"\x80", bad},
    };
    for (const auto& [bytes, expected] : names) {
        const std::string line = formatJson(bytes, LayoutReport{});
        EXPECT_EQ(nlohmann::json::parse(line, nullptr, false).value("file", "(unreadable)"),
                  expected)
            << line;
    }
    const std::pair<double, const char*> numbers[] = {
        {0.0, "0.0"},
        {25.0, "25.0"},
        {100.0, "100.0"},
        {99.99, "99.99"},
        {3.2, "3.2"},
        {0.5, "0.5"},
        {0.000123, "0.000123"},
        {1e-05, "1e-05"},
        {1.5e-07, "1.5e-07"},
        {123456789012345.0, "123456789012345.0"},
        {1e15, "1e+15"},
        {1e100, "1e+100"},
        {1.9807040600895968e+30, "1.9807040600895968e+30"},
    };
    for (const auto& [value, text] : numbers) {
        LayoutReport report;
        report.hasUtilisation = true;
        report.utilisation = value;
        const std::string line = formatJson("f", report);
        EXPECT_NE(line.find("\"utilisation\":" + std::string(text) + ","), npos)
            << "expected " << text << " in " << line;
    }
}
