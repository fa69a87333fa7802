// The installed launcher as users and screen-saver hosts run it, on classic SDL and on
// sdl12-compat: the scene in whatever it is shown in, as each SDL can draw it, and the program
// gone promptly when the host is done with it, whatever state SDL is in.
#include "host_window.h"
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string displayName(const XServer& x) {
    return x.displayVariable().substr(8);
}

long long nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The share of the window that the scene drawn at `place` covers.
double expectedShare(const ScenePlace& place, int x, int y, int width, int height) {
    const int right = std::min(x + width, place.left + static_cast<int>(800 * place.scale));
    const int bottom = std::min(y + height, place.top + static_cast<int>(600 * place.scale));
    return static_cast<double>(right - std::max(x, place.left)) *
           (bottom - std::max(y, place.top)) / (static_cast<double>(width) * height);
}

class RuntimeTest : public testing::TestWithParam<SdlRuntime> {
  protected:
    InstalledTree tree;

    void SetUp() override {
        ASSERT_TRUE(tree.installed()) << tree.log();
        ASSERT_EQ(access(SDL12_COMPAT_DIR "/libSDL-1.2.so.0", F_OK), 0)
            << "sdl12-compat is not installed in " SDL12_COMPAT_DIR;
    }
    SdlRuntime runtime() const { return GetParam(); }
    std::string shotName(const std::string& name) const {
        return name + "-" + runtimeName(runtime());
    }

    // Waits for the backdrop to show in the window (or screen) of width x height at (x, y),
    // placed and scaled as this runtime draws it, and says how much of the window it fills.
    void expectScene(XServer& x, int left, int top, int width, int height, const std::string& name,
                     const std::string& errors) {
        const Backdrop backdrop(tree.pictures() + "/001.gif");
        ASSERT_TRUE(backdrop.loaded());
        const ScenePlace place = sceneIn(runtime(), left, top, width, height);
        // The part of the scene inside the window, in the scene's own pixels, by quarters.
        const int x0 = std::max(0, static_cast<int>((left - place.left) / place.scale));
        const int y0 = std::max(0, static_cast<int>((top - place.top) / place.scale));
        const int x1 = std::min(800, static_cast<int>((left + width - place.left) / place.scale));
        const int y1 = std::min(600, static_cast<int>((top + height - place.top) / place.scale));
        XServer::Screenshot shot;
        double worst = 0;
        for (int waited = 0; waited < 10000 && worst <= 0.8; waited += 100) {
            if (waited > 0)
                sleepMs(100);
            shot = x.screenshot();
            worst = 1.0;
            for (int qy = 0; qy < 2; ++qy)
                for (int qx = 0; qx < 2; ++qx)
                    worst = std::min(
                        worst,
                        backdrop.shareShown(shot, place.left, place.top, x0 + qx * (x1 - x0) / 2,
                                            y0 + qy * (y1 - y0) / 2, x0 + (qx + 1) * (x1 - x0) / 2,
                                            y0 + (qy + 1) * (y1 - y0) / 2, place.scale));
        }
        keepScreenshot(shot, shotName(name));
        EXPECT_GT(worst, 0.8) << "the scene is not where " << runtimeName(runtime())
                              << " draws it in the " << width << "x" << height << " " << name
                              << "\n"
                              << errors;
        const double share = filledShare(shot, left, top, width, height);
        EXPECT_NEAR(share, expectedShare(place, left, top, width, height), 0.01) << name;
        const double sceneShown = (x1 - x0) * (y1 - y0) / (800.0 * 600.0);
        RecordProperty(name + "-filled-percent", static_cast<int>(share * 100 + 0.5));
        RecordProperty(name + "-scene-shown-percent", static_cast<int>(sceneShown * 100 + 0.5));
        std::printf("[ filled   ] %s %dx%d on %s: %.1f%% of it filled, %.0f%% of the scene shown\n",
                    name.c_str(), width, height, runtimeName(runtime()).c_str(), share * 100,
                    sceneShown * 100);
    }
};

// A host's window for the scene, and the preview window of a host's settings.
struct HostWindowSize {
    const char* name;
    int width, height;
};

const HostWindowSize hostWindows[] = {
    {"host-window", 800, 600},
    {"preview-window", 400, 300},
};

using LauncherTest = RuntimeTest;

TEST_P(LauncherTest, ShowsTheSceneInAHostsWindowAndEndsWithinASecondOfSigterm) {
    XServer x(1024, 768);
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    for (const HostWindowSize& size : hostWindows) {
        SCOPED_TRACE(size.name);
        // Off the screen's corner and centre, where a full screen of its own would not land.
        HostWindow window(displayName(x), 100, 80, size.width, size.height);
        ASSERT_TRUE(window.made());
        ChildProcess launcher(tree.launcher(), {"-root"},
                              {x.displayVariable(), launcherChoosing(runtime()),
                               "XSCREENSAVER_WINDOW=" + window.id()},
                              "/");
        expectScene(x, 100, 80, size.width, size.height, size.name, launcher.errorOutput());
        const pid_t program = findProcess(tree.program(), 2000);
        ASSERT_GT(program, 0);
        EXPECT_EQ(runtimeName(runtimeOf(program)), runtimeName(runtime()));
        EXPECT_EQ(environmentOf(program, "SDL_WINDOWID"), window.id());
        // Neither runtime keeps the pace of Xvfb's display here: the program does.
        expectDisplaysPace(x, std::stoul(window.id(), nullptr, 16),
                           std::string(size.name) + " on " + runtimeName(runtime()));

        launcher.signal(SIGTERM);
        int status = -2;
        ASSERT_TRUE(launcher.waitFor(1000, &status)) << "SIGTERM did not end it within a second";
        EXPECT_EQ(status, 0) << launcher.errorOutput();
    }
}

// Holds the X server still, as if SDL hung on it, and lets it go however the test ends.
class FrozenServer {
  public:
    explicit FrozenServer(const XServer& x) {
        // Xvfb writes its process id into the lock file of its display.
        pid = std::atoi(readFile("/tmp/.X" + displayName(x).substr(1) + "-lock").c_str());
        if (pid > 0)
            kill(pid, SIGSTOP);
    }
    ~FrozenServer() {
        if (pid > 0)
            kill(pid, SIGCONT);
    }
    bool frozen() const { return pid > 0; }

  private:
    pid_t pid = -1;
};

TEST_P(LauncherTest, InAHostsWindowItIsGonePromptlyWhateverStateSdlIsIn) {
    XServer x(1024, 768);
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    // One program for each way a host can be done with it.
    struct Run {
        const char* name;
        int left, top;
        std::unique_ptr<HostWindow> window;
        std::unique_ptr<ChildProcess> launcher;
    };
    Run runs[] = {{"window-taken-away", 0, 0, nullptr, nullptr},
                  {"sigterm-to-a-hung-sdl", 400, 0, nullptr, nullptr},
                  {"left-hung", 0, 300, nullptr, nullptr}};
    for (Run& r : runs) {
        r.window = std::make_unique<HostWindow>(displayName(x), r.left, r.top, 400, 300);
        ASSERT_TRUE(r.window->made());
        r.launcher = std::make_unique<ChildProcess>(
            tree.launcher(), std::vector<std::string>{"-root"},
            std::vector<std::string>{x.displayVariable(), launcherChoosing(runtime()),
                                     "XSCREENSAVER_WINDOW=" + r.window->id()},
            "/");
    }
    for (Run& r : runs)
        expectScene(x, r.left, r.top, 400, 300, r.name, r.launcher->errorOutput());

    // Classic SDL dies of the X error; sdl12-compat may hang in its X error handler instead,
    // and then ends when no frame has come round for 5 seconds.
    Run& taken = runs[0];
    taken.window->destroy();
    EXPECT_TRUE(taken.launcher->waitFor(7000, nullptr)) << "it outlived its window";

    // With the X server held still, every X call the program makes waits for ever.
    const FrozenServer frozen(x);
    ASSERT_TRUE(frozen.frozen());
    sleepMs(200);
    Run& terminated = runs[1];
    terminated.launcher->signal(SIGTERM);
    int status = -2;
    EXPECT_TRUE(terminated.launcher->waitFor(1000, &status))
        << "SIGTERM did not end it within a second\n"
        << terminated.launcher->errorOutput();
    EXPECT_EQ(status, 0) << terminated.launcher->errorOutput();

    Run& hung = runs[2];
    status = -2;
    EXPECT_TRUE(hung.launcher->waitFor(7000, &status)) << "a hung program stays";
    EXPECT_EQ(status, 1) << hung.launcher->errorOutput();
    EXPECT_NE(hung.launcher->errorOutput().find("hangs"), std::string::npos)
        << hung.launcher->errorOutput();
}

INSTANTIATE_TEST_SUITE_P(Runtimes, LauncherTest,
                         testing::Values(SdlRuntime::classic, SdlRuntime::compat),
                         [](const testing::TestParamInfo<SdlRuntime>& info) {
                             return runtimeName(info.param);
                         });

class XScreenSaverTest : public RuntimeTest {
  protected:
    XServer x{1920, 1080};
    ScratchFolder home{"home"};

    void SetUp() override {
        RuntimeTest::SetUp();
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        ASSERT_EQ(access("/usr/bin/xscreensaver", X_OK), 0) << "xscreensaver is not installed";
        // The one line the README tells users to add, and settings that blank at once.
        std::ofstream(home.path() + "/.xscreensaver")
            << "mode: one\nselected: 0\ntimeout: 0:10:00\nlock: False\nfade: False\n"
               "unfade: False\nsplash: False\n"
               "programs: \"Basil Rain\" "
            << tree.launcher() << " -root \\n\n";
        if (const passwd* user = hostUser()) {
            for (const std::string& path : {home.path(), home.path() + "/.xscreensaver"})
                ASSERT_EQ(chown(path.c_str(), user->pw_uid, user->pw_gid), 0) << path;
        }
    }

    // Runs xscreensaver-command with `request`; true when the daemon took it.
    bool tell(const std::string& request) {
        std::string command =
            "DISPLAY=" + shellQuoted(displayName(x)) + " HOME=" + shellQuoted(home.path());
        for (const std::string& word : asHostUser({"/usr/bin/xscreensaver-command", request}))
            command += " " + shellQuoted(word);
        return runCommand(command).status == 0;
    }
};

// The daemon logs each SIGTERM it sends a hack as it sends it.
bool sentSigterm(const ChildProcess& daemon, pid_t program) {
    return daemon.errorOutput().find("killing pid " + std::to_string(program) + " ") !=
           std::string::npos;
}

TEST_P(XScreenSaverTest, ShowsTheSceneAndLeavesNothingBehindOverTenCycles) {
    const std::vector<std::string> daemonCommand =
        asHostUser({"/usr/bin/xscreensaver", "-no-splash", "-verbose"});
    ChildProcess daemon(daemonCommand[0], {daemonCommand.begin() + 1, daemonCommand.end()},
                        {x.displayVariable(), "HOME=" + home.path(), launcherChoosing(runtime())},
                        home.path());

    long long slowest = 0;
    for (int cycle = 0; cycle < 10; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle + 1));
        bool activated = false;
        for (int waited = 0; !activated && waited < 10000 && daemon.running(); waited += 100)
            if (!(activated = tell("-activate")))
                sleepMs(100);
        ASSERT_TRUE(activated) << "xscreensaver did not take -activate\n" << daemon.errorOutput();
        pid_t program = findProcess(tree.program(), 5000);
        ASSERT_GT(program, 0) << "xscreensaver did not start the launcher\n"
                              << daemon.errorOutput();

        if (cycle == 0) {
            expectScene(x, 0, 0, 1920, 1080, "xscreensaver", daemon.errorOutput());
            // On a busy machine the host may start its hack again while the first comes up: the
            // one looked at is the one that shows the scene.
            program = findProcess(tree.program(), 5000);
            EXPECT_EQ(runtimeName(runtimeOf(program)), runtimeName(runtime()));
            const std::string hostWindow = environmentOf(program, "XSCREENSAVER_WINDOW");
            EXPECT_NE(hostWindow, "");
            EXPECT_EQ(environmentOf(program, "SDL_WINDOWID"), hostWindow);
        } else {
            // Ended at every stage: loading its pictures, opening the window, playing.
            sleepMs(cycle * 60);
        }

        ASSERT_TRUE(tell("-deactivate"));
        long long sigtermAt = -1;
        const long long start = nowMs();
        for (; nowMs() - start < 5000 && !processEnded(program); sleepMs(10))
            if (sigtermAt < 0 && sentSigterm(daemon, program))
                sigtermAt = nowMs();
        ASSERT_TRUE(processEnded(program)) << "the program outlived the host's deactivation";
        if (sigtermAt >= 0) {
            EXPECT_LE(nowMs() - sigtermAt, 1000) << "SIGTERM did not end it within a second";
            slowest = std::max(slowest, nowMs() - sigtermAt);
        }
    }
    EXPECT_EQ(findProcess(tree.program(), 0), -1) << "a program was left behind";
    RecordProperty("slowest-end-after-sigterm-ms", static_cast<int>(slowest));
    std::printf("[ ended    ] 10 cycles on %s, at most %lld ms after the host's SIGTERM\n",
                runtimeName(runtime()).c_str(), slowest);

    daemon.signal(SIGTERM);
    EXPECT_TRUE(daemon.waitFor(5000, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Runtimes, XScreenSaverTest,
                         testing::Values(SdlRuntime::classic, SdlRuntime::compat),
                         [](const testing::TestParamInfo<SdlRuntime>& info) {
                             return runtimeName(info.param);
                         });

} // namespace
