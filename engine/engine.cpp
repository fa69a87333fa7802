// The scene's globals, its start-up and its frame loop.
#include "scene.h"

#include "cast.h"
#include "platform.h"
#include "timeline.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

bool done;
SDL_Surface* screen;
CSpriteEngine se;
CSprite sprite;
CDest dest;
float fps;
Uint32 last_tick;
float cTime;
float cTimeR;

Uint32 (*tickSource)() = SDL_GetTicks;

namespace {

constexpr int screenWidth = 800;
constexpr int screenHeight = 600;
constexpr int screenDepth = 16;
constexpr Uint32 videoFlags =
    SDL_FULLSCREEN | SDL_DOUBLEBUF | SDL_ANYFORMAT | SDL_HWACCEL | SDL_HWSURFACE;

// Drawing into a screen-saver host's window rather than a screen of its own.
bool hosted = false;

constexpr float unitsPerSecond = 13.0f;
// Mouse motion in the opening moments of every pass is ignored, so that a nudge while the
// saver starts up does not end it at once.
constexpr float motionGrace = 30.0f;

// Formed in double precision and rounded to a float once, when stored.
float advanced(float clock, float rate) {
    return static_cast<float>(static_cast<double>(clock) +
                              static_cast<double>(unitsPerSecond) / static_cast<double>(rate));
}

// Drivers SDL falls back to when it finds no display: text art that takes the terminal over,
// or a screen in memory that nobody sees. They are used only when asked for by name.
const char* const driversShowingNothing[] = {
    "caca",      // classic SDL: text art
    "aalib",     // classic SDL: text art
    "offscreen", // SDL2 under sdl12-compat: pictures in memory
};

bool fellBackToNothing(const char* driver) {
    if (isSet("SDL_VIDEODRIVER"))
        return false;
    for (const char* fallback : driversShowingNothing)
        if (std::strcmp(driver, fallback) == 0)
            return true;
    return false;
}

} // namespace

bool isSet(const char* variable) {
    const char* value = SDL_getenv(variable);
    return value && value[0] != '\0';
}

bool onSdl12Compat() {
    const SDL_version* runtime = SDL_Linked_Version();
    return SDL_VERSIONNUM(runtime->major, runtime->minor, runtime->patch) >=
           SDL_VERSIONNUM(1, 2, 50);
}

bool isPreviewOrConfigRequest(int argc, char* argv[]) {
    if (argc <= 1 || argv[1] == nullptr || argv[1][0] == '\0')
        return false;
    // The leading switch character ("/" or "-") is skipped without being looked at.
    const char request = argv[1][1];
    return request == 'p' || request == 'c';
}

bool hostWindowGiven() {
    return isSet("SDL_WINDOWID");
}

bool openScreen() {
    // Left to itself SDL would try every driver it has, and the last resorts write escape codes
    // to the terminal or draw into memory.
    if (!isSet("SDL_VIDEODRIVER") && !displayExpected())
        return false;
    if (SDL_Init(SDL_INIT_VIDEO) < 0) {
        std::fprintf(stderr, "basilrain: cannot start the video system: %s\n", SDL_GetError());
        return false;
    }
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    if (fellBackToNothing(driver)) {
        SDL_Quit(); // gives the terminal back before speaking to it
        std::fprintf(stderr,
                     "basilrain: no display to draw on (is DISPLAY right?); SDL offered only its "
                     "\"%s\" driver\n",
                     driver);
        return false;
    }
    screen = SDL_SetVideoMode(screenWidth, screenHeight, screenDepth, videoFlags);
    if (!screen) {
        std::fprintf(stderr, "basilrain: cannot set the %dx%d %d-bit video mode: %s\n", screenWidth,
                     screenHeight, screenDepth, SDL_GetError());
        return false;
    }
    endWhenTheDisplayGoes();
    if (!hostWindowGiven())
        fillScreenWithoutWindowManager();
    return true;
}

bool ProcessEvent() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            return false;
        if (event.type == SDL_QUIT)
            return false;
    }
    return true;
}

void runFrame() {
    // Input. A frame that ends the program is still played and shown to its end.
    done = !ProcessEvent();
    SDL_PumpEvents();
    int motionX = 0;
    int motionY = 0;
    SDL_GetRelativeMouseState(&motionX, &motionY);
    if (cTime > motionGrace && (motionX != 0 || motionY != 0))
        done = true;

    runTimeline();

    // Timing: an unsigned interval survives the tick counter's wrap; 0 ms gives an infinite rate.
    const Uint32 interval = tickSource() - last_tick;
    fps = static_cast<float>(1000.0 / static_cast<double>(interval));
    last_tick = tickSource();

    // Drawing: the backdrop is the rearmost cast member and repaints the whole screen.
    se.updateFPS(fps);
    se.drawAll();
    dest.run(fps);
    SDL_Flip(screen);

    cTime = advanced(cTime, fps);
    cTimeR = advanced(cTimeR, fps);
}

bool startScene(char* argv[]) {
    if (!enterPicturesFolder())
        return false;
    setVideoDefaults();
    hosted = hostWindowGiven();
    if (hosted)
        endPromptlyUnderHost();
    if (!openScreen())
        return false;
    keepToTheDisplaysPace();
    if (!hosted)
        playOnEveryMonitor(argv);
    setUpCast();
    dest.init(screen);
    SDL_ShowCursor(SDL_DISABLE);
    return true;
}

void playFrame() {
    if (hosted)
        putOffStallEnd();
    else
        followMonitors();
    runFrame();
    awaitTheDisplay();
}

extern "C" int SDL_main(int argc, char* argv[]) {
    if (isPreviewOrConfigRequest(argc, argv))
        std::exit(0);
    if (!startScene(argv))
        return 1;
    while (!done)
        playFrame();
    return 0;
}
