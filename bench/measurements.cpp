#include "measurements.h"

#include "counted.h"
#include "process.h"
#include "runtimes.h"
#include "subjects.h"
#include "timer.h"

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int warmUpFrames = 100;
constexpr int countedWarmUpFrames = 10;
constexpr int callgrindSeconds = 60;

double framesUs(void (*frame)(), int frames) {
    const double start = nowUs();
    for (int i = 0; i < frames; ++i)
        frame();
    return (nowUs() - start) / frames;
}

Comparison compared(const std::vector<double>& scene, const std::vector<double>& floor) {
    Comparison c;
    c.measured = true;
    c.scene = median(scene);
    c.floor = median(floor);
    c.ratio = c.scene / c.floor;
    return c;
}

Comparison failed(const std::string& why) {
    Comparison c;
    c.why = why;
    return c;
}

bool setUp(const std::string& subject) {
    if (subject == "scene")
        return openSceneScreen() && loadScene();
    if (subject == "floor")
        return openFloorScreen() && loadFloor(SDL_GetVideoSurface());
    std::fprintf(stderr, "No subject called %s: scene or floor\n", subject.c_str());
    return false;
}

// The "totals:" line callgrind writes when collection was switched on and off.
bool readTotal(const std::string& file, double* instructions) {
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);)
        if (line.compare(0, 7, "totals:") == 0)
            return std::sscanf(line.c_str() + 7, "%lf", instructions) == 1;
    return false;
}

// Instructions in `function` (and what it calls) in a `count SUBJECT FRAMES` run of each side,
// divided by `per`. One run at a time: on a real display a second full-screen program waits
// for the first.
Comparison countedIn(const std::string& function, int frames, int per) {
    const std::string stem = "/tmp/bench-callgrind-" + std::to_string(getpid()) + "-";
    double totals[2] = {};
    bool read = true;
    for (int side = 0; side < 2; ++side) {
        const std::string subject = side == 0 ? "scene" : "floor";
        const std::string file = stem + subject;
        std::string ignored;
        runCommand("timeout " + std::to_string(callgrindSeconds) +
                       " valgrind --tool=callgrind --collect-atstart=no --toggle-collect='" +
                       function + "*' --callgrind-out-file=" + file + " " +
                       shellQuoted(selfPath()) + " count " + subject + " " +
                       std::to_string(frames) + " >/dev/null 2>&1",
                   &ignored);
        read = readTotal(file, &totals[side]) && read;
        std::remove(file.c_str());
    }
    if (!read)
        return failed("callgrind did not finish in " + std::to_string(callgrindSeconds) + " s");
    return compared({totals[0] / per}, {totals[1] / per});
}

} // namespace

int runFrameCostChild(int rounds, int framesPerRound) {
    if (!openSceneScreen() || !loadScene() || !loadFloor(SDL_GetVideoSurface())) {
        std::fprintf(stderr, "The scene or its floor could not be set up\n");
        return 1;
    }
    framesUs(sceneFrame, warmUpFrames);
    framesUs(floorFrame, warmUpFrames);

    std::vector<double> scene, floor, ratios;
    for (int round = 0; round < rounds; ++round) {
        double s, f;
        if (round % 2 == 0) {
            s = framesUs(sceneFrame, framesPerRound);
            f = framesUs(floorFrame, framesPerRound);
        } else {
            f = framesUs(floorFrame, framesPerRound);
            s = framesUs(sceneFrame, framesPerRound);
        }
        scene.push_back(s);
        floor.push_back(f);
        ratios.push_back(s / f);
    }
    // The play's rain cue would change the count; the rounds must end before it.
    if (fallingDrops() != activeDrops) {
        std::fprintf(stderr, "The rain's count moved off %d during the rounds\n", activeDrops);
        return 1;
    }
    char driver[32] = "?";
    SDL_VideoDriverName(driver, sizeof driver);
    const SDL_Surface* shown = SDL_GetVideoSurface();
    std::printf("%s %dx%dx%d %.2f %.2f %.4f\n%s\n", driver, shown->w, shown->h,
                shown->format->BitsPerPixel, median(scene), median(floor), median(ratios),
                loadedSdl().c_str());
    return 0;
}

Comparison measureFrameCost(int rounds, int framesPerRound, std::string* screen) {
    std::string output;
    const std::string command = shellQuoted(selfPath()) + " frames " + std::to_string(rounds) +
                                " " + std::to_string(framesPerRound);
    if (!runCommand(command, &output))
        return failed("the frame rounds failed");
    char name[32] = "";
    char mode[32] = "";
    Comparison c;
    if (std::sscanf(output.c_str(), "%31s %31s %lf %lf %lf", name, mode, &c.scene, &c.floor,
                    &c.ratio) != 5)
        return failed("unreadable frame rounds");
    const size_t secondLine = output.find('\n');
    const std::string sdl = secondLine == std::string::npos ? "" : output.substr(secondLine + 1);
    *screen = sdl.substr(0, sdl.find('\n')) + ", video driver " + name + ", screen " + mode;
    c.measured = true;
    return c;
}

StartUp measureStartUp(int processes) {
    std::vector<double> ms[2], mib[2];
    const char* subjects[2] = {"scene", "floor"};
    for (int run = 0; run < 2 * processes; ++run) {
        // scene, floor, floor, scene, ...: neither side always goes first.
        const int side = (run % 2) ^ ((run / 2) % 2);
        std::string output;
        if (!runCommand(shellQuoted(selfPath()) + " startup " + subjects[side], &output))
            return {failed("a start-up run failed"), failed("a start-up run failed")};
        double us = 0.0;
        double kb = 0.0;
        if (std::sscanf(output.c_str(), "%lf %lf", &us, &kb) != 2)
            return {failed("unreadable start-up run"), failed("unreadable start-up run")};
        ms[side].push_back(us / 1000.0);
        mib[side].push_back(kb / 1024.0);
    }
    return {compared(ms[0], ms[1]), compared(mib[0], mib[1])};
}

Instructions measureInstructions(int frames) {
    std::string ignored;
    if (!runCommand("valgrind --version >/dev/null 2>&1", &ignored))
        return {failed("valgrind not found"), failed("valgrind not found")};
    return {countedIn("countedStartUp", 0, 1), countedIn("countedFrames", frames, frames)};
}

int runStartUpChild(const std::string& subject) {
    const double start = nowUs();
    if (!setUp(subject))
        return 1;
    const double elapsed = nowUs() - start;
    std::printf("%.1f %ld\n", elapsed, peakMemoryKb());
    return 0;
}

int runCountedChild(const std::string& subject, int frames) {
    if (!countedStartUp(setUp, subject))
        return 1;
    void (*frame)() = subject == "scene" ? sceneFrame : floorFrame;
    for (int i = 0; i < countedWarmUpFrames; ++i)
        frame();
    countedFrames(frame, frames);
    return 0;
}
