// The program boxview-check: its command line, its help and the check of each file named on it.
#include "tools/check/check_tool.h"

#include <ostream>

#include "tools/check/report.h"

std::string usageText() {
    return "usage : boxview-check [--json] [--support P] [--order] FICHIER...";
}

std::string helpText() {
    return usageText() + "\n"
           "Verifie chaque plan de chargement : volumes, chevauchements, boites hors du\n"
           "conteneur, boites degenerees, en l'air ou instables.\n"
           "  --json         un objet JSON par fichier, un par ligne\n"
           "  --support P    signale aussi les boites appuyees a moins de P % (0 a 100)\n"
           "  --order        juge chaque boite avec les seules boites chargees avant elle\n"
           "  --help         affiche cette aide\n"
           "Statut : 0 sans probleme, 1 si un probleme est trouve, 2 si un fichier est\n"
           "refuse ou si le rapport ne peut pas etre ecrit.\n";
}

namespace {

// A whole number from 0 to 100, or -1.
int percentArgument(const std::string& text) {
    if (text.empty() || text.size() > 3) return -1;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        value = value * 10 + (c - '0');
    }
    return value <= 100 ? value : -1;
}

} // namespace

CheckOptions parseArguments(const std::vector<std::string>& args) {
    CheckOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded) {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            options.help = true;
            return options;
        } else if (arg == "--json") {
            options.json = true;
        } else if (arg == "--order") {
            options.settings.order = true;
        } else if (arg == "--support" || arg.rfind("--support=", 0) == 0) {
            const bool joined = arg.size() > 9;
            if (!joined && i + 1 == args.size()) {
                options.error = "--support attend un pourcentage entier de 0 a 100 ; " + usageText();
                return options;
            }
            const std::string value = joined ? arg.substr(10) : args[++i];
            options.settings.supportThreshold = percentArgument(value);
            if (options.settings.supportThreshold < 0) {
                options.error = "valeur de --support invalide : " + value +
                                " (un entier de 0 a 100) ; " + usageText();
                return options;
            }
        } else if (arg.size() > 1 && arg[0] == '-') {
            options.error = "option inconnue : " + arg + " ; " + usageText();
            return options;
        } else {
            options.files.push_back(arg);
        }
    }
    if (options.files.empty()) options.error = "aucun fichier a verifier ; " + usageText();
    return options;
}

int runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    int status = 0;
    for (const std::string& fileName : options.files) {
        Layout layout;
        if (readLayout(fileName, kMaxCheckedBoxes, layout, options.json ? err : out) != 0) {
            status = 2;
        } else {
            LayoutReport report = checkLayout(layout, options.settings);
            // Written straight to the stream: the report of a million boxes can
            // be as large as the layout.
            std::ios::fmtflags flags = out.flags();
            std::streamsize precision = out.precision();
            if (options.json) {
                writeJson(out, fileName, report);
                out << '\n';
            } else {
                writeText(out, fileName, report);
            }
            out.flags(flags);
            out.precision(precision);
            if (hasProblems(report) && status == 0) status = 1;
        }
        out.flush();
        if (!out) {
            err << "boxview-check : impossible d'ecrire le rapport de " << fileName << std::endl;
            return 2;
        }
    }
    return status;
}
