// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#include "tools/shot/snapshot.h"

#include "render/problems.h"
#include "scene/scene.h"
#include "tools/common/command_line.h"
#include "tools/common/picture_output.h"

#include <png.h>

#include <cmath>
#include <cstdio>
#include <type_traits>
#include <ostream>
#include <sstream>

namespace {

const ToolSpec kShotTool{
    "boxview-shot",
    "LAYOUT OUT.png",
    2,
    2,
    "il faut un chargement et une image",
    "Dessine l'image de la fenetre de boxview pour un chargement, sans ecran, en PNG.\n"
    "OUT.png vaut - pour ecrire l'image sur la sortie standard ; un lien symbolique est\n"
    "suivi, un fichier existant garde ses droits.\n",
    "Code de sortie : 0 image ecrite ; 1 police, rendu ou ecriture impossibles ;\n"
    "2 argument, chargement ou sortie refuses (rien n'est ecrit).\n",
    {{"upto", OptionKind::kWhole, "K",
      "etape K du chargement : boites 1..K, boite K selectionnee (0..nombre)", 0, INT32_MAX},
     {"select", OptionKind::kWhole, "N", "boite N selectionnee (1..nombre, ou 1..K avec --upto)", 0,
      INT32_MAX},
     {"rotx", OptionKind::kReal, "DEG", "rotation du modele autour de x, en degres (accueil : 0)"},
     {"rotz", OptionKind::kReal, "DEG", "rotation du modele autour de z, en degres (accueil : 15)"},
     {"angle", OptionKind::kReal, "RAD", "angle de la camera autour du centre, en radians"},
     {"distance", OptionKind::kReal, "D",
      "distance de la camera au centre (au plus 10000000 en valeur absolue)"},
     {"fit", OptionKind::kFlag, "",
      "cadre tout le conteneur, comme la touche F (--angle et --distance partent de la)"},
     {"problems", OptionKind::kFlag, "", "montre les problemes du chargement (touche P)"}},
};

constexpr double kFullTurnDegrees = 360;
constexpr double kFullTurnRadians = 6.283185307179586;

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
    writer.png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, quietPngError, quietPngWarning);
    if (writer.png == nullptr) return false;
    writer.info = png_create_info_struct(writer.png);
    return writer.info != nullptr &&
           writeRows(writer.png, writer.info, file, width, height, rgb.data());
}

// The options of a command line read without error or help.
bool shotOptions(const CommandLine& line, ShotOptions& options, std::string& error) {
    const auto take = [&](const char* name, auto& field) {
        const OptionValue& value = optionValue(kShotTool, line, name);
        if (value.given)
            field = static_cast<std::remove_reference_t<decltype(field)>>(value.number);
        return value.given;
    };
    options.hasUpto = take("upto", options.upto);
    options.hasSelect = take("select", options.select);
    options.hasRotX = take("rotx", options.rotX);
    options.hasRotZ = take("rotz", options.rotZ);
    options.hasAngle = take("angle", options.angle);
    options.hasDistance = take("distance", options.distance);
    options.fit = optionValue(kShotTool, line, "fit").given;
    options.problems = optionValue(kShotTool, line, "problems").given;
    if (std::fabs(options.distance) > kMaxDistance) {
        std::ostringstream text;
        text << "boxview-shot : distance hors de -10000000..10000000 (--distance) : "
             << options.distance;
        error = text.str();
        return false;
    }
    options.rotX = std::fmod(options.rotX, kFullTurnDegrees);
    options.rotZ = std::fmod(options.rotZ, kFullTurnDegrees);
    options.angle = std::fmod(options.angle, kFullTurnRadians);
    options.layout = line.operands[0];
    options.output = line.operands[1];
    return true;
}

}  // namespace

bool parseShotArgs(const std::vector<std::string>& args, ShotOptions& options, std::string& error) {
    const CommandLine line = readCommandLine(kShotTool, args);
    error = line.error;
    options.help = line.help;
    return error.empty() && (line.help || shotOptions(line, options, error));
}

Error runShot(const std::vector<std::string>& args, std::ostream& out) {
    CommandLine line;
    const Error start = startTool(kShotTool, args, out, line);
    if (start.kind != ErrorKind::kNone || line.help) return start;
    ShotOptions options;
    std::string error;
    if (!shotOptions(line, options, error)) return {ErrorKind::kRefused, error};
    Scene scene;
    if (Error refusal = loadPictureScene(options.layout, scene); refusal.kind != ErrorKind::kNone) {
        return refusal;
    }
    const int32_t boxes = boxesInTable(scene.boxCount);
    if (options.hasUpto && options.upto > boxes) {
        return {ErrorKind::kRefused, "boxview-shot : etape " + std::to_string(options.upto) +
                                         " hors de 0.." + std::to_string(boxes) + " (--upto)"};
    }
    const int32_t selectable = options.hasUpto ? options.upto : boxes;
    if (options.hasSelect && (options.select < 1 || options.select > selectable)) {
        return {ErrorKind::kRefused, "boxview-shot : boite " + std::to_string(options.select) +
                                         " hors de 1.." + std::to_string(selectable) +
                                         " (--select)"};
    }
    const ProblemMarks problems = findProblemMarks(scene);
    Camera camera;
    ViewState view;
    homeView(camera, view);
    if (options.hasUpto) view = stepView(options.upto);
    if (options.hasRotX) view.rotX = options.rotX;
    if (options.hasRotZ) view.rotZ = options.rotZ;
    if (options.fit) frameContainer(scene, camera, view);
    view.showProblems = options.problems;
    if (options.hasAngle) camera.orbitAngle = options.angle;
    if (options.hasDistance) camera.orbitDistance = options.distance;
    if (options.hasAngle || options.hasDistance) updateEye(camera);
    if (options.hasSelect) view.selectedBox = options.select;
    return writeWithPictures("boxview-shot", options.output, options.layout,
                             [&](const PictureMaker& maker, FILE* file, std::string&) {
                                 return encodePng(
                                     file, kWindowWidth, kWindowHeight,
                                     drawPicture(maker, scene, view, camera, &problems));
                             });
}
