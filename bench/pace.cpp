#include "pace.h"

#include "process.h"
#include "runtimes.h"
#include "timer.h"

#include "cast.h"
#include "scene.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int settleSeconds = 2; // start-up and the first frames stay out of the measurement
constexpr int measuredSeconds = 10;

// How the launcher is asked for each runtime: an environment setting, or none for its own
// choice.
struct Asked {
    const char* runtime;
    const char* setting;
};
constexpr Asked asked[] = {
    {"classic", "BASILRAIN_SDL12_COMPAT_DIR=none"}, // its way back to the system's SDL
    {"sdl12-compat", nullptr},                      // what the launcher prefers
};

// CPU time, user and system, of a process in clock ticks; -1 once it is gone.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    // The name in parentheses may hold blanks; the fields after it are plain numbers.
    const size_t end = stat.rfind(')');
    if (end == std::string::npos)
        return -1;
    std::istringstream fields(stat.substr(end + 2));
    std::string skipped;
    for (int field = 3; field <= 13; ++field)
        fields >> skipped;
    long user = 0;
    long system = 0;
    return fields >> user >> system ? user + system : -1;
}

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

// The CPU shares of a process and the X server over the measured seconds, after settling.
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

struct Row {
    std::string sdl;
    Share program;
    Share counted;
    double framesPerSecond = -1.0;
    std::string why;
};

Row paceOf(const Asked& a, const std::string& launcher, pid_t xServer) {
    Row row;
    std::vector<std::string> environment;
    for (char** e = environ; *e; ++e)
        environment.push_back(*e);
    if (a.setting)
        environment.push_back(a.setting);

    // The program as users start it; the launcher hands its process over to the program.
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

    // Its twin counts the frames: the same scene, environment and folder, in this benchmark.
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

volatile sig_atomic_t enough = 0;

} // namespace

int runPace(const std::string& launcher, pid_t xServer) {
    std::vector<Row> rows;
    for (const Asked& a : asked)
        rows.push_back(paceOf(a, launcher, xServer));

    std::printf("pace under the launcher, %d s each after %d s of start-up\n\n", measuredSeconds,
                settleSeconds);
    std::printf("%-14s %8s %9s %9s\n", "", "program", "X server", "frames/s");
    bool measured = true;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        if (!row.why.empty()) {
            std::printf("%-14s %s\n", asked[i].runtime, row.why.c_str());
            measured = false;
            continue;
        }
        std::printf("%-14s %8s %9s %9.1f\n", asked[i].runtime, percent(row.program.process).c_str(),
                    percent(row.program.server).c_str(), row.framesPerSecond);
    }
    std::printf("\n");
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%s: the program loaded %s\n", asked[i].runtime, rows[i].sdl.c_str());
    if (rows.size() == 2 && rows[0].sdl == rows[1].sdl)
        std::printf(
            "  (the same library both times: this launcher cannot be asked for classic SDL)\n");
    std::printf("program, X server: CPU time (utime+stime) over the %d s, as a share of one core\n"
                "frames/s: this benchmark runs the same scene with the program's environment and\n"
                "  folder, read from /proc while it ran, and counts its flips over %d s more; its\n"
                "  CPU meanwhile was",
                measuredSeconds, measuredSeconds);
    for (size_t i = 0; i < rows.size(); ++i)
        std::printf("%s %s (X server %s)", i ? "," : "", percent(rows[i].counted.process).c_str(),
                    percent(rows[i].counted.server).c_str());
    std::printf("\n");
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
