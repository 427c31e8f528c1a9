// Tests of the layout loader: accepted layouts, and every refusal leaving the scene as it was.
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("boxview-loader-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& name, const std::string& content) {
        std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    // Loads path into scene, returning the result and keeping the message.
    int load(const std::string& path, Scene& scene) {
        std::ostringstream out;
        int result = loadScene(path, scene, out);
        message = out.str();
        return result;
    }

    std::filesystem::path dir;
    std::string message;
};

std::string boxesFile(int count) {
    std::ostringstream text;
    text << "100 50 40\n" << count << "\n";
    for (int n = 1; n <= count; ++n) text << n << " 2 3 " << 10 * n << " 5 6\n";
    return text.str();
}

// A scene with recognisable contents, to check that refusals leave it alone.
Scene markedScene() {
    Scene scene;
    scene.container = {7, 8, 9};
    scene.boxCount = 2;
    scene.boxes[1] = {1, 2, 3, 4, 5, 6};
    scene.boxes[2] = {11, 12, 13, 14, 15, 16};
    scene.boxes[60] = {60, 60, 60, 60, 60, 60};
    return scene;
}

void expectSameScene(const Scene& expected, const Scene& actual) {
    EXPECT_EQ(expected.boxCount, actual.boxCount);
    EXPECT_EQ(expected.container.dimX, actual.container.dimX);
    EXPECT_EQ(expected.container.dimY, actual.container.dimY);
    EXPECT_EQ(expected.container.dimZ, actual.container.dimZ);
    for (int n = 0; n <= kMaxBoxes; ++n) {
        const Box& e = expected.boxes[n];
        const Box& a = actual.boxes[n];
        EXPECT_TRUE(e.dimX == a.dimX && e.dimY == a.dimY && e.dimZ == a.dimZ &&
                    e.posX == a.posX && e.posY == a.posY && e.posZ == a.posZ)
            << "slot " << n << " changed: expected " << e.dimX << " " << e.dimY << " " << e.dimZ
            << " " << e.posX << " " << e.posY << " " << e.posZ << ", got " << a.dimX << " "
            << a.dimY << " " << a.dimZ << " " << a.posX << " " << a.posY << " " << a.posZ;
    }
}

TEST_F(LoaderTest, ReadsContainerCountAndBoxesInFileOrder) {
    Scene scene;
    ASSERT_EQ(0, load(write("two.txt", "25 12 8\n2\n5 4 3 0 10 0\n1 2 3 -4 -5 -6\n"), scene))
        << message;
    EXPECT_EQ("", message);
    EXPECT_EQ(25, scene.container.dimX);
    EXPECT_EQ(12, scene.container.dimY);
    EXPECT_EQ(8, scene.container.dimZ);
    EXPECT_EQ(2, scene.boxCount);
    EXPECT_EQ(5, scene.boxes[1].dimX);
    EXPECT_EQ(10, scene.boxes[1].posY);
    EXPECT_EQ(-6, scene.boxes[2].posZ);
}

TEST_F(LoaderTest, AnyWhitespaceArrangementReadsTheSame) {
    Scene conventional, oneLine, onePerLine, mixed;
    ASSERT_EQ(0, load(write("a", "25 12 8\n2\n5 4 3 0 10 0\n1 2 3 4 5 6\n"), conventional));
    ASSERT_EQ(0, load(write("b", "25 12 8 2 5 4 3 0 10 0 1 2 3 4 5 6"), oneLine));
    ASSERT_EQ(0, load(write("c", "25\n12\n8\n2\n5\n4\n3\n0\n10\n0\n1\n2\n3\n4\n5\n6\n"),
                      onePerLine));
    ASSERT_EQ(0, load(write("d", "\r\n\t 25\t12 \v8\r\n2\f5 4 3\n\n\n0 10 0 1 2 3 4 5 +6  "),
                      mixed));
    expectSameScene(conventional, oneLine);
    expectSameScene(conventional, onePerLine);
    expectSameScene(conventional, mixed);
}

TEST_F(LoaderTest, ZeroOrNegativeCountLoadsAnEmptyLayout) {
    Scene scene = markedScene();
    ASSERT_EQ(0, load(write("zero", "10 20 30\n0\n"), scene)) << message;
    EXPECT_EQ(0, scene.boxCount);
    EXPECT_EQ(10, scene.container.dimX);
    ASSERT_EQ(0, load(write("negative", "10 20 30\n-3\n"), scene)) << message;
    EXPECT_EQ(-3, scene.boxCount);
}

TEST_F(LoaderTest, NumbersAfterTheLastBoxAreIgnored) {
    Scene plain, trailing;
    ASSERT_EQ(0, load(write("plain", boxesFile(2)), plain));
    ASSERT_EQ(0, load(write("trailing", boxesFile(2) + "9 9 9 9 9 9 garbage 99999999999\n"),
                      trailing))
        << message;
    expectSameScene(plain, trailing);
}

TEST_F(LoaderTest, SmallerLayoutAfterLargerOneShowsOnlyItsOwnBoxes) {
    Scene scene;
    ASSERT_EQ(0, load(write("ten", boxesFile(10)), scene));
    ASSERT_EQ(0, load(write("five", "30 30 30\n5\n" + std::string(30, ' ') +
                                        "1 1 1 0 0 0 2 2 2 0 0 0 3 3 3 0 0 0 4 4 4 0 0 0 "
                                        "5 5 5 0 0 0"),
                      scene));
    EXPECT_EQ(5, scene.boxCount);
    EXPECT_EQ(30, scene.container.dimX);
    EXPECT_EQ(5, scene.boxes[5].dimX);
}

TEST_F(LoaderTest, SixtyBoxesIsTheLimitAndMoreIsRefused) {
    Scene scene;
    ASSERT_EQ(0, load(write("sixty", boxesFile(60)), scene)) << message;
    EXPECT_EQ(60, scene.boxCount);
    EXPECT_EQ(600, scene.boxes[60].posX);

    const Scene before = markedScene();
    scene = before;
    std::string path = write("sixty-one", boxesFile(61));
    EXPECT_EQ(-1, load(path, scene));
    EXPECT_EQ(path + " : trop de boites (61), 60 au maximum\n", message);
    expectSameScene(before, scene);

    // A huge count is refused before anything is read for it.
    EXPECT_EQ(-1, load(write("huge", "1 1 1\n2147483647\n"), scene));
    EXPECT_NE(std::string::npos, message.find("trop de boites (2147483647)")) << message;
    expectSameScene(before, scene);
}

TEST_F(LoaderTest, UnreadablePathsAreReportedAsMissing) {
    const Scene before = markedScene();
    Scene scene = before;
    std::string missing = (dir / "absent.txt").string();
    EXPECT_EQ(-1, load(missing, scene));
    EXPECT_EQ(missing + " introuvable\n", message);
    EXPECT_EQ(-1, load("", scene));
    EXPECT_EQ(" introuvable\n", message);
    EXPECT_EQ(-1, load(dir.string(), scene));
    EXPECT_EQ(dir.string() + " introuvable\n", message);
    expectSameScene(before, scene);
}

TEST_F(LoaderTest, MalformedFilesAreRefusedNamingTheNumberAtFault) {
    struct Case {
        const char* content;
        const char* expected;
    };
    const Case cases[] = {
        {"", " : fichier incomplet, le 1er nombre (dimX du conteneur) manque"},
        {"   \n\t", " : fichier incomplet, le 1er nombre (dimX du conteneur) manque"},
        {"10 20", " : fichier incomplet, le 3e nombre (dimZ du conteneur) manque"},
        {"10 20 30", " : fichier incomplet, le 4e nombre (nombre de boites) manque"},
        {"10 20 30 2 1 2 3 4 5 6 1 2 3 4 5",
         " : fichier incomplet, le 16e nombre (posZ de la boite 2) manque"},
        {"10 x 30 1", " : le 2e nombre (dimY du conteneur) n'est pas un entier : x"},
        {"10 20 30 1 1 2 3.5 4 5 6",
         " : le 7e nombre (dimZ de la boite 1) n'est pas un entier : 3.5"},
        {"10 20 30 1 1 2 3 4 5 6abc",
         " : le 10e nombre (posZ de la boite 1) n'est pas un entier : 6abc"},
        {"- 20 30 0", " : le 1er nombre (dimX du conteneur) n'est pas un entier : -"},
        {"10 20 30 1 2147483648 1 1 0 0 0",
         " : le 5e nombre (dimX de la boite 1) depasse les entiers 32 bits : 2147483648"},
        {"10 20 30 1 1 -2147483649 1 0 0 0",
         " : le 6e nombre (dimY de la boite 1) depasse les entiers 32 bits : -2147483649"},
        {"10 20 30 99999999999999999999999999",
         " : le 4e nombre (nombre de boites) depasse les entiers 32 bits : "
         "99999999999999999999..."},
        {"200000 20 30 0",
         " : dimension du conteneur trop grande (dimX = 200000), 100000 au maximum"},
        {"10 20 100001 0",
         " : dimension du conteneur trop grande (dimZ = 100001), 100000 au maximum"},
        {"1\x01\xff 2 3 0", " : le 1er nombre (dimX du conteneur) n'est pas un entier : 1??"},
    };
    int i = 0;
    for (const Case& c : cases) {
        const Scene before = markedScene();
        Scene scene = before;
        std::string path = write("bad" + std::to_string(i++), c.content);
        EXPECT_EQ(-1, load(path, scene)) << "content: " << c.content;
        EXPECT_EQ(path + c.expected + "\n", message) << "content: " << c.content;
        expectSameScene(before, scene);
    }
}

TEST_F(LoaderTest, ExtremeValuesWithinRangeAreAccepted) {
    Scene scene;
    ASSERT_EQ(0, load(write("extremes",
                            "100000 -2147483648 0 1 2147483647 -2147483648 0 "
                            "-0000000000000000000000000000000007 +2147483647 -1"),
                      scene))
        << message;
    EXPECT_EQ(-2147483647 - 1, scene.container.dimY);
    EXPECT_EQ(2147483647, scene.boxes[1].dimX);
    EXPECT_EQ(-7, scene.boxes[1].posX);
}

TEST_F(LoaderTest, AnEndlessWordIsRefusedWithoutReadingItAll) {
    Scene scene;
    EXPECT_EQ(-1, load(write("long", std::string(1 << 20, '7')), scene));
    EXPECT_NE(std::string::npos, message.find("depasse les entiers 32 bits")) << message;
    EXPECT_EQ(-1, load("/dev/zero", scene));
    EXPECT_NE(std::string::npos, message.find("n'est pas un entier")) << message;
}

} // namespace
