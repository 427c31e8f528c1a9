// Tests of the layout loader: accepted layouts, and every refusal leaving the scene as it was.
#include "scene/scene.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const ScratchDir kScratch;
const std::string kFile = kScratch.file("layout.txt");

std::string write(const std::string& content) {
    std::ofstream(kFile, std::ios::binary) << content;
    return kFile;
}

// The container, the count and the shown boxes, one line a box, so that a failure shows which differ.
std::string dump(const Scene& s) {
    std::ostringstream text;
    text << s.container.dimX << ' ' << s.container.dimY << ' ' << s.container.dimZ
         << " n=" << s.boxCount;
    for (const Box* b = s.boxes + 1; b <= s.boxes + boxesInTable(s.boxCount); ++b)
        text << '\n'
             << b->dimX << ' ' << b->dimY << ' ' << b->dimZ << ' ' << b->posX << ' ' << b->posY
             << ' ' << b->posZ
             << (s.cargo.fragile.empty()            ? ""
                 : s.cargo.fragile[b - s.boxes - 1] ? " f1"
                                                    : " f0");
    return text.str();
}

std::string boxesFile(int count) {
    std::string text = "100 50 40\n" + std::to_string(count) + "\n";
    for (int n = 1; n <= count; ++n)
        text += std::to_string(n) + " 2 3 " + std::to_string(10 * n) + " 5 6\n";
    return text;
}

// A JSON layout of boxes written as {"dimX": 1, ... "posZ": 6 + more}, in a 20 x 10 x dimZ container.
std::string json(const std::vector<std::string>& more, const std::string& dimZ = "8") {
    std::string text = R"({"container": {"dimX": 20, "dimY": 10, "dimZ": )" + dimZ + "}, ";
    text += R"("packer": {"id": [1, "x", null]}, "boxes": [)";
    for (std::size_t i = 0; i < more.size(); ++i) {
        text += std::string(i ? "," : "") + "\n" +
                R"({"dimX": 1, "dimY": 2, "dimZ": 3, "posX": 4, "posY": 5, "posZ": 6)" + more[i] +
                "}";
    }
    return text + "]}";
}

// Any whitespace, trailing words, a byte-order mark at the start and leading zeros read the same;
// a count of 0 or less loads no boxes, and a shorter layout replaces a longer one.
TEST(LoaderTest, AcceptedLayoutsReadTheSameWhateverTheirSpacing) {
    const std::string two = "100000 12 8 n=2\n2147483647 -2147483648 3 0 10 0\n1 2 3 -4 -5 -6";
    const std::pair<std::string, std::string> cases[] = {
        {"\r\n\t 100000\t12 \v8\r\n2\f+2147483647 -2147483648 3\n\n\n0 10 0 1 2 3 "
         "-0000000000000000000000000000004 -5 -6  ",
         two},
        {"100000 12 8 2 2147483647 -2147483648 3 0 10 0 1 2 3 -4 -5 -6 9 garbage 99999999999\n",
         two},
        {"\xEF\xBB\xBF"
         "100000 0012 008 2 2147483647 -2147483648 3 0 10 0 1 2 3 -4 -5 -6",
         two},
        {"100000 12 8 2 2147483647 -2147483648 " + std::string(101, '0') +
             "3 0 10 0 1 2 3 -4 -5 -6",
         two},
        {"10 20 30\n0\n", "10 20 30 n=0"},
        {"10 20 30\n-3\n", "10 20 30 n=-3"},
        // Seven numbers a box only when there are exactly seven times the count of them.
        {"30 30 30 2 1 1 1 0 0 0 1 2 2 2 0 0 0 0", "30 30 30 n=2\n1 1 1 0 0 0 f1\n2 2 2 0 0 0 f0"},
        {"30 30 30 1 1 1 1 0 0 0 1 1", "30 30 30 n=1\n1 1 1 0 0 0"},
        {"\xEF\xBB\xBF\n " +
             json({R"(, "posZ": -7, "fragile": true, "pasX": 9, "dosZ": 9)", R"(, "label": "")"}),
         "20 10 8 n=2\n1 2 3 4 5 -7 f1\n1 2 3 4 5 6 f0"},
        {"30 30 30 3 1 1 1 0 0 0 2 2 2 0 0 0 3 3 3 0 0 0",
         "30 30 30 n=3\n1 1 1 0 0 0\n2 2 2 0 0 0\n3 3 3 0 0 0"},
    };
    for (const auto& [content, want] : cases) {
        Scene scene;
        std::ostringstream out;
        ASSERT_EQ(0, loadScene(write(boxesFile(60)), scene, out)) << out.str();
        EXPECT_EQ(0, loadScene(write(content), scene, out)) << out.str();
        EXPECT_EQ("", out.str());
        EXPECT_EQ(want, dump(scene)) << "content: " << content;
    }
    // A pipe that hands the mark over in pieces, then a read of a single byte.
    const std::string fifo = kFile + ".fifo";
    std::remove(fifo.c_str());
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const pid_t writer = fork();
    if (writer == 0) {
        const int fd = open(fifo.c_str(), O_WRONLY);
        for (const std::string part : {"\xEF", "\xBB", "\xBF", "7", " 8 9 0"}) {
            // Each piece goes in once the reader has taken all before it: a read of its own.
            for (int left = 1; ioctl(fd, FIONREAD, &left) == 0 && left > 0;) usleep(1000);
            (void)!::write(fd, part.data(), part.size());
        }
        _exit(0);
    }
    Scene piped;
    EXPECT_EQ(0, loadScene(fifo, piped));
    EXPECT_EQ("7 8 9 n=0", dump(piped));
    kill(writer, SIGKILL);  // a reader that stopped early leaves the writer waiting
    waitpid(writer, nullptr, 0);
    // The checker's layout: the same reader with its own limit; a refusal leaves the layout as it was.
    Layout layout;
    std::ostringstream out;
    EXPECT_EQ(0, readLayout(write(boxesFile(100)), 100, layout, out)) << out.str();
    EXPECT_EQ(-1, readLayout(write(boxesFile(101)), 100, layout, out))
        << "101 boxes of 100 at most";
    EXPECT_TRUE(layout.boxes.size() == 100 && layout.boxes[99].posX == 1000)
        << layout.boxes.size() << " boxes";
    EXPECT_EQ(0, readLayout(write("10 20 2147483647 0"), 100, layout, out)) << "any container";
    // Past 256 KB the boxes are read in pieces cut at a guess, which a label may mislead.
    std::vector<std::string> many(4000, R"(, "label": "x}, {y")");
    EXPECT_EQ(0, readLayout(write(json(many)), 4000, layout, out)) << out.str();
    EXPECT_TRUE(layout.boxes.size() == 4000 && layout.cargo.label[3999] == "x}, {y");
    many[3500] += ",, ";
    EXPECT_EQ(-1, readLayout(write(json(many)), 4000, layout, out));
    EXPECT_NE(out.str().find(" : erreur de syntaxe JSON ligne 3502, colonne 86\n"),
              std::string::npos)
        << out.str();
}

TEST(LoaderTest, EveryRefusalNamesTheFileAndLeavesTheSceneAlone) {
    const std::string p = " : le 1er nombre (dimX du conteneur)",
                      box1 = " : le 5e nombre (dimX de la boite 1)";
    const std::pair<std::string, std::string> cases[] = {
        // content, message after the path
        {"10 20 30 2 1 2 3 4 5 6 1 2 3 4 5",
         " : fichier incomplet, le 16e nombre (posZ de la boite 2) manque"},
        {"10 20 30 -", " : le 4e nombre (nombre de boites) n'est pas un entier : -"},
        {"1 2 3\x01\xff 0", " : le 3e nombre (dimZ du conteneur) n'est pas un entier : 3??"},
        {"10 20 30 1 1 2 3 4 5 6abc",
         " : le 10e nombre (posZ de la boite 1) n'est pas un entier : 6abc"},
        {"10 20 30 1 \xEF\xBB\xBF"
         "1 1 1 0 0 0",
         box1 + " n'est pas un entier : ???1"},  // a mark later on
        {"10 20 30 1 2147483648 1 1 0 0 0", box1 + " depasse les entiers 32 bits : 2147483648"},
        {"10 20 30 1 1 -2147483649 1 0 0 0",
         " : le 6e nombre (dimY de la boite 1) depasse les entiers 32 bits : -2147483649"},
        {std::string(1 << 20, '0'),  // an endless word, even of zeros, is no 32-bit integer
         p + " depasse les entiers 32 bits : " + std::string(20, '0') + "..."},
        {"10 20 100001 0",
         " : dimension du conteneur trop grande (dimZ = 100001), 100000 au maximum"},
        {boxesFile(61), " : trop de boites (61), 60 au maximum"},
        {"10 20 30 1 1 1 1 0 0 0 2", " : la fragilite de la boite 1 doit valoir 0 ou 1 : 2"},
        {json({"", ", \"posZ\": 6,, "}), " : erreur de syntaxe JSON ligne 3, colonne 78"},
        {json({}) + " x", " : erreur de syntaxe JSON ligne 1, colonne 99"},
        {R"({"boxes": [], x})", " : erreur de syntaxe JSON ligne 1, colonne 15"},
        {R"({"boxes" []})", " : erreur de syntaxe JSON ligne 1, colonne 10"},
        {json({}, "100001"),
         " : dimension du conteneur trop grande (dimZ = 100001), 100000 au maximum"},
        {json({", \"posZ\": 0.5"}), " : boxes[0].posZ doit etre un entier"},
        {json({", \"posX\": 2147483648"}), " : boxes[0].posX depasse les entiers 32 bits"},
        {json({"", ", \"weight\": 1"}),
         " : boxes[1].weight : le poids est donne pour toutes les boites ou pour aucune"},
        {json({", \"maxLoad\": -1"}),
         " : boxes[0].maxLoad doit etre un nombre de kilos positif ou nul"},
        {json({}, "8, \"maxWeight\": true"),
         " : container.maxWeight doit etre un nombre de kilos positif ou nul"},
        {json({", \"fragile\": 1"}), " : boxes[0].fragile doit valoir true ou false"},
        {json({", \"label\": \"" + std::string(65, 'a') + "\""}),
         " : boxes[0].label doit etre un texte de 64 octets au plus"},
        {R"({"container": {"dimX": 1, "dimY": 2}, "boxes": []})", " : container.dimZ manque"},
        {R"({"container": {"dimX": 1, "dimY": 2, "dimZ": 3}, "boxes": {}})",
         " : boxes doit etre un tableau"},
        {R"({"container": [], "boxes": []})", " : container doit etre un objet"},
        {R"({"container": {"dimX": 1, "dimY": 2, "dimZ": 3}, "boxes": [7]})",
         " : boxes[0] doit etre un objet"},
        {R"({"container": {"dimX": 1, "dimY": 2, "dimZ": 3}, "boxes": [)" + std::string(1100, '[') +
             std::string(1100, ']') + "]}",
         " : JSON non lu : nombre hors limites ou imbrication trop profonde"},
        {R"({"boxes": []})", " : container manque"},
        {R"({"container": {"dimX": 1, "dimY": 2, "dimZ": 3}})", " : boxes manque"},
        {json(std::vector<std::string>(61, "")), " : trop de boites (61), 60 au maximum"},
    };
    Scene before;
    ASSERT_EQ(0, loadScene(write(boxesFile(3)), before));
    Scene scene = before;
    const auto refused = [&](const std::string& path, const std::string& message) {
        std::ostringstream out;
        EXPECT_EQ(-1, loadScene(path, scene, out)) << path;
        EXPECT_EQ(message + "\n", out.str());
        EXPECT_EQ(dump(before), dump(scene)) << path;
    };
    for (const auto& [content, message] : cases) refused(write(content), kFile + message);
    for (const std::string& path : {kFile + ".absent", std::string(), kScratch.path})
        refused(path, path + " introuvable");
    refused("/proc/self/mem",
            "/proc/self/mem : fichier incomplet, le 1er nombre (dimX du conteneur) manque");  // EIO
    refused("/dev/zero",
            "/dev/zero" + p + " n'est pas un entier : " + std::string(20, '?') + "...");
}

}  // namespace
