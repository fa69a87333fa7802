// The program lets the monitor sleep: while the scene plays, the X server's own screen saver (on
// Xorg, the timer that also powers the monitor off) comes on at its time and stays on, on both
// runtimes, standalone, in a host's window and in every copy on a second monitor; on a session
// bus it asks no desktop to hold the screen awake; and a killed program leaves the server's
// settings as they were.
#include "host_window.h"
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <string>
#include <vector>

namespace {

struct PowerRun {
    const char* name;
    SdlRuntime runtime;
    bool hosted;
    bool twoMonitors;
    bool sessionBus;
};

// The slowest to show its scene first, so that the others come up while it does.
const PowerRun runs[] = {
    {"Sdl12CompatOnTwoMonitors", SdlRuntime::compat, false, true, true},
    {"Sdl12CompatStandalone", SdlRuntime::compat, false, false, false},
    {"Sdl12CompatInAHostWindow", SdlRuntime::compat, true, false, true},
    {"ClassicSdlStandalone", SdlRuntime::classic, false, false, false},
    {"ClassicSdlInAHostWindow", SdlRuntime::classic, true, false, true},
};

constexpr int saverSeconds = 3;
// The server wakes its saver on a one-second tick; classic SDL, when it holds the display, puts
// it back to sleep every 5 s, so the watch outlasts one such reset wherever the timer stands.
constexpr int onWithinMs = 7000;
constexpr int watchMs = 10000;

// One run on an X server of its own, so that each server's saver answers for one program.
struct Playing {
    const PowerRun& run;
    std::unique_ptr<XServer> x;
    std::unique_ptr<HostWindow> window;
    std::unique_ptr<ChildProcess> program;
    std::string busLog;
    std::string settingsBefore;
    int onAtMs = -1;
    int offAgainAtMs = -1;

    Playing(const PowerRun& r, const ScratchFolder& scratch) : run(r) {
        x = run.twoMonitors
                ? std::make_unique<XServer>(XServer::twoMonitors)
                : std::make_unique<XServer>(std::vector<XServer::Monitor>{{0, 0, 800, 600}});
        if (!x->ready())
            return;
        // As the launcher runs it on a software rasteriser, this machine's OpenGL.
        std::vector<std::string> env = {x->displayVariable(),
                                        programOn(run.runtime),
                                        "SDL_VIDEODRIVER=x11",
                                        "SDL_RENDER_DRIVER=software",
                                        "SDL_FRAMEBUFFER_ACCELERATION=0",
                                        "SDL12COMPAT_SYNC_TO_VBLANK=0"};
        if (run.hosted) {
            window = std::make_unique<HostWindow>(x->displayVariable().substr(8), 0, 0, 800, 600);
            env.push_back("SDL_WINDOWID=" + window->id());
        }
        std::vector<std::string> command = {PROGRAM_PATH};
        if (run.sessionBus) {
            busLog = scratch.path() + "/" + run.name + ".bus";
            command.insert(command.begin(),
                           {"/usr/bin/dbus-run-session", "--", "/bin/sh", "-c",
                            "dbus-monitor --session >\"$0\" 2>&1 & sleep 0.5; exec \"$@\"",
                            busLog});
        }
        program = std::make_unique<ChildProcess>(
            command[0], std::vector<std::string>(command.begin() + 1, command.end()), env,
            PICTURES_DIR);
    }
};

TEST(PowerTest, TheServersSaverComesOnAndStaysOnWhileTheScenePlays) {
    const ScratchFolder scratch("power");
    std::vector<std::unique_ptr<Playing>> playing;
    for (const PowerRun& run : runs) {
        playing.push_back(std::make_unique<Playing>(run, scratch));
        ASSERT_TRUE(playing.back()->x->ready()) << run.name << ": Xvnc did not start";
    }
    for (auto& p : playing)
        ASSERT_TRUE(sceneShown(*p->x)) << p->run.name << ": " << p->program->errorOutput();
    for (auto& p : playing) {
        p->x->setScreenSaver(saverSeconds);
        p->settingsBefore = p->x->screenSaverSettings();
    }

    for (int ms = 0; ms <= watchMs; ms += 250) {
        for (auto& p : playing) {
            const bool on = p->x->screenSaverOn();
            if (on && p->onAtMs < 0)
                p->onAtMs = ms;
            if (!on && p->onAtMs >= 0 && p->offAgainAtMs < 0)
                p->offAgainAtMs = ms;
        }
        sleepMs(250);
    }

    for (auto& p : playing) {
        SCOPED_TRACE(p->run.name);
        const std::vector<pid_t> processes = processesOn(*p->x, PROGRAM_PATH);
        EXPECT_EQ(processes.size(), p->x->monitors().size()) << "the scene stopped playing\n"
                                                             << p->program->errorOutput();
        EXPECT_GE(p->onAtMs, 0) << "the saver never came on";
        EXPECT_LE(p->onAtMs, onWithinMs);
        EXPECT_EQ(p->offAgainAtMs, -1) << "the saver came on, then something woke the display";

        for (pid_t pid : processes)
            kill(pid, SIGKILL);
        EXPECT_TRUE(p->program->waitFor(3000, nullptr));
        EXPECT_EQ(p->x->screenSaverSettings(), p->settingsBefore);
        if (p->run.sessionBus) {
            const std::string bus = readFile(p->busLog);
            EXPECT_NE(bus.find("member=NameAcquired"), std::string::npos) << "no bus was watched";
            EXPECT_EQ(bus.find("member=Inhibit"), std::string::npos);
            EXPECT_EQ(bus.find("member=SimulateUserActivity"), std::string::npos);
        }
    }
}

} // namespace
