#include "pace.h"

#include "host_window.h"
#include "process.h"
#include "runtimes.h"
#include "timer.h"

#include "cast.h"
#include "scene.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int settleSeconds = 3; // start-up and the first frames stay out of the measurement
constexpr int measuredSeconds = 10;

// The windows hosts hand a hack: the whole screen, and a settings dialog's preview.
struct Size {
    int width;
    int height;
    const char* what;
};
constexpr Size sizes[] = {{1920, 1080, "host window"}, {400, 300, "preview"}};

// How the launcher is asked for each runtime: an environment setting, or none for its own
// choice.
struct Asked {
    const char* runtime;
    const char* setting;
};
constexpr Asked asked[] = {
    {"classic", "BASILRAIN_SDL12_COMPAT_DIR=none"}, // its way back to the system's SDL
    {"sdl12-compat", nullptr},                      // what the launcher prefers
    // Smoothing, as the launcher leaves it on a GPU: what its choice saves on a software one.
    {"sdl12-compat linear", "SDL12COMPAT_SCALE_METHOD=linear"},
};

// The SDL 1.2 library a running process has mapped.
std::string mappedSdl(pid_t pid) {
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    for (std::string line; std::getline(maps, line);) {
        const size_t at = line.find('/');
        if (at != std::string::npos && line.find("libSDL-1.2.so", at) != std::string::npos)
            return line.substr(at);
    }
    return "";
}

std::vector<std::string> environmentOf(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/environ");
    std::vector<std::string> entries;
    for (std::string entry; std::getline(in, entry, '\0');)
        entries.push_back(entry);
    return entries;
}

std::string folderOf(pid_t pid) {
    char path[4096];
    const ssize_t n =
        readlink(("/proc/" + std::to_string(pid) + "/cwd").c_str(), path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

pid_t spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            const std::string& folder, int output) {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& e : environment)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        if (!folder.empty() && chdir(folder.c_str()) != 0)
            _exit(127);
        if (output >= 0)
            dup2(output, STDOUT_FILENO);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

struct Share {
    double process = -1.0; // percent of one core
    double server = -1.0;
};

// The CPU shares of a process and the X server over the same measured seconds, after settling.
Share measureShares(pid_t pid, pid_t xServer) {
    sleep(settleSeconds);
    const double start = nowUs();
    const long process0 = cpuTicks(pid);
    const long server0 = cpuTicks(xServer);
    sleep(measuredSeconds);
    const long process1 = cpuTicks(pid);
    const long server1 = cpuTicks(xServer);
    const double ticks = (nowUs() - start) / 1e6 * static_cast<double>(sysconf(_SC_CLK_TCK));
    Share s;
    if (process0 >= 0 && process1 >= 0)
        s.process = 100.0 * static_cast<double>(process1 - process0) / ticks;
    if (server0 >= 0 && server1 >= 0)
        s.server = 100.0 * static_cast<double>(server1 - server0) / ticks;
    return s;
}

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, share < 0 ? "?" : "%.1f%%", share);
    return text;
}

std::vector<std::string> ownEnvironment() {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        environment.push_back(*e);
    return environment;
}

struct Row {
    std::string sdl;
    Share program;
    Share counted;
    double framesPerSecond = -1.0;
    std::string launcherSet; // what the launcher added to the environment it was given
    std::string why;
};

// The settings the launcher added to the environment it was `given`, less the window and the
// shell's own folder variables.
std::string addedTo(const std::vector<std::string>& given, const std::vector<std::string>& now) {
    std::string added;
    for (const std::string& entry : now) {
        const std::string name = entry.substr(0, entry.find('='));
        if (name != "SDL_WINDOWID" && name != "PWD" && name != "OLDPWD" &&
            std::find(given.begin(), given.end(), entry) == given.end())
            added += (added.empty() ? "" : " ") + entry;
    }
    return added;
}

Row paceOf(const Asked& a, const std::string& launcher, const HostWindow& window, pid_t xServer) {
    Row row;
    if (!window.made()) {
        row.why = "no host window could be made";
        return row;
    }
    std::vector<std::string> environment = ownEnvironment();
    environment.push_back("XSCREENSAVER_WINDOW=" + window.id());
    if (a.setting)
        environment.push_back(a.setting);

    // The program as hosts start it; the launcher hands its process over to the program.
    const pid_t program = spawn({launcher}, environment, "", -1);
    row.program = measureShares(program, xServer);
    row.sdl = mappedSdl(program);
    const std::vector<std::string> programsEnvironment = environmentOf(program);
    const std::string programsFolder = folderOf(program);
    stop(program);
    if (row.sdl.empty() || programsFolder.empty()) {
        row.why = "the launcher's program did not run for " +
                  std::to_string(settleSeconds + measuredSeconds) + " s";
        return row;
    }
    row.launcherSet = addedTo(environment, programsEnvironment);

    // Its twin counts the frames: the same scene, environment, folder and window, in this
    // benchmark.
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return row;
    const pid_t twin =
        spawn({selfPath(), "pace-child"}, programsEnvironment, programsFolder, pipeEnds[1]);
    close(pipeEnds[1]);
    row.counted = measureShares(twin, xServer);
    kill(twin, SIGUSR1);
    std::string output;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        output.append(buffer, static_cast<size_t>(n));
    close(pipeEnds[0]);
    waitpid(twin, nullptr, 0);
    double frames = 0.0;
    double seconds = 0.0;
    char counted[4096] = "";
    if (std::sscanf(output.c_str(), "%lf %lf %4095s", &frames, &seconds, counted) != 3 ||
        seconds <= 0.0) {
        row.why = "the frame count failed";
        return row;
    }
    char* resolved = realpath(counted, nullptr);
    if (!resolved || row.sdl != resolved)
        row.why = std::string("the frames were counted on ") + counted + ", not on " + row.sdl;
    free(resolved);
    row.framesPerSecond = frames / seconds;
    return row;
}

// The peer hack in the same kind of window, as xscreensaver hands it one.
Row peerOf(const std::string& peer, const HostWindow& window, pid_t xServer) {
    Row row;
    if (access(peer.c_str(), X_OK) != 0 || !window.made()) {
        row.why = window.made() ? peer + " is not installed" : "no host window could be made";
        return row;
    }
    const pid_t hack = spawn({peer, "-window-id", window.id()}, ownEnvironment(), "", -1);
    row.program = measureShares(hack, xServer);
    stop(hack);
    if (row.program.process < 0)
        row.why =
            "the peer did not run for " + std::to_string(settleSeconds + measuredSeconds) + " s";
    return row;
}

void printRow(const std::string& name, const Row& row) {
    if (!row.why.empty()) {
        std::printf("  %-20s %s\n", name.c_str(), row.why.c_str());
        std::fflush(stdout);
        return;
    }
    const bool both = row.program.process >= 0 && row.program.server >= 0;
    char frames[32] = "-";
    if (row.framesPerSecond >= 0)
        std::snprintf(frames, sizeof frames, "%.1f", row.framesPerSecond);
    std::printf("  %-20s %8s %9s %8s %9s\n", name.c_str(), percent(row.program.process).c_str(),
                percent(row.program.server).c_str(),
                percent(both ? row.program.process + row.program.server : -1).c_str(), frames);
    std::fflush(stdout);
}

// The program's and the server's CPU for each frame, from one measurement: what a setting costs
// even when a busy machine keeps the scene below the display's pace.
std::string perFrame(const Share& share, double framesPerSecond) {
    if (share.process < 0 || share.server < 0 || framesPerSecond <= 0)
        return "? ms a frame";
    char text[48];
    std::snprintf(text, sizeof text, "%.2f ms of CPU a frame",
                  10.0 * (share.process + share.server) / framesPerSecond);
    return text;
}

volatile sig_atomic_t enough = 0;

} // namespace

int runPace(const std::string& launcher, pid_t xServer, const std::string& peer) {
    const char* variable = std::getenv("DISPLAY");
    const std::string display = variable ? variable : "";
    std::printf("pace in a host's window on %s, %d s each after %d s of start-up\n\n",
                display.c_str(), measuredSeconds, settleSeconds);
    std::printf("  %-20s %8s %9s %8s %9s\n", "", "program", "X server", "total", "frames/s");
    const std::string peerName = peer.substr(peer.rfind('/') + 1) + " (peer)";
    bool measured = true;
    std::string notes;
    for (const Size& size : sizes) {
        std::printf("%dx%d %s\n", size.width, size.height, size.what);
        std::fflush(stdout);
        std::vector<std::string> loaded;
        for (const Asked& a : asked) {
            const HostWindow window(display, 0, 0, size.width, size.height);
            const Row row = paceOf(a, launcher, window, xServer);
            loaded.push_back(row.sdl);
            printRow(a.runtime, row);
            measured = row.why.empty() && measured;
            notes += std::to_string(size.width) + "x" + std::to_string(size.height) + " " +
                     a.runtime + ": the program loaded " + row.sdl + "\n  the launcher set " +
                     row.launcherSet + "\n  the twin's CPU " + percent(row.counted.process) +
                     ", X server " + percent(row.counted.server) + ": " +
                     perFrame(row.counted, row.framesPerSecond) + "\n";
        }
        if (loaded[0] == loaded[1])
            notes += "  (classic and sdl12-compat loaded the same library: this launcher cannot be "
                     "asked for classic SDL)\n";
        const HostWindow window(display, 0, 0, size.width, size.height);
        const Row peerRow = peerOf(peer, window, xServer);
        printRow(peerName, peerRow);
        measured = peerRow.why.empty() && measured;
    }
    std::printf("\nprogram, X server: CPU time (utime+stime) over the same %d s, as a share of one "
                "core\nframes/s: this benchmark runs the same scene with the program's "
                "environment, folder and\n  window, read from /proc while it ran, and counts its "
                "flips over %d s more\n%s",
                measuredSeconds, measuredSeconds, notes.c_str());
    return measured ? 0 : 1;
}

int runPaceChild() {
    // Counting stops when the parent has finished measuring.
    signal(SIGUSR1, [](int) { enough = 1; });
    if (!openScreen())
        return 1;
    setUpCast();
    dest.init(screen);
    SDL_ShowCursor(SDL_DISABLE);

    const double settled = nowUs() + settleSeconds * 1e6;
    while (nowUs() < settled)
        runFrame();
    long frames = 0;
    const double start = nowUs();
    while (!enough) {
        runFrame();
        ++frames;
    }
    std::printf("%ld %.3f %s\n", frames, (nowUs() - start) / 1e6, loadedSdlFile().c_str());
    return 0;
}
