// Runs the three tools' real programs on one table of command lines: each must be read the same way, with the same status and message.
#include "scratch_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

std::string firstLine(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Runs program with args, its output and errors sent to files in dir.
Outcome run(const std::string& dir, const char* program, const std::vector<std::string>& args) {
    std::vector<char*> argv{const_cast<char*>(program)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const std::string out = dir + "/out", err = dir + "/err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    Outcome result;
    pid_t pid = 0;
    int wait = 0;
    if (posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ) == 0 &&
        waitpid(pid, &wait, 0) == pid && WIFEXITED(wait)) {
        result.status = WEXITSTATUS(wait);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = firstLine(out);
    result.err = firstLine(err);
    return result;
}

TEST(CommandLine, TheThreeToolsReadTheSameWay) {
    const ScratchDir scratch;
    const std::string petit = std::string(BOXVIEW_SOURCE_DIR) + "/examples/petit.txt";
    const char* check = BOXVIEW_CHECK_PATH;
    const char* shot = BOXVIEW_SHOT_PATH;
    const char* plan = BOXVIEW_PLAN_PATH;
    const std::string checkUsage =
        "usage : boxview-check [--json] [--support P] [--order] [--cog P] FICHIER...";
    const std::string shotUsage =
        "usage : boxview-shot [--upto K] [--select N] [--rotx DEG] [--rotz DEG] [--angle RAD] "
        "[--distance D] [--fit] [--problems] LAYOUT OUT.png";
    const std::string planUsage = "usage : boxview-plan [--support P] LAYOUT PLAN.pdf";
    struct Case {
        const char* program;
        std::vector<std::string> args;
        int status;
        std::string line;  // the first line of the errors, or of the output if none is expected
    };
    // clang-format off
    const Case cases[] = {
        // An option's value joined by "=" or given apart, and "--" before a name that starts with "-".
        {check, {"--support=75", petit}, 0, "fichier : " + petit},
        {check, {"--support", "75", "--", "-absent.txt"}, 2, "-absent.txt introuvable"},
        {plan, {petit, "-", "--support=75"}, 0, "%PDF-1.5"},
        {plan, {"--", "-absent.txt", "-"}, 2, "-absent.txt introuvable"},
        {shot, {"--upto=2", "--rotx=-20", petit, "-"}, 0, "\x89PNG\r"},
        {shot, {"--", "-absent.txt", "-"}, 2, "-absent.txt introuvable"},
        // A whole number is digits only, for the same option in every tool.
        {check, {"--support", " 75", petit}, 2,
         "boxview-check : valeur invalide pour --support :  75 (un entier de 0 a 100)"},
        {plan, {"--support", "+75", petit, "-"}, 2,
         "boxview-plan : valeur invalide pour --support : +75 (un entier de 0 a 100)"},
        {check, {"--cog=51", petit}, 2,
         "boxview-check : valeur invalide pour --cog : 51 (un entier de 0 a 50)"},
        {plan, {"--support=101", petit, "-"}, 2,
         "boxview-plan : valeur invalide pour --support : 101 (un entier de 0 a 100)"},
        {shot, {"--upto", "2 ", petit, "-"}, 2,
         "boxview-shot : valeur invalide pour --upto : 2  (un entier de 0 a 2147483647)"},
        {shot, {"--upto", "+2", petit, "-"}, 2,
         "boxview-shot : valeur invalide pour --upto : +2 (un entier de 0 a 2147483647)"},
        {shot, {"--rotx", "1e", petit, "-"}, 2,
         "boxview-shot : valeur invalide pour --rotx : 1e (un nombre)"},
        // A missing value, an unknown option, a value given to a flag, the wrong operands.
        {check, {petit, "--support"}, 2,
         "boxview-check : valeur manquante pour --support (un entier de 0 a 100)"},
        {shot, {petit, "-", "--distance"}, 2,
         "boxview-shot : valeur manquante pour --distance (un nombre)"},
        {plan, {"-s", petit, "-"}, 2, "boxview-plan : option inconnue : -s"},
        {check, {"--json=oui", petit}, 2,
         "boxview-check : --json ne prend pas de valeur : --json=oui"},
        {check, {}, 2, "boxview-check : aucun fichier a verifier ; " + checkUsage},
        {shot, {petit}, 2, "boxview-shot : il faut un chargement et une image ; " + shotUsage},
        {plan, {petit, "a.pdf", "b.pdf"}, 2,
         "boxview-plan : il faut un chargement et un plan ; " + planUsage},
        // --help, wherever it stands before "--".
        {check, {petit, "--help"}, 0, checkUsage},
        {shot, {"--help", "--zoom"}, 0, shotUsage},
        {plan, {"--help"}, 0, planUsage},
        {plan, {"--", "--help", "-"}, 2, "--help introuvable"},
    };
    // clang-format on
    for (const Case& c : cases) {
        std::string shown = c.program;
        for (const std::string& arg : c.args) shown += " '" + arg + "'";
        const Outcome got = run(scratch.path, c.program, c.args);
        EXPECT_EQ(c.status, got.status) << shown << "\nerrors: " << got.err;
        const bool onOutput = c.status == 0 || c.program == check;
        const std::string& line = onOutput && got.err.empty() ? got.out : got.err;
        EXPECT_EQ(c.line, line.substr(0, c.line.size())) << shown;
    }
}

}  // namespace
