// boxview-shot: renders the viewer's own frame of a layout into a PNG file, without a screen.
#include "tools/shot/snapshot.h"

#include "render/font.h"
#include "render/frame.h"
#include "render/headless.h"
#include "scene/scene.h"
#include "render/view.h"

#include <png.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kUsage[] =
    "usage : boxview-shot LAYOUT OUT.png [--select N] [--rotx DEG] [--rotz DEG] [--angle RAD] "
    "[--distance D]";

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

// Closes the file and removes the temporary image whatever happens on the way.
struct TempPng {
    std::string path;
    FILE* file = nullptr;
    ~TempPng() {
        if (file != nullptr) std::fclose(file);
        if (!path.empty()) std::remove(path.c_str());
    }
};

bool encodePng(FILE* file, int width, int height, const std::vector<uint8_t>& rgb) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = 0; row < height; ++row) {
        png_write_row(png, rgb.data() + static_cast<std::size_t>(row) * width * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

// Reads the frame back, turning GL's bottom-up rows into the image's top-down order.
std::vector<uint8_t> readFrame() {
    std::vector<uint8_t> bottomUp(static_cast<std::size_t>(kWindowWidth) * kWindowHeight * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    const std::size_t rowBytes = static_cast<std::size_t>(kWindowWidth) * 3;
    for (int row = 0; row < kWindowHeight; ++row) {
        std::memcpy(topDown.data() + row * rowBytes,
                    bottomUp.data() + (kWindowHeight - 1 - row) * rowBytes, rowBytes);
    }
    return topDown;
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
        if (arg != "--select" && arg != "--rotx" && arg != "--rotz" && arg != "--angle" &&
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
    if (positional.size() != 2) {
        error = kUsage;
        return false;
    }
    options.layout = positional[0];
    options.output = positional[1];
    return true;
}

bool writePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb,
              std::string& error) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    TempPng temp;
    std::string pattern = folder + "/.boxview-shot-XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "boxview-shot : impossible d'ecrire dans " + folder + " : " + std::strerror(errno);
        return false;
    }
    temp.path = pattern;
    temp.file = fdopen(fd, "wb");
    if (temp.file == nullptr) {
        close(fd);
        error = "boxview-shot : impossible d'ecrire " + temp.path;
        return false;
    }
    bool written = encodePng(temp.file, width, height, rgb);
    written = std::fflush(temp.file) == 0 && written;
    written = std::fclose(temp.file) == 0 && written;
    temp.file = nullptr;
    if (!written) {
        error = "boxview-shot : ecriture de l'image impossible : " + path;
        return false;
    }
    // mkstemp makes the file private; the picture is as readable as any new file.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(temp.path.c_str(), 0666 & ~mask);
    if (std::rename(temp.path.c_str(), path.c_str()) != 0) {
        error = "boxview-shot : impossible de creer " + path + " : " + std::strerror(errno);
        return false;
    }
    temp.path.clear();
    return true;
}

int runShot(const std::vector<std::string>& args, std::ostream& err) {
    ShotOptions options;
    std::string error;
    if (!parseShotArgs(args, options, error)) {
        err << error << std::endl;
        return 2;
    }
    Scene scene;
    if (loadScene(options.layout, scene, err) != 0) return 2;
    const int32_t boxes = scene.boxCount < 0 ? 0 : scene.boxCount;
    if (options.hasSelect && (options.select < 1 || options.select > boxes)) {
        err << "boxview-shot : boite " << options.select << " hors de 1.." << boxes
            << " (--select)" << std::endl;
        return 2;
    }

    keepFreedMemoryForFrames();
    HeadlessGl gl;
    if (!openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) {
        err << "boxview-shot : " << error << std::endl;
        return 1;
    }
    const FontCache fonts = loadFontCache();
    Camera camera;
    ViewState view;
    Palette palette;
    setHomeView(camera, view, palette);
    if (options.hasRotX) view.rotX = options.rotX;
    if (options.hasRotZ) view.rotZ = options.rotZ;
    if (options.hasAngle) camera.orbitAngle = options.angle;
    if (options.hasDistance) camera.orbitDistance = options.distance;
    if (options.hasAngle || options.hasDistance) updateEye(camera);
    view.selectedBox = options.select;

    drawFrame(palette, scene, view, camera, fonts);
    glFinish();
    const std::vector<uint8_t> pixels = readFrame();
    closeHeadlessGl(gl);

    if (!writePng(options.output, kWindowWidth, kWindowHeight, pixels, error)) {
        err << error << std::endl;
        return 1;
    }
    return 0;
}
