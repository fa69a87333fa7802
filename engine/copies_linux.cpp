// One copy of the scene on every further monitor: each copy is this program again, started with
// its monitor in the environment, and lives no longer than the first process.
#include "layout_x11.h"
#include "monitors_x11.h"
#include "platform.h"
#include "scene.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

// The variable that marks a copy, and those that put SDL's full-screen window on a display:
// sdl12-compat reads the first, the classic SDL 1.2 the second (a Xinerama head).
const char* const copyVariables[] = {"BASILRAIN_MONITOR", "SDL_VIDEO_FULLSCREEN_DISPLAY",
                                     "SDL_VIDEO_FULLSCREEN_HEAD"};

// A slot for each copy, used again once its copy has ended. The slots never move, and change
// only while SIGCHLD is held back, so that the handler never sees one half changed.
struct Copy {
    pid_t pid = 0;        // 0 once ended and reaped
    bool leaving = false; // its monitor went: its end is no request of the viewer's
    MonitorArea monitor;
    int index = 0; // its monitor's place in the list of monitors
};
std::array<Copy, 15> copies;

// The first process plays on the first monitor; monitors are matched as findMonitor() does.
MonitorArea firstMonitor;
bool isFirst = false;
bool following = false;
std::string program;
char** arguments = nullptr;

// A copy that ended with status 0 did so at the viewer's request, which ends every copy: this
// process takes it as SDL takes SIGTERM, as a quit request. A copy that failed leaves its
// monitor alone and the rest play on.
extern "C" void onCopyEnded(int) {
    const int savedErrno = errno;
    for (Copy& copy : copies) {
        int status = 0;
        if (copy.pid > 0 && waitpid(copy.pid, &status, WNOHANG) == copy.pid) {
            copy.pid = 0;
            if (WIFEXITED(status) && WEXITSTATUS(status) == 0 && !copy.leaving)
                kill(getpid(), SIGTERM);
        }
    }
    errno = savedErrno;
}

class ChildSignalHeld {
  public:
    ChildSignalHeld() {
        sigset_t childSignal;
        sigemptyset(&childSignal);
        sigaddset(&childSignal, SIGCHLD);
        sigprocmask(SIG_BLOCK, &childSignal, &before);
    }
    ~ChildSignalHeld() { sigprocmask(SIG_SETMASK, &before, nullptr); }
    ChildSignalHeld(const ChildSignalHeld&) = delete;
    ChildSignalHeld& operator=(const ChildSignalHeld&) = delete;

  private:
    sigset_t before;
};

// This process's environment with the monitor `index` in place of any the user had set.
std::vector<std::string> environmentFor(int index) {
    std::vector<std::string> variables;
    for (char** entry = environ; *entry; ++entry) {
        bool ours = false;
        for (const char* name : copyVariables)
            ours |= std::strncmp(*entry, name, std::strlen(name)) == 0 &&
                    (*entry)[std::strlen(name)] == '=';
        if (!ours)
            variables.emplace_back(*entry);
    }
    for (const char* name : copyVariables)
        variables.push_back(std::string(name) + "=" + std::to_string(index));
    return variables;
}

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (std::string& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Everything the child needs is made before the fork: SDL's renderer may have started threads,
// and after a fork only async-signal-safe calls are sound until the exec.
pid_t startCopy(int index) {
    std::vector<std::string> variables = environmentFor(index);
    const std::vector<char*> envp = pointersTo(variables);
    const pid_t first = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // SIGTERM is a quit request to SDL, so a copy whose first process dies ends as on Escape.
        if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != first)
            _exit(0);
        execve(program.c_str(), arguments, envp.data());
        _exit(127);
    }
    if (pid < 0)
        std::fprintf(stderr, "basilrain: cannot start the scene on monitor %d: %s\n", index + 1,
                     std::strerror(errno));
    return pid;
}

// Ends the copies whose monitor has gone and starts one on each monitor that has none.
void playOn(const std::vector<MonitorArea>& monitors) {
    const ChildSignalHeld held;
    for (Copy& copy : copies) {
        if (copy.pid <= 0 || copy.leaving)
            continue;
        copy.index = findMonitor(monitors, copy.monitor, copy.index);
        if (copy.index >= 0) {
            copy.monitor = monitors[static_cast<size_t>(copy.index)];
        } else {
            copy.leaving = true;
            kill(copy.pid, SIGTERM);
        }
    }
    const int first = findMonitor(monitors, firstMonitor, 0);
    if (first >= 0)
        firstMonitor = monitors[static_cast<size_t>(first)];
    for (int index = 0; index < static_cast<int>(monitors.size()); ++index) {
        bool covered = index == first;
        for (const Copy& copy : copies)
            covered |= copy.pid > 0 && !copy.leaving && copy.index == index;
        if (covered)
            continue;
        Copy* slot = std::find_if(copies.begin(), copies.end(),
                                  [](const Copy& copy) { return copy.pid == 0; });
        if (slot == copies.end()) {
            std::fprintf(stderr, "basilrain: no scene on monitor %d: %zu monitors at most\n",
                         index + 1, copies.size() + 1);
            continue;
        }
        const pid_t pid = startCopy(index);
        if (pid > 0)
            *slot = {pid, false, monitors[static_cast<size_t>(index)], index};
    }
}

bool ended(pid_t copy) {
    int status = 0;
    return copy <= 0 || waitpid(copy, &status, WNOHANG) != 0;
}

// The first process's copies are asked to end as it ends, and taken down after a second.
void endCopies() {
    std::signal(SIGCHLD, SIG_DFL);
    for (const Copy& copy : copies)
        if (copy.pid > 0)
            kill(copy.pid, SIGTERM);
    const timespec pause = {0, 10 * 1000 * 1000};
    for (int waited = 0; waited < 100; ++waited) {
        bool all = true;
        for (Copy& copy : copies)
            if (ended(copy.pid))
                copy.pid = 0;
            else
                all = false;
        if (all)
            return;
        nanosleep(&pause, nullptr);
    }
    for (const Copy& copy : copies)
        if (copy.pid > 0) {
            kill(copy.pid, SIGKILL);
            waitpid(copy.pid, nullptr, 0);
        }
}

// Monitors are counted on X only; SDL elsewhere (a Wayland compositor, no screen at all) plays on
// one. The classic SDL 1.2 holds the pointer grabbed while full-screen, and a second full-screen
// copy would wait for the grab for good, a black window over its monitor; sdl12-compat grabs
// nothing.
bool copiesCanPlay() {
    char driver[16] = "";
    return SDL_VideoDriverName(driver, sizeof driver) && std::strcmp(driver, "x11") == 0 &&
           onSdl12Compat();
}

} // namespace

void playOnEveryMonitor(char* argv[]) {
    if (!copiesCanPlay())
        return;
    following = followLayout();
    isFirst = !isSet(copyVariables[0]);
    const std::vector<MonitorArea> monitors = currentMonitors();
    // Started under their own file's name, so that they show as this program in a process list.
    char path[4096] = "";
    if (!isFirst || monitors.empty() || readlink("/proc/self/exe", path, sizeof path - 1) <= 0) {
        isFirst = false;
        return;
    }
    program = path;
    arguments = argv;
    firstMonitor = monitors.front();
    struct sigaction action = {};
    action.sa_handler = onCopyEnded;
    action.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigemptyset(&action.sa_mask);
    sigaction(SIGCHLD, &action, nullptr);
    std::atexit(endCopies);
    playOn(monitors);
}

void followMonitors() {
    std::vector<MonitorArea> now;
    if (!following || !layoutChanged(&now))
        return;
    keepWindowOnItsMonitor(now);
    if (isFirst)
        playOn(now);
}
