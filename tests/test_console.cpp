// Tests of the console dialogue through injected streams and a recording viewer, and of the command line.
#include "app/console.h"
#include "scene/scene.h"
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

// chunks pieces of 64 kB of 'a', then tail: a name that is never held whole by the stream.
struct LongWord : std::streambuf {
    int_type underflow() override {
        std::string& next = chunks > 0 ? chunk : tail;
        if (chunks-- < 0) return traits_type::eof();
        setg(next.data(), next.data(), next.data() + next.size());
        return traits_type::to_int_type(next[0]);
    }
    int chunks;
    std::string tail, chunk = std::string(1 << 16, 'a');
};

// The resident peak of the process in kB; restart first brings it down to what is held now.
long peakKb(bool restart) {
    if (restart && !(std::ofstream("/proc/self/clear_refs") << "5" << std::flush)) return -1;
    std::ifstream status("/proc/self/status");
    std::string field;
    long kb = -1;
    while (status >> field && field != "VmHWM:") continue;
    status >> kb;
    return kb;
}

// Missing and refused names show nothing, two names on one line are two answers, names up to 4096
// bytes are tried and a longer one gets one line, even 256 MB of it, with memory flat.
TEST(ConsoleTest, EveryNameGetsItsAnswerAndOnlyLoadedLayoutsAreShown) {
    const ScratchDir scratch;
    const std::string three = scratch.file("three.txt"), bad = scratch.file("bad.txt"),
                      longest(4096, 'a'), p = "fichier a lire ?\n-->";
    std::ofstream(three) << "20 10 5\n3\n1 1 1 0 0 0 2 2 2 1 0 0 3 3 3 3 0 0";
    std::ofstream(bad) << "8 8 8\n70\n";
    const std::tuple<std::string, std::string, std::vector<int>> cases[] = {
        {"", p + "\n", {}},
        {"nulle-part.txt\n" + three + "   " + three + "\n" + bad + "\n" + three,
         p + "nulle-part.txt introuvable\n" + p + p + p + bad +
             " : trop de boites (70), 60 au maximum\n" + p + p + "\n",
         {3, 3, 3}},
        {longest + "\n" + longest + "a " + three,
         p + longest + " introuvable\n" + p + "nom de fichier trop long\n" + p + p + "\n",
         {3}},
        {"", p + "nom de fichier trop long\n" + p + p + "\n", {3}},  // 256 MB from a LongWord
    };
    for (const auto& [input, transcript, want] : cases) {
        LongWord endless;
        endless.chunks = &input == &std::get<0>(cases[3]) ? 4096 : -1, endless.tail = " " + three;
        std::istringstream text(input);
        std::istream in(endless.chunks > 0 ? static_cast<std::streambuf*>(&endless) : text.rdbuf());
        std::ostringstream out;
        std::vector<int> shown;
        const long start = peakKb(true);
        runConsole(in, out, [&](const Scene& s, std::ostream&) { shown.push_back(s.boxCount); });
        const long peak = peakKb(false);
        EXPECT_TRUE(start > 0 && peak - start < 16 * 1024)
            << "peak " << peak << " kB from " << start;
        EXPECT_EQ(
            "format de fichier doit etre : \ndimX dimY dimZ du conteneur\nnb de boites\n"
            "dimX dimY dimZ posX posY posZ fragilite de chaque boite\n" +
                transcript,
            out.str());
        EXPECT_EQ(want, shown);
    }
}

// The status, and the first line of what is written on out (with "..." when more follows) and on err.
TEST(CommandLineTest, HelpPrintsTheUsageAndOtherArgumentsAreRefused) {
    const std::pair<std::vector<const char*>, std::string> cases[] = {
        {{"boxview"}, "dialogue | "},
        {{"boxview", "--help"}, "aide usage : boxview [--help]\n...| "},
        {{"boxview", "-h"}, "refus | argument inconnu : -h (boxview --help pour l'usage)\n"},
        {{"boxview", "--help", "x"},
         "refus | argument inconnu : x (boxview --help pour l'usage)\n"}};
    for (const auto& [argv, want] : cases) {
        std::ostringstream out, err;
        const ConsoleStart start = readConsoleArguments(int(argv.size()), argv.data(), out, err);
        const char* status = start == ConsoleStart::kDialogue    ? "dialogue"
                             : start == ConsoleStart::kHelpShown ? "aide"
                                                                 : "refus";
        const std::string o = out.str(), first = o.substr(0, o.find('\n') + 1);
        EXPECT_EQ(want, std::string(status) + " " + first + (o.size() > first.size() ? "..." : "") +
                            "| " + err.str());
    }
}

}  // namespace
