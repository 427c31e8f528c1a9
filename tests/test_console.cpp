// Tests of the console dialogue through injected streams and a recording viewer.
#include "app/console.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

const char kBanner[] =
    "format de fichier doit etre : \n"
    "dimX dimY dimZ du conteneur\n"
    "nb de boites\n"
    "dimX dimY dimZ posX posY posZ fragilite de chaque boite\n";
const char kPrompt[] = "fichier a lire ?\n-->";

class ConsoleTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("boxview-console-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        small = (dir / "small.txt").string();
        std::ofstream(small) << "20 10 5\n3\n1 1 1 0 0 0\n2 2 2 1 0 0\n3 3 3 3 0 0\n";
        two = (dir / "two.txt").string();
        std::ofstream(two) << "8 8 8\n2\n1 1 1 0 0 0\n1 1 1 1 1 1\n";
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    // Runs the dialogue on input, recording the box count of every scene shown.
    int run(const std::string& input) {
        std::istringstream in(input);
        std::ostringstream out;
        shown.clear();
        int status = runConsole(in, out, [this](const Scene& scene) {
            shown.push_back(scene.boxCount);
        });
        transcript = out.str();
        return status;
    }

    std::filesystem::path dir;
    std::string small, two, transcript;
    std::vector<int> shown;
};

TEST_F(ConsoleTest, EmptyInputPrintsBannerAndOnePromptThenEndsCleanly) {
    EXPECT_EQ(0, run(""));
    EXPECT_EQ(std::string(kBanner) + kPrompt + "\n", transcript);
    EXPECT_TRUE(shown.empty());
}

TEST_F(ConsoleTest, MissingNameThenValidNameShowsOneLayout) {
    EXPECT_EQ(0, run("nulle-part.txt\n" + small + "\n"));
    EXPECT_EQ(std::string(kBanner) + kPrompt + "nulle-part.txt introuvable\n" + kPrompt +
                  kPrompt + "\n",
              transcript);
    EXPECT_EQ(std::vector<int>{3}, shown);
}

TEST_F(ConsoleTest, TwoWordsOnOneLineAreTwoAnswers) {
    EXPECT_EQ(0, run(small + "   " + two + "\n"));
    EXPECT_EQ(std::string(kBanner) + kPrompt + kPrompt + kPrompt + "\n", transcript);
    EXPECT_EQ((std::vector<int>{3, 2}), shown);
}

TEST_F(ConsoleTest, RefusedFileKeepsThePreviousLayoutForTheNextView) {
    std::string bad = (dir / "bad.txt").string();
    std::ofstream(bad) << "8 8 8\n70\n";
    EXPECT_EQ(0, run(two + "\n" + bad + "\n" + small));
    EXPECT_EQ((std::vector<int>{2, 3}), shown);
    EXPECT_NE(std::string::npos, transcript.find(bad + " : trop de boites (70), 60 au maximum\n"))
        << transcript;
}

} // namespace
