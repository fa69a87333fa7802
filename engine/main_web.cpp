// The entry in a web page. A page cannot be held in a loop of the program's own, so the scene,
// started as on the desktop, plays one frame each time the browser's display is ready for one.
#include "scene.h"

#include <emscripten.h>

#include <cstring>

namespace {

// Opened as a screen saver ("#saver"): the host ends it, so nothing the viewer does here does.
bool saver = false;

// The milliseconds the page has spent hidden; the browser shows no frames meanwhile.
EM_JS(double, timeHidden, (), {
    if (!Module.hidden) {
        var hidden = Module.hidden = { total: 0, since: null };
        var note = function() {
            if (document.hidden && hidden.since === null) {
                hidden.since = performance.now();
            } else if (!document.hidden && hidden.since !== null) {
                hidden.total += performance.now() - hidden.since;
                hidden.since = null;
            }
        };
        document.addEventListener('visibilitychange', note);
        note();
    }
    var stretch = Module.hidden.since === null ? 0 : performance.now() - Module.hidden.since;
    return Module.hidden.total + stretch;
});

// SDL's clock, standing still while the page is hidden, so that a scene the viewer comes back
// to carries on where it was instead of leaping ahead by the time away.
Uint32 sceneTicks() {
    return SDL_GetTicks() - static_cast<Uint32>(timeHidden());
}

// True once the viewer has left full screen: the browser keeps the Escape that does it to itself.
EM_JS(bool, leftFullScreen, (), { return !!Module.leftFullScreen; });

EM_JS(void, showTheEnd, (), {
    if (Module.sceneEnded)
        Module.sceneEnded();
});

void frame() {
    playFrame();
    if (saver || !(done || leftFullScreen()))
        return;
    emscripten_cancel_main_loop();
    showTheEnd();
}

} // namespace

int main(int argc, char* argv[]) {
    saver = argc > 1 && std::strcmp(argv[1], "--saver") == 0;
    if (!startScene(argv))
        return 1;
    tickSource = sceneTicks;
    // Paced by the browser's display, and held while the page is hidden.
    emscripten_set_main_loop(frame, 0, 1);
    return 0;
}
