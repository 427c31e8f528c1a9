// Tests of the console dialogue through injected streams and a recording viewer.
#include "app/console.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

const std::string kBanner =
    "format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\n"
    "dimX dimY dimZ posX posY posZ fragilite de chaque boite\n";
const std::string kPrompt = "fichier a lire ?\n-->";

class ConsoleTest : public ::testing::Test {
protected:
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Writes a layout file and returns its path.
    std::string file(const char* name, const char* content) {
        std::filesystem::create_directories(dir);
        std::ofstream(dir / name) << content;
        return (dir / name).string();
    }
    // Runs the dialogue on input, recording the box count of every scene shown.
    int run(const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out;
        int status = runConsole(in, out, [this](const Scene& s) { shown.push_back(s.boxCount); });
        transcript = out.str();
        return status;
    }

    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("boxview-console-" + std::to_string(getpid()));
    std::string transcript;
    std::vector<int> shown;
};

TEST_F(ConsoleTest, EmptyInputPrintsBannerAndOnePromptThenEndsCleanly) {
    EXPECT_EQ(0, run(""));
    EXPECT_EQ(kBanner + kPrompt + "\n", transcript);
    EXPECT_EQ(std::vector<int>{}, shown);
}

TEST_F(ConsoleTest, MissingAndRefusedNamesShowNothingAndTwoNamesOnOneLineAreTwoAnswers) {
    const std::string three = file("three.txt", "20 10 5\n3\n1 1 1 0 0 0 2 2 2 1 0 0 3 3 3 3 0 0");
    const std::string two = file("two.txt", "8 8 8\n2\n1 1 1 0 0 0\n1 1 1 1 1 1\n");
    const std::string bad = file("bad.txt", "8 8 8\n70\n");
    EXPECT_EQ(0, run("nulle-part.txt\n" + three + "   " + two + "\n" + bad + "\n" + three));
    EXPECT_EQ(kBanner + kPrompt + "nulle-part.txt introuvable\n" + kPrompt + kPrompt + kPrompt +
                  bad + " : trop de boites (70), 60 au maximum\n" + kPrompt + kPrompt + "\n",
              transcript);
    EXPECT_EQ((std::vector<int>{3, 2, 3}), shown);
}

} // namespace
