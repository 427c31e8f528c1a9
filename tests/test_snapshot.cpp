// Tests of boxview-shot: its arguments, the PNG it writes, and the picture, all without a display.
#include "tools/shot/snapshot.h"

#include "tools/common/output_file.h"
#include "render/view.h"

#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
bool isPng(const std::string& file) { return contents(file).rfind("\x89PNG\r\n\x1a\n", 0) == 0; }

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        // Two boxes side by side, facing the home eye with their y = 6 faces.
        std::ofstream(layout) << "20 10 8\n2\n8 6 6 12 0 0\n8 6 6 2 0 0\n";
    }

    int shot(std::vector<std::string> args) {
        std::ostringstream out;
        const Error error = runShot(args, out);
        messages = error.message.empty() ? "" : error.message + "\n";
        return exitStatus(error);
    }
    std::string path(const char* name) const { return (dir / name).string(); }
    std::vector<std::string> leftovers() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path());
        names.erase(std::remove(names.begin(), names.end(), layout), names.end());
        return names;
    }

    ScratchDir scratch;  // removed with the fixture
    fs::path dir = scratch.path;
    std::string layout = (dir / "deux.txt").string(), messages;
};

TEST(ShotArgs, RefusesBadArgumentsWithOneLine) {
    ShotOptions o;
    std::string error;
    const std::pair<std::vector<std::string>, const char*> refusals[] = {
        {{}, "usage : boxview-shot"},
        {{"a.txt", "b.png", "c.png"}, "usage : boxview-shot"},
        {{"a.txt", "b.png", "--zoom", "2"}, "option inconnue : --zoom"},
        {{"a.txt", "b.png", "--rotx"}, "valeur manquante pour --rotx"},
        {{"a.txt", "b.png", "--rotx", "abc"}, "valeur invalide pour --rotx : abc"},
        {{"a.txt", "b.png", "--angle", "1.5rad"}, "valeur invalide pour --angle : 1.5rad"},
        {{"a.txt", "b.png", "--distance", "inf"}, "valeur invalide pour --distance : inf"},
        {{"a.txt", "b.png", "--select", "1.5"}, "valeur invalide pour --select : 1.5"},
        {{"a.txt", "b.png", "--select", "99999999999"}, "valeur invalide pour --select"},
        {{"a.txt", "b.png", "--upto", "x"}, "valeur invalide pour --upto : x"},
        {{"a.txt", "b.png", "--distance", "1e8"}, "distance hors de -10000000..10000000"},
        {{"a.txt", "b.png", "--distance", "-10000001"}, "distance hors de -10000000..10000000"},
        {{"a.txt", "b.png", "--fit=1"}, "--fit ne prend pas de valeur"},
    };
    for (const auto& [args, expected] : refusals) {
        error.clear();
        EXPECT_FALSE(parseShotArgs(args, o, error)) << "expected a refusal: " << expected;
        EXPECT_NE(std::string::npos, error.find(expected))
            << "expected \"" << expected << "\" in \"" << error << "\"";
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    }
}

TEST(ShotArgs, AnglesComeBackWithinOneTurnAndHelpIsAnOption) {
    ShotOptions o;
    std::string error;
    ASSERT_TRUE(parseShotArgs({"a.txt", "b.png", "--rotx", "-370", "--rotz", "735", "--angle", "7",
                               "--distance", "-1e7", "--fit", "--problems"},
                              o, error))
        << error;
    EXPECT_TRUE(o.fit && o.problems) << "--fit and --problems";
    const auto micro = [](double v) { return std::round(v * 1e6); };
    EXPECT_EQ((std::array<double, 4>{-10, 15, micro(7 - 2 * M_PI), -1e7}),
              (std::array<double, 4>{o.rotX, o.rotZ, micro(o.angle), o.distance}));
    ShotOptions help;
    EXPECT_TRUE(parseShotArgs({"a.txt", "--help"}, help, error) && help.help);
}

TEST_F(SnapshotTest, FailuresExitNonZeroAndLeaveNoFile) {
    EXPECT_EQ(2, shot({layout, "--rotx"}));
    EXPECT_EQ(2, shot({path("absent.txt"), path("out.png")}));
    EXPECT_EQ(path("absent.txt") + " introuvable\n", messages);
    EXPECT_EQ(2, shot({layout, path("out.png"), "--select", "3"}));
    EXPECT_EQ("boxview-shot : boite 3 hors de 1..2 (--select)\n", messages);
    EXPECT_EQ(2, shot({layout, path("out.png"), "--select", "0"}));
    EXPECT_EQ(2, shot({layout, path("out.png"), "--upto", "3"}));
    EXPECT_EQ("boxview-shot : etape 3 hors de 0..2 (--upto)\n", messages);
    EXPECT_EQ(2, shot({layout, path("out.png"), "--upto", "-1"}));
    EXPECT_EQ(2, shot({layout, path("out.png"), "--upto", "1", "--select", "2"}));
    EXPECT_EQ("boxview-shot : boite 2 hors de 1..1 (--select)\n", messages);
    EXPECT_EQ(1, shot({layout, path("absent/out.png")}));
    EXPECT_NE(std::string::npos, messages.find("impossible d'ecrire")) << messages;
    std::ostringstream out;
    EXPECT_EQ(0, exitStatus(runShot({"--help"}, out)));
    EXPECT_EQ(0u, out.str().find("usage : boxview-shot")) << out.str();
    EXPECT_EQ(std::vector<std::string>{}, leftovers());
}

TEST_F(SnapshotTest, OutputRules) {
    const std::string original = contents(layout);
    fs::create_hard_link(layout, path("meme.txt"));
    ASSERT_EQ(0, mkfifo(path("fifo").c_str(), 0644));
    ASSERT_EQ(0, mknod(path("null").c_str(), S_IFCHR | 0666, makedev(1, 3)));
    std::ofstream(path("lecture.png")) << "x";
    std::ofstream(path("prive.png")) << "x";
    chmod(path("lecture.png").c_str(), 0444);
    chmod(path("prive.png").c_str(), 0640);
    const bool root = getuid() == 0;  // root replaces another user's file, which keeps its owner
    if (root) EXPECT_EQ(0, chown(path("prive.png").c_str(), 65534, 65534));
    fs::create_directories(dir / "dossier.png");
    fs::create_symlink("cible.png", dir / "lien.png");
    const std::tuple<std::string, int, const char*> cases[] = {
        {layout, 2, "c'est le fichier du chargement"},
        {path("meme.txt"), 2, "c'est le fichier du chargement"},
        {path("fifo"), 2, "ce n'est pas un fichier ordinaire"},
        {path("null"), 2, "ce n'est pas un fichier ordinaire"},
        {path("dossier.png"), 2, "ce n'est pas un fichier ordinaire"},
        {path("lecture.png"), 2, "fichier protege en ecriture"},
        {path("prive.png"), 0, ""},
        {path("lien.png"), 0, ""},
    };
    for (const auto& [output, status, message] : cases) {
        EXPECT_EQ(status, shot({layout, output})) << output << ": " << messages;
        EXPECT_NE(std::string::npos, messages.find(message)) << output << ": " << messages;
    }
    struct stat info {};
    EXPECT_EQ(original, contents(layout));
    EXPECT_TRUE(fs::is_fifo(path("fifo")) && fs::is_character_file(path("null")));
    EXPECT_EQ("x", contents(path("lecture.png")));
    EXPECT_TRUE(stat(path("prive.png").c_str(), &info) == 0 && (info.st_mode & 07777) == 0640 &&
                (!root || info.st_uid == 65534))
        << std::oct << info.st_mode << std::dec << ", owner " << info.st_uid;
    EXPECT_TRUE(fs::is_symlink(dir / "lien.png")) << "the link was replaced";
    EXPECT_TRUE(isPng(path("cible.png")) && isPng(path("prive.png")))
        << "the link's target, the private file";
    for (const auto& name : leftovers()) {
        EXPECT_EQ(std::string::npos, name.find(".boxview-shot")) << name;
    }
}

// A signal raised in the middle of the write, with the unnamed (O_TMPFILE) temporary file
// and with the named one, leaves the old file and nothing else; so do a write that fails
// (SIGXFSZ: the file size limit, ignored) and a fill that gives up (-1); 0 is a run left alone.
TEST(OutputFile, ASignalOrAFailedWriteLeavesTheOldFileAndNoTemporary) {
    const ScratchDir scratch;
    const fs::path dir = scratch.path;
    const std::pair<bool, int> cases[] = {{true, SIGKILL}, {true, SIGTERM}, {false, SIGTERM},
                                          {false, SIGINT}, {false, SIGHUP}, {false, 0},
                                          {true, SIGXFSZ}, {false, -1}};
    for (const auto& [unnamed, signal] : cases) {
        fs::remove_all(dir);
        fs::create_directories(dir);
        const std::string target = (dir / "cible").string();
        std::ofstream(target) << "ancien";
        const pid_t child = fork();
        if (child == 0) {
            OutputTarget output;
            output.allowUnnamed = unnamed;
            std::string error;
            const rlimit limit{3, 3};
            if (signal == SIGXFSZ) {
                std::signal(SIGXFSZ, SIG_IGN);
                setrlimit(RLIMIT_FSIZE, &limit);
            }
            const bool written = prepareOutput("t", target, "/", output).kind == ErrorKind::kNone &&
                                 writeOutput(
                                     "t", output,
                                     [signal = signal, &error](FILE* file) {
                                         std::fputs("nouveau", file);
                                         std::fflush(file);
                                         if (signal > 0 && signal != SIGXFSZ) raise(signal);
                                         if (signal == -1) error = "t : sa raison";
                                         return signal != -1;
                                     },
                                     error);
            // A failed fill keeps its own reason.
            _exit(written ? 0 : signal != -1 || error == "t : sa raison" ? 1 : 3);
        }
        int status = 0;
        waitpid(child, &status, 0);
        const std::string label = std::string(unnamed ? "unnamed" : "named") + " temporary, " +
                                  "signal " + std::to_string(signal);
        const int expected = signal == SIGXFSZ || signal == -1 ? 1 : signal;
        EXPECT_EQ(expected, WIFSIGNALED(status) ? WTERMSIG(status) : WEXITSTATUS(status)) << label;
        EXPECT_EQ(signal != 0 ? "ancien" : "nouveau", contents(target)) << label;
        EXPECT_EQ(1, std::distance(fs::directory_iterator(dir), fs::directory_iterator()))
            << label << ": files left beside the target";
    }
}

// The real program: the picture piped from "-", written with no standard input, and no font.
TEST_F(SnapshotTest, ProgramPipesAndFailsWithoutFonts) {
    const std::string program = BOXVIEW_SHOT_PATH, quoted = "'" + layout + "' ";
    ASSERT_EQ(0, shot({layout, path("fichier.png")})) << messages;
    EXPECT_EQ(0, std::system((program + " " + quoted + "- | cat > " + path("tube.png")).c_str()));
    EXPECT_TRUE(contents(path("fichier.png")) == contents(path("tube.png"))) << "piped picture";
    EXPECT_EQ(0, std::system((program + " " + quoted + path("ferme.png") + " <&-").c_str()));
    EXPECT_TRUE(contents(path("fichier.png")) == contents(path("ferme.png"))) << "stdin closed";
    std::ofstream(path("vide.conf")) << "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n";
    const int status = std::system(("FONTCONFIG_FILE=" + path("vide.conf") + " " + program + " " +
                                    quoted + path("sans.png") + " 2> " + path("err"))
                                       .c_str());
    EXPECT_EQ(1, WEXITSTATUS(status));
    EXPECT_EQ("probleme pour creer bitmap a partir font window\n", contents(path("err")));
    EXPECT_FALSE(fs::exists(path("sans.png")));
    EXPECT_EQ(1, WEXITSTATUS(std::system(
                     (program + " " + quoted + "- > /dev/full 2>" + path("err")).c_str())));
    EXPECT_EQ("boxview-shot : ecriture impossible sur la sortie standard\n", contents(path("err")));
    // No EGL driver at all: no context, exit 1 and nothing written.
    EXPECT_EQ(1, WEXITSTATUS(std::system(("__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent " + program +
                                          " " + quoted + path("sans.png") + " 2>/dev/null")
                                             .c_str())));
    EXPECT_FALSE(fs::exists(path("sans.png")));
}

}  // namespace
