// The least any headless picture costs here: an EGL context, a clear, the read-back and a PNG,
// with the same encoder settings as boxview-shot; the yardstick for its whole-process time.
#include "render/headless.h"
#include "render/view.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage : boxview-shot-floor OUT.png\n");
        return 2;
    }
    setenv("GALLIVM_PERF", "nopt", 0);
    std::vector<png_byte> rgb(std::size_t{kWindowWidth} * kWindowHeight * 3);
    {  // the context goes before the encoding
        HeadlessGl gl;
        std::string error;
        if (!openHeadlessGl(gl, kWindowWidth, kWindowHeight, error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return 1;
        }
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, kWindowWidth, kWindowHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }

    FILE* file = std::fopen(argv[1], "wb");
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (file == nullptr || setjmp(png_jmpbuf(png))) return 1;
    png_init_io(png, file);
    png_set_filter(png, 0, PNG_FILTER_NONE);
    png_set_compression_level(png, 1);
    png_set_IHDR(png, info, kWindowWidth, kWindowHeight, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int row = kWindowHeight - 1; row >= 0; --row) {
        png_write_row(png, rgb.data() + std::size_t(row) * kWindowWidth * 3);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 ? 0 : 1;
}
