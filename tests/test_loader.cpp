// Tests of the layout loader: accepted layouts, and every refusal leaving the scene as it was.
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>
#include <unistd.h>

namespace {

class LoaderTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::string write(const std::string& content) {
        const std::string path = (dir / "layout.txt").string();
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

    std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("boxview-loader-" + std::to_string(getpid()));
    std::string message;
};

// Every number of a scene, one line a slot, so that a failure shows which differ.
std::string dump(const Scene& s) {
    std::ostringstream text;
    text << s.container.dimX << ' ' << s.container.dimY << ' ' << s.container.dimZ << " n="
         << s.boxCount;
    for (const Box& b : s.boxes) {
        text << '\n' << b.dimX << ' ' << b.dimY << ' ' << b.dimZ << ' ' << b.posX << ' '
             << b.posY << ' ' << b.posZ;
    }
    return text.str();
}

std::string boxesFile(int count) {
    std::ostringstream text;
    text << "100 50 40\n" << count << "\n";
    for (int n = 1; n <= count; ++n) text << n << " 2 3 " << 10 * n << " 5 6\n";
    return text.str();
}

TEST_F(LoaderTest, AnyWhitespaceArrangementAndTrailingWordsReadTheSame) {
    Scene expected;
    expected.container = {100000, 12, 8};
    expected.boxCount = 2;
    expected.boxes[1] = {2147483647, -2147483647 - 1, 3, 0, 10, 0};
    expected.boxes[2] = {1, 2, 3, -4, -5, -6};
    const char* const files[] = {
        "100000 12 8\n2\n2147483647 -2147483648 3 0 10 0\n1 2 3 -4 -5 -6\n",
        "\r\n\t 100000\t12 \v8\r\n2\f+2147483647 -2147483648 3\n\n\n0 10 0 1 2 3 "
        "-0000000000000000000000000000004 -5 -6  ",
        "100000 12 8 2 2147483647 -2147483648 3 0 10 0 1 2 3 -4 -5 -6 9 garbage 99999999999\n",
        // A byte-order mark at the start, and leading zeros read by their value.
        "\xEF\xBB\xBF" "100000 0012 008 2 2147483647 -2147483648 3 0 10 0 1 2 3 -4 -5 -6",
    };
    std::vector<std::string> contents(std::begin(files), std::end(files));
    contents.push_back("100000 12 8 2 2147483647 -2147483648 " + std::string(101, '0') +
                       "3 0 10 0 1 2 3 -4 -5 -6");
    for (const std::string& content : contents) {
        Scene scene;
        EXPECT_EQ(0, load(write(content), scene)) << message;
        EXPECT_EQ("", message);
        EXPECT_EQ(dump(expected), dump(scene)) << "content: " << content;
    }
}

TEST_F(LoaderTest, CountsOfZeroOrLessLoadAndAShorterLayoutReplacesALongerOne) {
    Scene scene;
    ASSERT_EQ(0, load(write(boxesFile(3)), scene)) << message;
    ASSERT_EQ(0, load(write("10 20 30\n0\n"), scene)) << message;
    EXPECT_EQ(0, scene.boxCount);
    EXPECT_EQ(30, scene.container.dimZ);
    ASSERT_EQ(0, load(write("10 20 30\n-3\n"), scene)) << message;
    EXPECT_EQ(-3, scene.boxCount);
    ASSERT_EQ(0, load(write(boxesFile(60)), scene)) << message;
    EXPECT_EQ(600, scene.boxes[60].posX);
    ASSERT_EQ(0, load(write("30 30 30\n5\n1 1 1 0 0 0 2 2 2 0 0 0 3 3 3 0 0 0 "
                            "4 4 4 0 0 0 5 5 5 0 0 0"), scene)) << message;
    EXPECT_EQ(5, scene.boxCount);
    EXPECT_EQ(30, scene.container.dimX);
    EXPECT_EQ(5, scene.boxes[5].dimX);
    // The checker's layout: the same reader with its own limit, no boxes for a count below 1.
    Layout layout;
    std::ostringstream out;
    ASSERT_EQ(0, readLayout(write(boxesFile(100)), 100, layout, out)) << out.str();
    ASSERT_EQ(100u, layout.boxes.size());
    EXPECT_EQ(1000, layout.boxes[99].posX);
    EXPECT_EQ(-1, readLayout(write(boxesFile(101)), 100, layout, out));
    EXPECT_EQ((dir / "layout.txt").string() + " : trop de boites (101), 100 au maximum\n", out.str());
    EXPECT_EQ(100u, layout.boxes.size());
    ASSERT_EQ(0, readLayout(write("1 2 3 -5"), 100, layout, out));
    EXPECT_EQ(0u, layout.boxes.size());
    EXPECT_EQ(3, layout.container.dimZ);
}

TEST_F(LoaderTest, EveryRefusalNamesTheFileAndLeavesTheSceneAlone) {
    const std::string file = (dir / "layout.txt").string();
    const std::string p = " : le 1er nombre (dimX du conteneur)";
    const std::pair<std::string, std::string> cases[] = {  // content, message after the path
        {"10 20 30 2 1 2 3 4 5 6 1 2 3 4 5",
         " : fichier incomplet, le 16e nombre (posZ de la boite 2) manque"},
        {"- 20 30 0", p + " n'est pas un entier : -"},
        {"1\x01\xff 2 3 0", p + " n'est pas un entier : 1??"},
        {"10 20 30 1 1 2 3 4 5 6abc",
         " : le 10e nombre (posZ de la boite 1) n'est pas un entier : 6abc"},
        {"10 20 30 1 \xEF\xBB\xBF" "1 1 1 0 0 0",  // a mark anywhere else is no number
         " : le 5e nombre (dimX de la boite 1) n'est pas un entier : ???1"},
        {"10 20 30 1 2147483648 1 1 0 0 0",
         " : le 5e nombre (dimX de la boite 1) depasse les entiers 32 bits : 2147483648"},
        {"10 20 30 1 1 -2147483649 1 0 0 0",
         " : le 6e nombre (dimY de la boite 1) depasse les entiers 32 bits : -2147483649"},
        {std::string(1 << 20, '0'),  // an endless word, even of zeros, is no 32-bit integer
         p + " depasse les entiers 32 bits : " + std::string(20, '0') + "..."},
        {"10 20 100001 0",
         " : dimension du conteneur trop grande (dimZ = 100001), 100000 au maximum"},
        {boxesFile(61), " : trop de boites (61), 60 au maximum"},
    };
    Scene before;
    ASSERT_EQ(0, load(write(boxesFile(3)), before)) << message;
    Scene scene = before;
    for (const auto& [content, expected] : cases) {
        EXPECT_EQ(-1, load(write(content), scene)) << "content: " << content.substr(0, 40);
        EXPECT_EQ(file + expected + "\n", message);
        EXPECT_EQ(dump(before), dump(scene)) << "content: " << content.substr(0, 40);
    }
    // Not a file, and a device with one endless word.
    for (const std::string& path : {(dir / "absent.txt").string(), std::string(), dir.string()}) {
        EXPECT_EQ(-1, load(path, scene));
        EXPECT_EQ(path + " introuvable\n", message);
    }
    EXPECT_EQ(-1, load("/dev/zero", scene));
    EXPECT_EQ("/dev/zero" + p + " n'est pas un entier : " + std::string(20, '?') + "...\n",
              message);
    EXPECT_EQ(dump(before), dump(scene));
}

} // namespace
