/* Asks an X window to close itself, as a window manager's close button would (WM_DELETE_WINDOW). */
#include <X11/Xlib.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage : close_window ID_FENETRE\n");
        return 2;
    }
    char* end = NULL;
    const unsigned long windowId = strtoul(argv[1], &end, 0);
    if (end == argv[1] || *end != '\0' || windowId == 0) {
        fprintf(stderr, "close_window : identifiant de fenetre invalide : %s\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(NULL);
    if (display == NULL) {
        fprintf(stderr, "close_window : affichage X impossible a ouvrir\n");
        return 1;
    }
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = (Window)windowId;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, (Window)windowId, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    if (sent == 0) {
        fprintf(stderr, "close_window : envoi refuse pour la fenetre %s\n", argv[1]);
        return 1;
    }
    return 0;
}
