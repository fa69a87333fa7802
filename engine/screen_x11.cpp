// The full screen on an X server without a window manager (a kiosk, xinit, a bare server).
#include "platform.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

// SDL 2 and 3 leave making a window full-screen to the window manager and report the screen's
// size whether or not one did it; with none the window keeps the mode's 800x600 and shows the
// top left of a scene scaled for the whole screen, or the scene unscaled. The classic SDL 1.2
// puts its window inside a full-screen one of its own, which is left alone.
void fillScreenWithoutWindowManager() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.lock_func ||
        !info.info.x11.unlock_func)
        return;
    info.info.x11.lock_func();
    Display* display = info.info.x11.display;
    const Window window = info.info.x11.window;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned childCount = 0;
    XWindowAttributes screen, own;
    if (XQueryTree(display, window, &root, &parent, &children, &childCount) &&
        XGetWindowAttributes(display, root, &screen) &&
        XGetWindowAttributes(display, window, &own)) {
        // A window manager is whoever redirects the root's children's requests to itself.
        const bool managed = (screen.all_event_masks & SubstructureRedirectMask) != 0;
        if (!managed && parent == root &&
            (own.width < screen.width || own.height < screen.height)) {
            XMoveResizeWindow(display, window, 0, 0, screen.width, screen.height);
            XRaiseWindow(display, window);
            XSync(display, False);
        }
    }
    if (children)
        XFree(children);
    info.info.x11.unlock_func();
}
