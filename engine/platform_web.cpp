// The program's system parts in a web page: its pictures are built into the page, its screen is
// the page's canvas, and the browser paces each frame and ends the scene.
#include "platform.h"
#include "scene.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// Where the build puts the pictures in the page's own file system.
constexpr const char* picturesFolder = "/pictures";

} // namespace

bool enterPicturesFolder() {
    if (chdir(picturesFolder) == 0)
        return true;
    std::fprintf(stderr, "basilrain: the page holds no pictures (%s: %s)\n", picturesFolder,
                 std::strerror(errno));
    return false;
}

void setVideoDefaults() {}

bool displayExpected() {
    return true;
}

void endPromptlyUnderHost() {}

void putOffStallEnd() {}

void endWhenTheDisplayGoes() {}

void keepToTheDisplaysPace() {}

void awaitTheDisplay() {}

void fillScreenWithoutWindowManager() {}

void playOnEveryMonitor(char*[]) {}

void followMonitors() {}
