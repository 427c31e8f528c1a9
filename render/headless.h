// A window-less GL context of the viewer's size (Mesa EGL, surfaceless platform), for snapshots, tests and benchmarks.
#pragma once

#include <EGL/egl.h>

#include <string>

// Owns a context and its pbuffer, both released when it goes. The EGL display is the
// process's: it stays initialised for the next context (terminating it would unload the
// driver, which the next context would have to load again).
struct HeadlessGl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;

    HeadlessGl() = default;
    HeadlessGl(const HeadlessGl&) = delete;
    HeadlessGl& operator=(const HeadlessGl&) = delete;
    ~HeadlessGl();
};

// Makes a compatibility GL context current on a width x height pbuffer with a
// depth buffer. Needs no display server. On failure, error says why (in French) and
// gl holds nothing.
bool openHeadlessGl(HeadlessGl& gl, int width, int height, std::string& error);
