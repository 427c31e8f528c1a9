// The console dialogue: the format banner, the file-name prompt, and one viewer per loaded layout.
#include "app/console.h"

#include "scene/scene.h"

#include <istream>
#include <ostream>
#include <string>

int runConsole(std::istream& in, std::ostream& out, const ShowScene& showScene) {
    out << "format de fichier doit etre : " << std::endl;
    out << "dimX dimY dimZ du conteneur" << std::endl;
    out << "nb de boites" << std::endl;
    out << "dimX dimY dimZ posX posY posZ fragilite de chaque boite" << std::endl;

    Scene scene;
    std::string fileName;
    for (;;) {
        out << "fichier a lire ?" << std::endl;
        out << "-->" << std::flush;
        if (!(in >> fileName)) {
            // End of input (Ctrl-D or a closed pipe): finish the prompt line and leave.
            out << std::endl;
            return 0;
        }
        if (loadScene(fileName, scene, out) != 0) continue;
        showScene(scene);
        fileName.clear();
    }
}
