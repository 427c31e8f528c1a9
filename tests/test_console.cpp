// Tests of the console dialogue through injected streams and a recording viewer.
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
        return run(in);
    }
    int run(std::istream& in) {
        std::ostringstream out;
        int status = runConsole(in, out, [this](const Scene& s, std::ostream&) {
            shown.push_back(s.boxCount);
        });
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

// size bytes of 'a' made as they are read, then " " and tail: the name is never held whole.
class LongWord : public std::streambuf {
public:
    LongWord(std::size_t size, std::string tail) : left(size), tail(std::move(tail)) {}

private:
    int_type underflow() override {
        if (left == 0 && tail.empty()) return traits_type::eof();
        if (left == 0) {
            chunk = tail;
            tail.clear();
        } else {
            chunk.assign(std::min(left, std::size_t{1} << 16), 'a');
            left -= chunk.size();
            if (left == 0) chunk += ' ';
        }
        setg(chunk.data(), chunk.data(), chunk.data() + chunk.size());
        return traits_type::to_int_type(chunk[0]);
    }
    std::size_t left;
    std::string tail, chunk;
};

long peakKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Names up to 4096 bytes are tried; a longer one gets one line and is dropped as it is read,
// so 256 MB with no whitespace keep memory flat, and the next name is read as usual.
TEST_F(ConsoleTest, NameLongerThan4096BytesIsRefusedOnOneLineWithoutBeingKept) {
    const std::string three = file("three.txt", "20 10 5\n3\n1 1 1 0 0 0 2 2 2 1 0 0 3 3 3 3 0 0");
    const std::string longest(4096, 'a');
    EXPECT_EQ(0, run(longest + "\n" + longest + "a " + three));
    EXPECT_EQ(kBanner + kPrompt + longest + " introuvable\n" + kPrompt +
                  "nom de fichier trop long\n" + kPrompt + kPrompt + "\n",
              transcript);
    const long before = peakKb();
    LongWord source(std::size_t{256} << 20, three);
    std::istream in(&source);
    EXPECT_EQ(0, run(in));
    EXPECT_LT(peakKb() - before, 16 * 1024) << "peak kB grew from " << before << " to " << peakKb();
    EXPECT_EQ(kBanner + kPrompt + "nom de fichier trop long\n" + kPrompt + kPrompt + "\n", transcript);
    EXPECT_EQ((std::vector<int>{3, 3}), shown);
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
