// The console dialogue: the format banner, the file-name prompt, and one viewer per loaded layout.
#include "app/console.h"

#include "scene/scene.h"

#include <istream>
#include <locale>
#include <ostream>
#include <string>

namespace {

const char kUsage[] =
    "usage : boxview [--help]\n"
    "Affiche en 3D des plans de chargement de conteneur. Le programme demande le nom d'un\n"
    "fichier de chargement, l'affiche dans une fenetre, puis redemande un nom quand la\n"
    "fenetre est fermee ; la fin de l'entree (Ctrl-D) le termine avec le statut 0.\n"
    "Fichier : dimX dimY dimZ du conteneur, nb de boites (60 au plus), puis\n"
    "dimX dimY dimZ posX posY posZ de chaque boite, en entiers.\n"
    "Fenetre : Ctrl rotation, Maj orbite, fleches zoom et orbite, molette zoom,\n"
    "Echap vue de depart, Page suivante / Page precedente une boite de plus / de moins,\n"
    "Debut conteneur vide, Fin chargement complet, clic gauche selection d'une boite.\n"
    "SIGINT (Ctrl-C) et SIGTERM terminent le programme aussitot (statuts 130 et 143).\n";

enum class Word { kRead, kTooLong, kEnd };

// Reads one whitespace-delimited word into word, as formatted extraction would, but keeps
// at most kMaxFileName bytes: the rest of a longer word is read and dropped.
Word readWord(std::istream& in, std::string& word) {
    word.clear();
    in >> std::ws;
    if (!in || in.eof()) return Word::kEnd;
    const auto& ctype = std::use_facet<std::ctype<char>>(in.getloc());
    std::streambuf& buffer = *in.rdbuf();
    bool tooLong = false;
    int c = buffer.sgetc();
    for (; c != std::char_traits<char>::eof(); c = buffer.snextc()) {
        const char byte = std::char_traits<char>::to_char_type(c);
        if (ctype.is(std::ctype_base::space, byte)) break;
        if (word.size() < kMaxFileName)
            word.push_back(byte);
        else
            tooLong = true;
    }
    if (c == std::char_traits<char>::eof()) in.setstate(std::ios::eofbit);
    if (!tooLong) return Word::kRead;
    word.clear();
    return Word::kTooLong;
}

}  // namespace

ConsoleStart readConsoleArguments(int argc, const char* const* argv, std::ostream& out,
                                  std::ostream& err) {
    if (argc <= 1) return ConsoleStart::kDialogue;
    const std::string first = argv[1];
    if (first == "--help" && argc == 2) {
        out << kUsage << std::flush;
        return ConsoleStart::kHelpShown;
    }
    err << "argument inconnu : " << (first == "--help" ? argv[2] : argv[1])
        << " (boxview --help pour l'usage)" << std::endl;
    return ConsoleStart::kRefused;
}

void runConsole(std::istream& in, std::ostream& out, const ShowScene& showScene) {
    out << "format de fichier doit etre : " << std::endl;
    out << "dimX dimY dimZ du conteneur" << std::endl;
    out << "nb de boites" << std::endl;
    out << "dimX dimY dimZ posX posY posZ fragilite de chaque boite" << std::endl;

    Scene scene;
    std::string fileName;
    for (;;) {
        out << "fichier a lire ?" << std::endl;
        out << "-->" << std::flush;
        const Word word = readWord(in, fileName);
        if (word == Word::kEnd) {
            // End of input (Ctrl-D or a closed pipe): finish the prompt line and leave.
            out << std::endl;
            return;
        }
        if (word == Word::kTooLong) {
            out << "nom de fichier trop long" << std::endl;
            continue;
        }
        if (loadScene(fileName, scene, out) != 0) continue;
        showScene(scene, out);
        fileName.clear();
    }
}
