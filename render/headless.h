// A window-less GL context of the viewer's size (Mesa EGL, surfaceless platform), for snapshots, tests and benchmarks.
#pragma once

#include <EGL/egl.h>

#include <string>

struct HeadlessGl {
    EGLDisplay display = EGL_NO_DISPLAY;
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
};

// Makes a compatibility GL context current on a width x height pbuffer with a
// depth buffer. Needs no display server. On failure, error says why (in French).
bool openHeadlessGl(HeadlessGl& gl, int width, int height, std::string& error);

// Releases the context and its pbuffer; the EGL display stays ready for the next one.
void closeHeadlessGl(HeadlessGl& gl);
