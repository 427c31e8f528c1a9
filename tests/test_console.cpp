// Tests of the console dialogue through injected streams and a recording viewer, and of the command line.
#include "app/console.h"
#include "scene/scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const std::string kBanner =
    "format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\n"
    "dimX dimY dimZ posX posY posZ fragilite de chaque boite\n";
const std::string kPrompt = "fichier a lire ?\n-->";

// chunks pieces of 64 kB of 'a', then tail: a word that is never held whole by the stream.
struct LongWord : std::streambuf {
    LongWord(int chunks, std::string tail) : chunks(chunks), tail(std::move(tail)) {}
    int_type underflow() override {
        std::string& next = chunks > 0 ? chunk : tail;
        if (chunks-- < 0 || next.empty()) return traits_type::eof();
        setg(next.data(), next.data(), next.data() + next.size());
        return traits_type::to_int_type(next[0]);
    }
    int chunks;
    std::string tail, chunk = std::string(1 << 16, 'a');
};

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Missing and refused names show nothing, two names on one line are two answers, names up to
// 4096 bytes are tried and a longer one gets one line; the box count of every scene shown.
TEST(ConsoleTest, EveryNameGetsItsAnswerAndOnlyLoadedLayoutsAreShown) {
    const auto dir = std::filesystem::temp_directory_path() / ("boxview-console-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto file = [&](const char* name, const char* content) {
        std::ofstream(dir / name) << content;
        return (dir / name).string();
    };
    const std::string three = file("three.txt", "20 10 5\n3\n1 1 1 0 0 0 2 2 2 1 0 0 3 3 3 3 0 0");
    const std::string two = file("two.txt", "8 8 8\n2\n1 1 1 0 0 0\n1 1 1 1 1 1\n");
    const std::string bad = file("bad.txt", "8 8 8\n70\n");
    const std::string longest(4096, 'a');
    struct Case {
        std::string input, transcript;
        std::vector<int> shown;
    };
    const Case cases[] = {
        {"", kPrompt + "\n", {}},
        {"nulle-part.txt\n" + three + "   " + two + "\n" + bad + "\n" + three,
         kPrompt + "nulle-part.txt introuvable\n" + kPrompt + kPrompt + kPrompt + bad +
             " : trop de boites (70), 60 au maximum\n" + kPrompt + kPrompt + "\n", {3, 2, 3}},
        {longest + "\n" + longest + "a " + three, kPrompt + longest + " introuvable\n" + kPrompt +
             "nom de fichier trop long\n" + kPrompt + kPrompt + "\n", {3}},
        {"", kPrompt + "nom de fichier trop long\n" + kPrompt + kPrompt + "\n", {3}},
    };
    for (const Case& c : cases) {
        // The last case reads a 256 MB name with no whitespace, which must not be kept.
        LongWord endless(&c == &cases[3] ? 4096 : -1, " " + three);
        std::istringstream text(c.input);
        std::istream in(&c == &cases[3] ? static_cast<std::streambuf*>(&endless) : text.rdbuf());
        std::ostringstream out;
        std::vector<int> shown;
        const long before = peakKb();
        EXPECT_EQ(0, runConsole(in, out, [&](const Scene& s, std::ostream&) { shown.push_back(s.boxCount); }));
        EXPECT_LT(peakKb() - before, 16 * 1024) << "peak kB grew from " << before << " to " << peakKb();
        EXPECT_EQ(kBanner + c.transcript, out.str());
        EXPECT_EQ(c.shown, shown);
    }
    std::filesystem::remove_all(dir);
}

TEST(CommandLineTest, HelpPrintsTheUsageAndOtherArgumentsAreRefused) {
    struct Case {
        std::vector<const char*> argv;
        int status;
        std::string out, err;
    };
    for (const Case& c : {Case{{"boxview"}, -1, "", ""},
                          Case{{"boxview", "--help"}, 0, "usage : boxview [--help]\n", ""},
                          Case{{"boxview", "-h"}, 2, "", "argument inconnu : -h (boxview --help pour l'usage)\n"},
                          Case{{"boxview", "--help", "x"}, 2, "", "argument inconnu : x (boxview --help pour l'usage)\n"}}) {
        std::ostringstream out, err;
        EXPECT_EQ(c.status, readCommandLine(int(c.argv.size()), c.argv.data(), out, err)) << c.argv.back();
        EXPECT_EQ(c.out, out.str().substr(0, c.out.size())) << c.argv.back();
        EXPECT_EQ(c.out.empty(), out.str().empty()) << c.argv.back();
        EXPECT_EQ(c.err, err.str()) << c.argv.back();
    }
}

} // namespace
