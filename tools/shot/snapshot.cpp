// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#include "tools/shot/snapshot.h"

#include "scene/scene.h"
#include "tools/common/picture_output.h"

#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sstream>

namespace {

const char kUsage[] =
    "usage : boxview-shot LAYOUT OUT.png [--upto K] [--select N] [--rotx DEG] [--rotz DEG] "
    "[--angle RAD] [--distance D]";

const char kHelp[] =
    "Dessine l'image de la fenetre de boxview pour un chargement, sans ecran, en PNG.\n"
    "OUT.png vaut - pour ecrire l'image sur la sortie standard ; un lien symbolique est\n"
    "suivi, un fichier existant garde ses droits.\n"
    "  --upto K      etape K du chargement : boites 1..K, boite K selectionnee (0..nombre)\n"
    "  --select N    boite N selectionnee (1..nombre, ou 1..K avec --upto)\n"
    "  --rotx DEG    rotation du modele autour de x, en degres (accueil : 0)\n"
    "  --rotz DEG    rotation du modele autour de z, en degres (accueil : 15)\n"
    "  --angle RAD   angle de la camera autour du centre, en radians\n"
    "  --distance D  distance de la camera au centre (au plus 10000000 en valeur absolue)\n"
    "  --help        cette aide\n"
    "Code de sortie : 0 image ecrite ; 1 police, rendu ou ecriture impossibles ;\n"
    "2 argument, chargement ou sortie refuses (rien n'est ecrit).\n";

constexpr double kFullTurnDegrees = 360;
constexpr double kFullTurnRadians = 6.283185307179586;

bool parseNumber(const std::string& text, double& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end == text.c_str() + text.size() && std::isfinite(value);
}

bool parseInteger(const std::string& text, int32_t& value) {
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || parsed < INT32_MIN ||
        parsed > INT32_MAX) {
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

// libpng's failures become our own one-line message: no text of its own on stderr.
void quietPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quietPngWarning(png_structp, png_const_charp) {}

// Owns libpng's write struct and its info struct.
struct PngWriter {
    png_structp png = nullptr;
    png_infop info = nullptr;

    PngWriter() = default;
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;
    ~PngWriter() {
        if (png != nullptr) png_destroy_write_struct(&png, &info);
    }
};

// Writes the header and the rows through libpng; false when libpng reports an error. Its
// error handler longjmps back into this frame, which therefore holds nothing with a
// destructor: the structs' owner lives in the caller.
bool writeRows(png_structp png, png_infop info, FILE* file, int width, int height,
               const uint8_t* rgb) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, rgb + static_cast<std::size_t>(row) * width * 3);
    }
    png_write_end(png, nullptr);
    return true;
}

// Writes the PNG without row filters at zlib level 1: ten times quicker to encode than
// the defaults, for a file about half as large again.
bool encodePng(FILE* file, int width, int height, const std::vector<uint8_t>& rgb) {
    PngWriter writer;
    writer.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietPngError,
                                         quietPngWarning);
    if (writer.png == nullptr) return false;
    writer.info = png_create_info_struct(writer.png);
    return writer.info != nullptr &&
           writeRows(writer.png, writer.info, file, width, height, rgb.data());
}

} // namespace

bool parseShotArgs(const std::vector<std::string>& args, ShotOptions& options,
                   std::string& error) {
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool isOption = arg.size() > 2 && arg.compare(0, 2, "--") == 0;
        if (!isOption) {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--help") {
            options.help = true;
            return true;
        }
        if (arg != "--select" && arg != "--upto" && arg != "--rotx" && arg != "--rotz" && arg != "--angle" &&
            arg != "--distance") {
            error = "boxview-shot : option inconnue : " + arg;
            return false;
        }
        if (i + 1 >= args.size()) {
            error = "boxview-shot : valeur manquante pour " + arg;
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--select") {
            ok = options.hasSelect = parseInteger(value, options.select);
        } else if (arg == "--upto") {
            ok = options.hasUpto = parseInteger(value, options.upto);
        } else if (arg == "--rotx") {
            ok = options.hasRotX = parseNumber(value, options.rotX);
        } else if (arg == "--rotz") {
            ok = options.hasRotZ = parseNumber(value, options.rotZ);
        } else if (arg == "--angle") {
            ok = options.hasAngle = parseNumber(value, options.angle);
        } else {
            ok = options.hasDistance = parseNumber(value, options.distance);
        }
        if (!ok) {
            error = "boxview-shot : valeur invalide pour " + arg + " : " + value;
            return false;
        }
    }
    if (std::fabs(options.distance) > kMaxDistance) {
        std::ostringstream line;
        line << "boxview-shot : distance hors de -10000000..10000000 (--distance) : "
             << options.distance;
        error = line.str();
        return false;
    }
    options.rotX = std::fmod(options.rotX, kFullTurnDegrees);
    options.rotZ = std::fmod(options.rotZ, kFullTurnDegrees);
    options.angle = std::fmod(options.angle, kFullTurnRadians);
    if (positional.size() != 2) {
        error = kUsage;
        return false;
    }
    options.layout = positional[0];
    options.output = positional[1];
    return true;
}

int runShot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ShotOptions options;
    std::string error;
    if (!parseShotArgs(args, options, error)) {
        err << error << std::endl;
        return 2;
    }
    if (options.help) {
        out << kUsage << "\n" << kHelp << std::flush;
        return 0;
    }
    Scene scene;
    if (loadScene(options.layout, scene, err) != 0) return 2;
    const int32_t boxes = boxesInTable(scene.boxCount);
    if (options.hasUpto && (options.upto < 0 || options.upto > boxes)) {
        err << "boxview-shot : etape " << options.upto << " hors de 0.." << boxes << " (--upto)"
            << std::endl;
        return 2;
    }
    const int32_t selectable = options.hasUpto ? options.upto : boxes;
    if (options.hasSelect && (options.select < 1 || options.select > selectable)) {
        err << "boxview-shot : boite " << options.select << " hors de 1.." << selectable
            << " (--select)" << std::endl;
        return 2;
    }
    Camera camera;
    ViewState view;
    homeView(camera, view);
    if (options.hasUpto) view = stepView(options.upto);
    if (options.hasRotX) view.rotX = options.rotX;
    if (options.hasRotZ) view.rotZ = options.rotZ;
    if (options.hasAngle) camera.orbitAngle = options.angle;
    if (options.hasDistance) camera.orbitDistance = options.distance;
    if (options.hasAngle || options.hasDistance) updateEye(camera);
    if (options.hasSelect) view.selectedBox = options.select;
    const Error outcome = writeWithPictures(
        "boxview-shot", options.output, options.layout,
        [&](const PictureMaker& maker, FILE* file, std::string&) {
            return encodePng(file, kWindowWidth, kWindowHeight,
                             drawPicture(maker, scene, view, camera));
        });
    if (outcome.kind != ErrorKind::kNone) err << outcome.message << std::endl;
    return exitStatus(outcome);
}
