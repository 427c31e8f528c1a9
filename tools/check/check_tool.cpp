// The program boxview-check: its command line and the check of each file named on it.
#include "tools/check/check_tool.h"

#include <cstdint>
#include <ostream>

#include "tools/check/report.h"
#include "tools/common/command_line.h"

namespace {

const ToolSpec kCheckTool{
    "boxview-check",
    "FICHIER...",
    1,
    SIZE_MAX,
    "aucun fichier a verifier",
    "Verifie chaque plan de chargement : volumes, chevauchements, boites hors du\n"
    "conteneur, boites degenerees, en l'air ou instables ; et quand le fichier les\n"
    "donne : boites posees sur une boite fragile, poids total, centre de gravite et\n"
    "boites surchargees.\n",
    "Statut : 0 sans probleme, 1 si un probleme est trouve, 2 si un fichier est\n"
    "refuse ou si le rapport ne peut pas etre ecrit.\n",
    {{"json", OptionKind::kFlag, "", "un objet JSON par fichier, un par ligne"},
     {"support", OptionKind::kWhole, "P",
      "signale aussi les boites appuyees a moins de P % (0 a 100)", 0, 100},
     {"order", OptionKind::kFlag, "",
      "juge chaque boite avec les seules boites chargees avant elle"},
     {"cog", OptionKind::kWhole, "P",
      "signale un centre de gravite ecarte de plus de P % du centre du plancher (0 a 50)", 0, 50}},
};

}  // namespace

CheckOptions parseArguments(const std::vector<std::string>& args) {
    const CommandLine line = readCommandLine(kCheckTool, args);
    CheckOptions options;
    options.help = line.help;
    options.error = line.error;
    options.files = line.operands;
    options.json = optionValue(kCheckTool, line, "json").given;
    options.settings.order = optionValue(kCheckTool, line, "order").given;
    const OptionValue& support = optionValue(kCheckTool, line, "support");
    if (support.given) options.settings.supportThreshold = static_cast<int>(support.number);
    const OptionValue& cog = optionValue(kCheckTool, line, "cog");
    if (cog.given) options.settings.cogLimit = static_cast<int>(cog.number);
    return options;
}

CheckRun runCheck(const CheckOptions& options, std::ostream& out, std::ostream& err) {
    CheckRun run;
    if (options.help) {
        run.error = writeHelp(kCheckTool, out);
        return run;
    }
    for (const std::string& fileName : options.files) {
        Layout layout;
        if (readLayout(fileName, kMaxCheckedBoxes, layout, options.json ? err : out) != 0) {
            run.fileRefused = true;
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
            run.problemFound = run.problemFound || hasProblems(report);
        }
        out.flush();
        if (!out) {
            run.error = {ErrorKind::kFailed,
                         "boxview-check : impossible d'ecrire le rapport de " + fileName};
            return run;
        }
    }
    return run;
}
