// The program's system parts on Windows.
#include "platform.h"
#include "scene.h"

#include <windows.h>

#include <direct.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

extern "C" void endAtOnce(int) {
    std::_Exit(0);
}

void setUnlessSet(const char* variable, const char* value) {
    if (!isSet(variable))
        _putenv_s(variable, value);
}

} // namespace

// Windows starts a screen saver from its system folder, under the file's short name; the
// pictures lie beside the .scr. The wide path keeps a folder name the ANSI code page cannot spell.
bool enterPicturesFolder() {
    std::vector<wchar_t> path(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size())
        path.resize(path.size() * 2);
    while (length > 0 && path[length - 1] != L'\\' && path[length - 1] != L'/')
        --length;
    path.resize(length);
    path.push_back(L'\0');
    if (length > 0 && _wchdir(path.data()) == 0)
        return true;
    std::fprintf(stderr,
                 "basilrain: cannot enter the folder of the program to find its pictures\n");
    return false;
}

void setVideoDefaults() {
    // One frame a vertical blank, not as many as a core can draw.
    setUnlessSet("SDL12COMPAT_SYNC_TO_VBLANK", "1");
    // Seen as DPI-unaware on a 150% desktop, the program would get a 1280x720 desktop, scale the
    // scene to it, and Windows would stretch that again, blurred. Aware of every monitor's DPI
    // it gets the panel's own pixels and the scene is scaled once. Set as SDL2's hint rather
    // than in a manifest so that, like the pace, the user can still override it.
    setUnlessSet("SDL_WINDOWS_DPI_AWARENESS", "permonitorv2");
    // Otherwise SDL asks Windows to keep the display on for as long as the saver runs, and the
    // power plan's "turn off the display" never comes.
    setUnlessSet("SDL_VIDEO_ALLOW_SCREENSAVER", "1");
}

// The desktop is always there to draw on.
bool displayExpected() {
    return true;
}

void endPromptlyUnderHost() {
    std::signal(SIGTERM, endAtOnce);
    std::signal(SIGINT, endAtOnce);
}

// No host hands a Windows screen saver a window of its own to draw into: the preview request
// ends the program at once, so there is no host window to hang on.
void putOffStallEnd() {}

// The desktop does not go away under a running program.
void endWhenTheDisplayGoes() {}

// Direct3D waits for the display's vertical blank itself.
void keepToTheDisplaysPace() {}
void awaitTheDisplay() {}

// Windows makes full-screen windows itself.
void fillScreenWithoutWindowManager() {}
