// A window-less GL context of the viewer's size (Mesa EGL, surfaceless platform), for snapshots, tests and benchmarks.
#include "render/headless.h"

#include <EGL/eglext.h>

namespace {

// Releases the context and its pbuffer, if any; the display stays as it is.
void release(HeadlessGl& gl) {
    if (gl.display == EGL_NO_DISPLAY) return;
    eglMakeCurrent(gl.display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (gl.context != EGL_NO_CONTEXT) eglDestroyContext(gl.display, gl.context);
    if (gl.surface != EGL_NO_SURFACE) eglDestroySurface(gl.display, gl.surface);
    gl.display = EGL_NO_DISPLAY;
    gl.context = EGL_NO_CONTEXT;
    gl.surface = EGL_NO_SURFACE;
}

}  // namespace

HeadlessGl::~HeadlessGl() { release(*this); }

bool openHeadlessGl(HeadlessGl& gl, int width, int height, std::string& error) {
    release(gl);
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay == nullptr) {
        error = "EGL sans eglGetPlatformDisplayEXT";
        return false;
    }
    gl.display = getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (gl.display == EGL_NO_DISPLAY || !eglInitialize(gl.display, nullptr, nullptr)) {
        error = "affichage EGL surfaceless indisponible";
        gl.display = EGL_NO_DISPLAY;
        return false;
    }
    const EGLint configAttributes[] = {
        EGL_SURFACE_TYPE,
        EGL_PBUFFER_BIT,
        EGL_RENDERABLE_TYPE,
        EGL_OPENGL_BIT,
        EGL_RED_SIZE,
        8,
        EGL_GREEN_SIZE,
        8,
        EGL_BLUE_SIZE,
        8,
        EGL_ALPHA_SIZE,
        8,
        EGL_DEPTH_SIZE,
        24,
        EGL_NONE,
    };
    EGLConfig config = nullptr;
    EGLint configCount = 0;
    if (!eglChooseConfig(gl.display, configAttributes, &config, 1, &configCount) ||
        configCount < 1 || !eglBindAPI(EGL_OPENGL_API)) {
        error = "aucune configuration EGL OpenGL avec tampon de profondeur";
        release(gl);
        return false;
    }
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    gl.surface = eglCreatePbufferSurface(gl.display, config, surfaceAttributes);
    gl.context = eglCreateContext(gl.display, config, EGL_NO_CONTEXT, nullptr);
    if (gl.surface == EGL_NO_SURFACE || gl.context == EGL_NO_CONTEXT ||
        !eglMakeCurrent(gl.display, gl.surface, gl.surface, gl.context)) {
        error = "contexte GL hors ecran impossible a creer";
        release(gl);
        return false;
    }
    return true;
}
