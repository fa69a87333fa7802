// The benchmark: the scene's frame cost, start-up, memory and instruction count against the
// raw SDL calls it cannot do without, printed as one table for each SDL runtime installed.
#include "measurements.h"
#include "pace.h"
#include "runtimes.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int rounds = 161;
constexpr int framesPerRound = 50;
constexpr int startUpProcesses = 11;
constexpr int countedFrames = 100;

void row(const char* what, const Comparison& c, const char* format, const char* goal) {
    if (!c.measured) {
        std::printf("%-34s %s\n", what, c.why.c_str());
        return;
    }
    char scene[32];
    char floor[32];
    std::snprintf(scene, sizeof scene, format, c.scene);
    std::snprintf(floor, sizeof floor, format, c.floor);
    std::printf("%-34s %12s %12s %7.3f%s%s\n", what, scene, floor, c.ratio, *goal ? "  " : "",
                goal);
}

bool table(const Runtime& runtime) {
    useRuntime(runtime);
    std::string screen = "video driver ?";
    const Comparison frame = measureFrameCost(rounds, framesPerRound, &screen);
    const StartUp start = measureStartUp(startUpProcesses);
    const Instructions instructions = measureInstructions(countedFrames);

    std::printf("%s: %s, 998 drops falling\n\n", runtime.name.c_str(), screen.c_str());
    std::printf("%-34s %12s %12s %7s  %s\n", "", "scene", "floor", "ratio", "goal");
    row("frame cost, us", frame, "%.1f", "<= 1.10");
    row("start-up, ms", start.milliseconds, "%.2f", "<= 1.10");
    row("start-up instructions", instructions.startUp, "%.0f", "<= 1.05");
    row("peak memory after set-up, MiB", start.peakMemoryMiB, "%.1f", "");
    row("instructions per frame", instructions.perFrame, "%.0f", "");
    std::printf("\n");
    std::fflush(stdout);
    return frame.measured && start.milliseconds.measured;
}

// One table for each SDL runtime the machine has, each subject against its floor on it.
int report() {
    bool measured = true;
    for (const Runtime& runtime : installedRuntimes())
        measured = table(runtime) && measured;
    std::printf(
        "frame cost: median of %d interleaved rounds of %d frames; the ratio is the median\n"
        "  of the rounds' ratios; the scene's clock is fed 1 ms a frame\n"
        "start-up: video start to the end of set-up, median of %d fresh processes each\n"
        "peak memory: VmHWM of those processes, median\n"
        "instructions: callgrind, the same start-up, and %d frames after a warm-up\n",
        rounds, framesPerRound, startUpProcesses, countedFrames);
    return measured ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode.empty())
        return report();
    if (mode == "frames" && argc == 4)
        return runFrameCostChild(std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "startup" && argc == 3)
        return runStartUpChild(argv[2]);
    if (mode == "count" && argc == 4)
        return runCountedChild(argv[2], std::atoi(argv[3]));
    if (mode == "pace" && argc == 5)
        return runPace(argv[2], std::atoi(argv[3]), argv[4]);
    std::fprintf(stderr,
                 "usage: %s [frames ROUNDS FRAMES | startup SUBJECT | count SUBJECT FRAMES |\n"
                 "  pace LAUNCHER X-SERVER-PID PEER]\n",
                 argv[0]);
    return 2;
}
