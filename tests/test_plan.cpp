// Tests of boxview-plan through poppler's tools: its pages and their text, its printed numbers, and its refusals.
#include "tools/plan/plan.h"
#include "tools/plan/findings.h"
#include "tools/common/output_file.h"
#include "render/view.h"
#include "scene/scene.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string command(const std::string& line) {
    std::string text;
    if (FILE* pipe = popen(line.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

class PlanTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        // Box 3 rests on box 2, box 4 floats above box 1, box 5 overlaps box 1, boxes 1 and 5
        // leave the container, box 6 bridges boxes 1 and 2.
        std::ofstream(layout) << "19 10 8\n6\n8 6 6 12 0 0\n8 6 6 2 0 0\n4 4 2 2 0 6\n"
                                 "3 3 1 14 2 7\n4 4 4 18 0 0\n6 4 2 8 0 6\n";
    }
    int plan(std::vector<std::string> args) {
        std::ostringstream out;
        const Error error = runPlan(args, out);
        messages = (error.message.empty() ? "" : error.message + "\n") + out.str();
        return exitStatus(error);
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    ScratchDir scratch;  // removed with the fixture
    fs::path dir = scratch.path;
    std::string name = [] {
        std::string s;
        for (int i = 0; i < 90; ++i) s += "é";
        return s;
    }();
    std::string layout = path(name + ".txt"), messages;  // too long for a line of the page
};

TEST_F(PlanTest, OnePagePerBoxWithItsStepPositionDimensionsAndProblems) {
    ASSERT_EQ(0, plan({layout, path("plan.pdf"), "--support", "0"})) << messages;
    EXPECT_NE(std::string::npos, command("pdfinfo " + path("plan.pdf")).find("Pages:           7"));
    const std::vector<std::string> steps[] = {
        {"Étape 1 / 6 : boîte 1", "Position : x = 12, y = 0, z = 0", "Dimensions : 8 × 6 × 6",
         "Appui : posée sur le sol", "Dépasse du conteneur : axe x, côté max"},
        {"Étape 2 / 6 : boîte 2", "Position : x = 2, y = 0, z = 0", "Dimensions : 8 × 6 × 6"},
        {"Étape 3 / 6 : boîte 3", "Position : x = 2, y = 0, z = 6", "Dimensions : 4 × 4 × 2",
         "Appui : posée sur la boîte 2, soutenue à 100 %"},
        {"Étape 4 / 6 : boîte 4", "Position : x = 14, y = 2, z = 7", "Dimensions : 3 × 3 × 1",
         "Flotte : ni le sol ni une boîte déjà chargée ne la soutient"},
        {"Étape 5 / 6 : boîte 5", "Appui : posée sur le sol",
         "Dépasse du conteneur : axe x, côté max", "Chevauche la boîte 1 (volume 32)"},
        {"Étape 6 / 6 : boîte 6", "Appui : posée sur les boîtes 1 et 2"},
    };
    for (int page = 2; page <= 7; ++page) {
        const std::string text = command("pdftotext -f " + std::to_string(page) + " -l " +
                                         std::to_string(page) + " " + path("plan.pdf") + " -");
        for (const std::string& expected : steps[page - 2]) {
            EXPECT_NE(std::string::npos, text.find(expected))
                << "page " << page << ": expected \"" << expected << "\" in:\n"
                << text;
        }
    }
    const std::string first = command("pdftotext -l 1 " + path("plan.pdf") + " -");
    for (const char* expected :
         {"Plan de chargement", "Conteneur : 19 × 10 × 8", "Nombre de boîtes : 6",
          "Chevauchement des boîtes 1 et 5", "Boîte 4 flottante à son étape"}) {
        EXPECT_NE(std::string::npos, first.find(expected)) << expected << " in:\n" << first;
    }
    // The line cut in its middle at whole characters: as many before the ellipsis as after it.
    std::string file = first.substr(first.find("Fichier : "));
    file.resize(file.find('\n'));
    const auto characters = [](const std::string& text) {
        return std::count_if(text.begin(), text.end(), [](char c) { return (c & 0xC0) != 0x80; });
    };
    const std::size_t cut = file.find("…");
    const long before = characters(file.substr(0, cut)), after = characters(file.substr(cut + 3));
    EXPECT_TRUE(cut != std::string::npos && (after == before || after == before + 1) &&
                file.rfind("éé.txt") + 8 == file.size() && first.find(name) == std::string::npos)
        << before << " characters before the ellipsis, " << after << " after, in: " << file;
}

// Ten boxes that all overlap, box 10 floating: every finding is printed, on continued pages
// that each page's header counts and each "suite" line names.
TEST_F(PlanTest, EveryFindingOnPagesThatFollowOn) {
    const std::string ten = path("dix\xff.txt");  // not UTF-8: shown with U+FFFD
    std::ofstream file(ten);
    file << "20 10 10\n10\n";
    for (int i = 1; i <= 10; ++i) file << (i < 10 ? "4 4 4 0 0 0\n" : "4 4 4 0 0 1\n");
    file.close();
    ASSERT_EQ(0, plan({ten, path("plan.pdf"), "--support", "60"})) << messages;
    const std::string info = command("pdfinfo " + path("plan.pdf"));
    const int pages = std::stoi(info.substr(info.find("Pages:") + 6));
    std::string all;
    for (int page = 1; page <= pages; ++page) {
        const std::string text = command("pdftotext -f " + std::to_string(page) + " -l " +
                                         std::to_string(page) + " " + path("plan.pdf") + " -");
        EXPECT_NE(std::string::npos, text.find(" / " + std::to_string(pages))) << text;
        const std::size_t more = text.find("suite à la page ");
        EXPECT_TRUE(more == std::string::npos || std::stoi(text.substr(more + 17)) == page + 1)
            << "page " << page << " sends to the next page, in:\n"
            << text;
        all += text;
    }
    std::vector<std::string> expected{"Boîte 10 flottante à son étape", "Flotte : ni le sol",
                                      "dix\uFFFD.txt", "moins des 60 % demandés"};
    for (int second = 2; second <= 10; ++second) {
        for (int first = 1; first < second; ++first) {
            expected.push_back("des boîtes " + std::to_string(first) + " et " +
                               std::to_string(second) + " : volume");
        }
    }
    for (const std::string& finding : expected) {
        EXPECT_NE(std::string::npos, all.find(finding)) << "\"" << finding << "\" in:\n" << all;
    }
    std::size_t overlaps = 0;
    for (std::size_t at = 0; (at = all.find("Chevauche la boîte ", at)) != std::string::npos; ++at)
        ++overlaps;
    EXPECT_EQ(45u, overlaps) << "an overlap on the step page of its later box, in:\n" << all;
    EXPECT_LT(all.find("Boîte 10 flottante"), all.find("Chevauchement")) << all;
}

TEST(PlanText, NumbersInPrintedFrench) {
    const std::string nb = "\u00a0";
    const std::tuple<double, int, std::string> cases[] = {
        {-1234567, 0, "−1" + nb + "234" + nb + "567"},
        {1234.5, 1, "1" + nb + "234,5"},
        {999, 0, "999"},
        {100000, 0, "100" + nb + "000"},
        {72.5, 2, "72,50"},
        {-0.004, 2, "0,00"},
        {-0.5, 1, "−0,5"},
    };
    for (const auto& [value, decimals, expected] : cases) {
        EXPECT_EQ(expected, frenchNumber(value, decimals))
            << value << " with " << decimals << " decimals";
    }
    EXPECT_EQ("1" + nb + "200 × −5 × 0", frenchDimensions(1200, -5, 0));
}

// The 20-foot sample: page 1 gives the weights, each step page what its box is and bears.
TEST(PlanText, WeightsFragilityAndLoadsOfTheSample) {
    Scene scene;
    std::ostringstream said;
    ASSERT_EQ(
        0, loadScene(std::string(std::getenv("BOXVIEW_SOURCE_DIR")) + "/examples/conteneur-20.json",
                     scene, said))
        << said.str();
    const PlanFindings f = findPlanFindings(scene, -1);
    const std::string nb = "\u00a0";
    auto joined = [](const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines) text += line + "\n";
        return text;
    };
    EXPECT_EQ(joined(f.summary).substr(joined(f.summary).find("Poids")),
              "Poids total : 22" + nb + "910,5" + nb + "kg (maximum 21" + nb + "700" + nb +
                  "kg)\nCentre de gravité : x 235,9, y 100,8, z 56,9\nÉcart du centre : −10,0" +
                  nb + "% en x, −7,1" + nb + "% en y\n");
    EXPECT_EQ(joined(f.boxCargo[1]), "Étiquette : Palette acier 2\nPoids : 2" + nb + "800" + nb +
                                         "kg, non fragile\nCharge portée, tout chargé : 450" + nb +
                                         "kg (maximum 400" + nb + "kg)\n");
    EXPECT_EQ(joined(f.boxProblems[1]),
              "Surchargée une fois tout chargé : 450" + nb + "kg pour 400" + nb + "kg admis\n");
    EXPECT_EQ(joined(f.boxCargo[8]), "Étiquette : Verrerie\nPoids : 18" + nb +
                                         "kg, fragile\nCharge portée, tout chargé : 30" + nb +
                                         "kg (maximum 50" + nb + "kg)\n");
    EXPECT_EQ(joined(f.boxProblems[9]), "Posée sur la boîte 9, fragile\n");
    EXPECT_EQ(f.problems.size(), 3u) << joined(f.problems);
    // A long box on a short one, the centre of its base over nothing.
    scene = Scene{};
    scene.container = {20, 10, 10};
    scene.boxCount = 2;
    scene.boxes[1] = {2, 2, 2, 0, 0, 0};
    scene.boxes[2] = {10, 2, 2, 0, 0, 2};
    EXPECT_EQ(joined(findPlanFindings(scene, -1).problems), "Boîte 2 instable à son étape\n");
}

// A 40-foot container in centimetres, pallets in two rows and two layers: on the page rendered
// at 100 dpi, box k shows in its own colour at step k, at least 20 pixels wide, and no box
// placed before it keeps its own.
TEST_F(PlanTest, StepPicturesShowTheBoxToPlaceInItsColour) {
    std::ofstream file(path("quarante.txt"));
    file << "1203 235 239\n40\n";
    for (int n = 0; n < 40; ++n)
        file << "120 80 100 " << n / 2 % 10 * 120 << ' ' << n % 2 * 80 << ' ' << n / 20 * 100
             << '\n';
    file.close();
    ASSERT_EQ(0, plan({path("quarante.txt"), path("plan.pdf")})) << messages;
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    for (int step : {1, 20, 22, 39}) {
        const std::string page = std::to_string(step + 1);
        // The step's picture alone, 440 x 330 points at (36, 52).
        const std::string ppm = command("pdftoppm -r 100 -f " + page + " -l " + page +
                                        " -x 50 -y 72 -W 611 -H 458 " + path("plan.pdf"));
        ASSERT_EQ(0u, ppm.find("P6\n611 458\n255\n")) << ppm.substr(0, 20);
        const auto pixels = reinterpret_cast<const uint8_t*>(ppm.data()) + 15;
        const auto spread = [&](int box, int& left, int& right) {
            int count = 0;
            left = 611, right = -1;
            for (int i = 0; i < 611 * 458; ++i) {
                const uint8_t* p = pixels + 3 * i;
                // The colour itself, or a side of the box in a shade of it.
                const GLubyte* c = palette.colours[box - 1];
                const double shade = double(p[0] * c[0] + p[1] * c[1] + p[2] * c[2]) /
                                     (c[0] * c[0] + c[1] * c[1] + c[2] * c[2]);
                double off = 0;
                for (int k = 0; k < 3; ++k) off += std::abs(p[k] - shade * c[k]);
                if (shade < 0.7 || shade > 1.01 || off > 6) continue;
                ++count;
                left = std::min(left, i % 611), right = std::max(right, i % 611);
            }
            return count;
        };
        int left = 0, right = 0;
        spread(step, left, right);
        EXPECT_GE(right - left + 1, 20) << "box " << step << " in its colour at its step";
        for (int earlier = 1; earlier < step; ++earlier) {
            EXPECT_LT(spread(earlier, left, right), 20)
                << "pixels of box " << earlier << "'s own colour at step " << step;
        }
    }
}

TEST_F(PlanTest, RefusalsExitTwoAndWriteNothing) {
    std::ostringstream big;
    big << "20 10 8\n61\n";
    for (int i = 0; i < 61; ++i) big << "1 1 1 0 0 0\n";
    std::ofstream(path("trop.txt")) << big.str();
    ASSERT_EQ(0, mkfifo(path("fifo").c_str(), 0644));
    const std::string original = command("cat " + layout);
    const std::pair<std::vector<std::string>, std::string> refusals[] = {
        {{path("absent.txt"), path("plan.pdf")}, path("absent.txt") + " introuvable"},
        {{path("trop.txt"), path("plan.pdf")}, "trop de boites (61), 60 au maximum"},
        {{layout, path("plan.pdf"), "--support", "101"}, "valeur invalide pour --support"},
        {{layout, path("plan.pdf"), "--p"}, "option inconnue : --p"},
        {{layout}, "usage : boxview-plan"},
        {{layout, layout}, "c'est le fichier du chargement"},
        {{layout, path("fifo")}, "ce n'est pas un fichier ordinaire"},
    };
    for (const auto& [args, expected] : refusals) {
        EXPECT_EQ(2, plan(args)) << expected;
        EXPECT_NE(std::string::npos, messages.find(expected)) << expected << " in " << messages;
    }
    EXPECT_FALSE(fs::exists(path("plan.pdf")));
    EXPECT_EQ(original, command("cat " + layout));
    EXPECT_EQ(3, std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
    if (getuid() == 0) {  // in a sticky folder, a file of root's that all may write
        fs::permissions(dir, static_cast<fs::perms>(0755));  // open to the other user
        fs::create_directory(path("collant"));
        fs::permissions(path("collant"), fs::perms::all | fs::perms::sticky_bit);
        std::ofstream(path("collant/plan.pdf")) << "ancien";
        fs::permissions(path("collant/plan.pdf"), static_cast<fs::perms>(0666));
        const pid_t child = fork();
        if (child == 0) {
            OutputTarget target;  // refused before anything is drawn
            const bool other = setuid(65534) == 0;
            const Error error = prepareOutput("t", path("collant/plan.pdf"), layout, target);
            _exit(other && error.kind == ErrorKind::kRefused &&
                  error.message.find("fichier d'un autre utilisateur") != std::string::npos);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_EQ(1, WEXITSTATUS(status)) << "another user's file in a sticky folder, refused";
        EXPECT_EQ("ancien", command("cat " + path("collant/plan.pdf")));
    }
    if (fork() == 0) {  // a PDF cut short by the file size limit fails with cairo's reason
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(plan({layout, path("plan.pdf")}) == 1 &&
              messages.rfind("boxview-plan : PDF impossible", 0) == 0);
    }
    int cut = 0;
    wait(&cut);
    EXPECT_EQ(1, WEXITSTATUS(cut)) << "a PDF written in part";
    EXPECT_EQ(0, plan({"--help"}));
    EXPECT_EQ(0u, messages.find("usage : boxview-plan")) << messages;
    std::ofstream(path("vide.conf")) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    setenv("FONTCONFIG_FILE", path("vide.conf").c_str(), 1);
    EXPECT_EQ(1, plan({layout, path("plan.pdf")})) << "without a font: " << messages;
    unsetenv("FONTCONFIG_FILE");
    EXPECT_FALSE(fs::exists(path("plan.pdf")));
}

}  // namespace
