// The pace the program settles at on a real X server, as hosts and users start it: the frames
// a second each window shows, counted by basilrain-window-load from the X server's damage
// reports, and the CPU the program and the server spend over the same seconds.
#include "pace.h"

#include "host_window.h"
#include "process.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int settleSeconds = 3; // start-up and the first frames stay out of the measurement
constexpr int measuredSeconds = 10;

// Where the scene is shown: a host's window of the screen's size, a settings dialog's preview,
// and the whole screen when started on its own.
struct Place {
    int width;
    int height;
    const char* what;
    bool hosted;
};
constexpr Place places[] = {{1920, 1080, "host window", true},
                            {400, 300, "preview", true},
                            {1920, 1080, "standalone", false}};

// How the launcher is asked for each runtime: an environment setting, or none for its own
// choice.
struct Asked {
    const char* runtime;
    const char* setting;
};
constexpr Asked asked[] = {
    {"classic", "BASILRAIN_SDL12_COMPAT_DIR=none"}, // its way back to the system's SDL
    {"sdl12-compat", nullptr},                      // what the launcher prefers
    // OpenGL, paced by sdl12-compat itself: what the launcher picks on a GPU, and what it
    // picked on a software rasteriser before the software renderer.
    {"sdl12-compat opengl", "SDL_RENDER_DRIVER=opengl"},
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

pid_t spawn(const std::vector<std::string>& arguments,
            const std::vector<std::string>& environment) {
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
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    return pid;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
}

std::vector<std::string> ownEnvironment() {
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        environment.push_back(*e);
    return environment;
}

struct Row {
    double program = -1.0; // percent of one core
    double server = -1.0;
    double framesPerSecond = -1.0;
    std::string sdl;
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

// The frames a second shown in `window` and the CPU of `pid` and the X server, over the
// measured seconds after start-up.
Row measure(pid_t pid, const std::string& window, pid_t xServer) {
    Row row;
    sleep(settleSeconds);
    const std::string counter =
        selfPath().substr(0, selfPath().rfind('/') + 1) + "basilrain-window-load";
    std::string output;
    if (!runCommand(shellQuoted(counter) + " " + window + " " + std::to_string(measuredSeconds) +
                        " " + std::to_string(pid) + " " + std::to_string(xServer),
                    &output) ||
        std::sscanf(output.c_str(), "%lf %lf %lf", &row.framesPerSecond, &row.program,
                    &row.server) != 3)
        row.why = "the frames could not be counted: " + output;
    else if (row.program < 0)
        row.why = "it did not run for " + std::to_string(settleSeconds + measuredSeconds) + " s";
    return row;
}

Row paceOf(const Asked& a, const std::string& launcher, const std::string& window, bool hosted,
           pid_t xServer) {
    std::vector<std::string> environment = ownEnvironment();
    if (hosted)
        environment.push_back("XSCREENSAVER_WINDOW=" + window);
    if (a.setting)
        environment.push_back(a.setting);
    // The program as hosts and users start it; the launcher hands its process over to it.
    const pid_t program = spawn({launcher}, environment);
    Row row = measure(program, window, xServer);
    row.sdl = mappedSdl(program);
    row.launcherSet = addedTo(environment, environmentOf(program));
    stop(program);
    return row;
}

// The peer hack in the same window, as xscreensaver hands it one, or on the whole screen.
Row peerOf(const std::string& peer, const std::string& window, bool hosted, pid_t xServer) {
    if (access(peer.c_str(), X_OK) != 0) {
        Row row;
        row.why = peer + " is not installed";
        return row;
    }
    const pid_t hack = spawn(hosted ? std::vector<std::string>{peer, "-window-id", window}
                                    : std::vector<std::string>{peer, "-root"},
                             ownEnvironment());
    Row row = measure(hack, window, xServer);
    stop(hack);
    return row;
}

std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, share < 0 ? "?" : "%.1f%%", share);
    return text;
}

void printRow(const std::string& name, const Row& row) {
    if (!row.why.empty()) {
        std::printf("  %-20s %s\n", name.c_str(), row.why.c_str());
        std::fflush(stdout);
        return;
    }
    char frames[32] = "?";
    char perFrame[32] = "?";
    if (row.framesPerSecond > 0) {
        std::snprintf(frames, sizeof frames, "%.1f", row.framesPerSecond);
        std::snprintf(perFrame, sizeof perFrame, "%.2f",
                      10.0 * (row.program + row.server) / row.framesPerSecond);
    }
    std::printf("  %-20s %8s %9s %8s %9s %11s\n", name.c_str(), percent(row.program).c_str(),
                percent(row.server).c_str(), percent(row.program + row.server).c_str(), frames,
                perFrame);
    std::fflush(stdout);
}

// The root window, whose damage reports take in every window drawn on the screen.
std::string rootWindow(const std::string& display) {
    Display* connection = XOpenDisplay(display.c_str());
    if (!connection)
        return "";
    const std::string root = std::to_string(DefaultRootWindow(connection));
    XCloseDisplay(connection);
    return root;
}

// A host's window of the place's size, made as hosts make them; none for a standalone run.
std::unique_ptr<HostWindow> windowFor(const Place& place, const std::string& display) {
    if (!place.hosted)
        return nullptr;
    return std::make_unique<HostWindow>(display, 0, 0, place.width, place.height);
}

} // namespace

int runPace(const std::string& launcher, pid_t xServer, const std::string& peer) {
    const char* variable = std::getenv("DISPLAY");
    const std::string display = variable ? variable : "";
    std::printf("pace on %s, %d s each after %d s of start-up\n\n", display.c_str(),
                measuredSeconds, settleSeconds);
    std::printf("  %-20s %8s %9s %8s %9s %11s\n", "", "program", "X server", "total", "frames/s",
                "ms a frame");
    const std::string peerName = peer.substr(peer.rfind('/') + 1);
    bool measured = true;
    std::string notes;
    for (const Place& place : places) {
        std::printf("%dx%d %s\n", place.width, place.height, place.what);
        std::fflush(stdout);
        std::vector<std::string> loaded;
        for (const Asked& a : asked) {
            const std::unique_ptr<HostWindow> window = windowFor(place, display);
            const std::string drawn = window ? window->id() : rootWindow(display);
            const Row row = paceOf(a, launcher, drawn, place.hosted, xServer);
            loaded.push_back(row.sdl);
            printRow(a.runtime, row);
            measured = row.why.empty() && measured;
            notes += std::to_string(place.width) + "x" + std::to_string(place.height) + " " +
                     place.what + ", " + a.runtime + ": the program loaded " + row.sdl +
                     "\n  the launcher set " + row.launcherSet + "\n";
        }
        if (loaded[0] == loaded[1])
            notes += "  (classic and sdl12-compat loaded the same library: this launcher cannot be "
                     "asked for classic SDL)\n";
        const std::unique_ptr<HostWindow> window = windowFor(place, display);
        const Row peerRow =
            peerOf(peer, window ? window->id() : rootWindow(display), place.hosted, xServer);
        printRow(peerName + (place.hosted ? " (peer)" : " -root"), peerRow);
        measured = peerRow.why.empty() && measured;
    }
    std::printf("\nprogram, X server: CPU time (utime+stime) over the same %d s, as a share of one "
                "core\nframes/s: the X server's damage reports on the window (standalone: on the "
                "root, which\n  takes in every window on it); ms a frame: the program's and the "
                "server's CPU a frame\n%s",
                measuredSeconds, notes.c_str());
    return measured ? 0 : 1;
}
