/* Asks an X window to close itself, as a window manager's close button would (WM_DELETE_WINDOW). */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    const Window window = argc == 2 ? strtoul(argv[1], NULL, 0) : 0;
    Display* display = window != 0 ? XOpenDisplay(NULL) : NULL;
    if (display == NULL)
        return fprintf(stderr, "usage : close_window ID_FENETRE, sous un affichage X\n"), 2;
    XEvent event = {.xclient = {.type = ClientMessage,
                                .window = window,
                                .format = 32,
                                .message_type = XInternAtom(display, "WM_PROTOCOLS", False)}};
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XCloseDisplay(display); /* flushes the request */
    return sent != 0 ? 0 : 1;
}
