// Screen-saver hosts as a new user meets them with the package installed: mate-screensaver and
// xsecurelock show the scene and end it when they deactivate, leaving no process behind, on
// sdl12-compat and on classic SDL, and xscreensaver finds the saver by its bare name in its hack
// folder. The hosts look in fixed folders under /usr, so each runs in a private mount namespace
// where the tree the package lays out is overlaid on /usr; nothing is written to the real /usr.
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string hackFolder = "/usr/libexec/xscreensaver";
// The one line the README gives xscreensaver's users, which xsecurelock reads too.
const std::string programsLine = "programs: \"Basil Rain\" basilrain --root \\n\n";

std::string displayName(const XServer& x) {
    return x.displayVariable().substr(8);
}

// Every live process for which `wanted` holds.
std::vector<pid_t> processesWhere(const std::function<bool(pid_t)>& wanted) {
    std::vector<pid_t> found;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = std::atoi(entry->d_name);
            if (pid > 0 && !processEnded(pid) && wanted(pid))
                found.push_back(pid);
        }
        closedir(proc);
    }
    return found;
}

bool waitUntil(int ms, const std::function<bool()>& done) {
    for (int waited = 0;; waited += 50) {
        if (done())
            return true;
        if (waited >= ms)
            return false;
        sleepMs(50);
    }
}

// The package's tree, laid out as the package lays it, and a host run over it.
class PackagedHostTest : public testing::Test {
  protected:
    XServer x;
    ScratchFolder root{"root"};
    ScratchFolder home{"home"};
    // Tags the host and what it starts, so that what outlives it can be found; hosts hand their
    // hacks a few variables only, among them the display, which is this test's own.
    const std::string markerValue = std::to_string(getpid()) + "-" +
                                    testing::UnitTest::GetInstance()->current_test_info()->name();
    const std::string marker = "BASILRAIN_HOST_RUN=" + markerValue;
    // On classic SDL the namespace also hides sdl12-compat, as on a machine without it: hosts
    // pass their hacks too few variables for the launcher to be told.
    bool classicSdl = false;

    std::vector<pid_t> marked() const {
        return processesWhere(
            [&](pid_t pid) { return environmentOf(pid, "BASILRAIN_HOST_RUN") == markerValue; });
    }

    void SetUp() override {
        ASSERT_EQ(geteuid(), 0u) << "a private mount over /usr needs root, as CI runs";
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        const CommandResult installed = runCommand(
            "DESTDIR=" + shellQuoted(root.path()) + " " + shellQuoted(CMAKE_COMMAND) +
            " --install " + shellQuoted(BUILD_DIR) + " --component basilrain --prefix /usr");
        ASSERT_EQ(installed.status, 0) << installed.output;
        ASSERT_EQ(access((root.path() + hackFolder + "/basilrain").c_str(), F_OK), 0)
            << "the package puts nothing in the hack folder";
    }

    // The arguments of unshare that run `command` with the package's tree overlaid on /usr.
    std::vector<std::string> overPackage(const std::vector<std::string>& command) const {
        std::string script =
            "mount -t overlay basilrain -o lowerdir=" + root.path() + "/usr:/usr /usr && ";
        if (classicSdl)
            script += "mount -t tmpfs basilrain " SDL12_COMPAT_DIR " && ";
        script += "exec \"$@\"";
        std::vector<std::string> run = {"--mount", "--propagation=private", "/bin/sh", "-c", script,
                                        "sh"};
        run.insert(run.end(), command.begin(), command.end());
        return run;
    }

    // Starts `command` on a session bus of its own, as in a desktop session: without one, the
    // saver's SDL would start a bus that outlives it.
    std::unique_ptr<ChildProcess> startHost(const std::vector<std::string>& command,
                                            std::vector<std::string> env,
                                            bool asNobody = false) const {
        std::vector<std::string> session = {"/usr/bin/dbus-run-session", "--"};
        session.insert(session.end(), command.begin(), command.end());
        if (asNobody)
            session = asHostUser(session);
        env.insert(env.end(), {x.displayVariable(), "HOME=" + home.path(), marker,
                               "DBUS_SESSION_BUS_ADDRESS="});
        return std::make_unique<ChildProcess>("/usr/bin/unshare", overPackage(session), env,
                                              home.path());
    }

    // The installed program started by the host, or -1.
    pid_t program(int waitMs) const {
        // Hosts may add the screen to the display's name.
        const std::string display = displayName(x);
        const auto isSaver = [&](pid_t pid) {
            std::error_code error;
            const std::string exe =
                std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
            const std::string shown = environmentOf(pid, "DISPLAY");
            return exe == "/usr/libexec/basilrain/basilrain" &&
                   (shown == display || shown.rfind(display + ".", 0) == 0);
        };
        std::vector<pid_t> found;
        waitUntil(waitMs, [&] { return !(found = processesWhere(isSaver)).empty(); });
        return found.empty() ? -1 : found.front();
    }

    // A failed test still takes down what its host started.
    void TearDown() override {
        for (pid_t pid : marked())
            kill(pid, SIGKILL);
        if (const pid_t saver = program(0); saver > 0)
            kill(saver, SIGKILL);
    }

    // Shows the scene in the host's window filling the screen, and keeps the screenshot.
    void expectScene(const std::string& shotName, const ChildProcess& host) {
        const Backdrop backdrop(root.path() + "/usr/share/basilrain/001.gif");
        ASSERT_TRUE(backdrop.loaded());
        double worst = 0;
        const XServer::Screenshot shot = waitForScene(x, backdrop, 0, 0, &worst);
        keepScreenshot(shot, shotName);
        EXPECT_GT(worst, 0.8) << "the scene does not fill the host's window\n"
                              << host.errorOutput();
    }

    void expectRuntime(pid_t saver) {
        const std::string maps = readFile("/proc/" + std::to_string(saver) + "/maps");
        EXPECT_NE(maps.find("/libSDL-1.2.so"), std::string::npos) << "no SDL 1.2 loaded";
        EXPECT_EQ(maps.find(SDL12_COMPAT_DIR "/libSDL-1.2.so") != std::string::npos, !classicSdl)
            << "the program runs on the other SDL";
    }

    void expectEnded(pid_t saver) {
        EXPECT_TRUE(waitUntil(3000, [&] { return processEnded(saver); }))
            << "the program outlived the host's deactivation";
    }

    void expectNothingLeft() {
        std::vector<pid_t> left;
        waitUntil(3000, [&] { return (left = marked()).empty(); });
        std::string names;
        for (pid_t pid : left) {
            std::string command = readFile("/proc/" + std::to_string(pid) + "/cmdline");
            std::replace(command.begin(), command.end(), '\0', ' ');
            names += "\n" + std::to_string(pid) + " " + command;
        }
        EXPECT_TRUE(left.empty()) << "processes the host left behind:" << names;
    }
};

// The hosts that draw through the saver run it on both SDL 1.2 libraries.
class BothSdlHostTest : public PackagedHostTest, public testing::WithParamInterface<bool> {
  protected:
    void SetUp() override {
        classicSdl = GetParam();
        ASSERT_EQ(access(SDL12_COMPAT_DIR "/libSDL-1.2.so.0", F_OK), 0)
            << "sdl12-compat is not installed in " SDL12_COMPAT_DIR;
        PackagedHostTest::SetUp();
    }
    std::string shotName(const std::string& host) const {
        return host + (classicSdl ? "-classic" : "-sdl12-compat");
    }
};

INSTANTIATE_TEST_SUITE_P(Runtimes, BothSdlHostTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "ClassicSdl" : "Sdl12Compat";
                         });

TEST_P(BothSdlHostTest, MateScreensaverListsTheEntryShowsTheSceneAndEndsItWhenDeactivated) {
    ASSERT_EQ(access("/usr/bin/mate-screensaver", X_OK), 0) << "mate-screensaver is not installed";
    const std::string runtime = home.path() + "/run";
    mkdir(runtime.c_str(), 0700);
    const std::string busFile = home.path() + "/bus";
    // The README's two gsettings lines, then the host on the session's bus.
    const std::string session =
        "echo \"$DBUS_SESSION_BUS_ADDRESS\" > " + shellQuoted(busFile) +
        " && gsettings set org.mate.screensaver mode single"
        " && gsettings set org.mate.screensaver themes \"['screensavers-basilrain']\""
        " && exec mate-screensaver --no-daemon";
    // Settings and desktop entries come from this home and the system's folders only.
    auto host = startHost(
        {"/bin/sh", "-c", session},
        {"XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_HOME=", "XDG_DATA_DIRS=", "NO_AT_BRIDGE=1"});

    std::string bus;
    const auto tell = [&](const std::string& request) {
        const CommandResult told = runCommand("DBUS_SESSION_BUS_ADDRESS=" + shellQuoted(bus) +
                                              " /usr/bin/mate-screensaver-command " + request);
        return told.status == 0;
    };
    ASSERT_TRUE(waitUntil(10000,
                          [&] {
                              const std::string written = readFile(busFile);
                              bus = written.substr(0, written.find('\n'));
                              return written.find('\n') != std::string::npos && host->running() &&
                                     tell("--activate");
                          }))
        << "mate-screensaver did not take --activate\n"
        << host->errorOutput();

    expectScene(shotName("mate-screensaver"), *host);
    const pid_t saver = program(3000);
    ASSERT_GT(saver, 0) << "mate-screensaver did not start the saver\n" << host->errorOutput();
    expectRuntime(saver);
    EXPECT_NE(environmentOf(saver, "XSCREENSAVER_WINDOW"), "");

    ASSERT_TRUE(tell("--deactivate"));
    expectEnded(saver);
    EXPECT_TRUE(tell("--exit"));
    EXPECT_TRUE(host->waitFor(5000, nullptr)) << host->errorOutput();
    expectNothingLeft();
}

TEST_P(BothSdlHostTest, XsecurelockShowsTheSceneAndEndsItWhenUnlocked) {
    ASSERT_EQ(access("/usr/bin/xsecurelock", X_OK), 0) << "xsecurelock is not installed";
    std::ofstream(home.path() + "/.xscreensaver") << "mode: one\nselected: 0\n" << programsLine;
    // The test cannot type a password, so the protocol behind the real prompt accepts at once.
    const std::string accept = home.path() + "/authproto_accept";
    std::ofstream(accept) << "#!/bin/sh\nexit 0\n";
    chmod(accept.c_str(), 0755);
    // The README's two variables.
    auto host = startHost({"/usr/bin/xsecurelock"}, {"XSECURELOCK_SAVER=saver_xscreensaver",
                                                     "XSECURELOCK_XSCREENSAVER_PATH=" + hackFolder,
                                                     "XSECURELOCK_AUTHPROTO=" + accept});

    expectScene(shotName("xsecurelock"), *host);
    const pid_t saver = program(3000);
    ASSERT_GT(saver, 0) << "xsecurelock did not start the saver\n" << host->errorOutput();
    expectRuntime(saver);
    const std::string window = environmentOf(saver, "XSCREENSAVER_WINDOW");
    EXPECT_EQ(window.find_first_not_of("0123456789"), std::string::npos)
        << "xsecurelock names its window in decimal, not " << window;

    // A key opens the prompt, whose protocol lets the user in.
    ASSERT_TRUE(x.xdotool({"key", "space"}));
    int status = -2;
    EXPECT_TRUE(host->waitFor(5000, &status)) << "xsecurelock did not unlock";
    EXPECT_EQ(status, 0) << host->errorOutput();
    expectEnded(saver);
    expectNothingLeft();
}

TEST_F(PackagedHostTest, XscreensaverFindsTheSaverByItsBareNameInItsHackFolder) {
    ASSERT_EQ(access("/usr/bin/xscreensaver", X_OK), 0) << "xscreensaver is not installed";
    std::ofstream(home.path() + "/.xscreensaver")
        << "mode: one\nselected: 0\ntimeout: 0:10:00\nlock: False\nfade: False\n"
           "unfade: False\nsplash: False\n"
        << programsLine;
    if (const passwd* user = hostUser()) {
        for (const std::string& path : {home.path(), home.path() + "/.xscreensaver"})
            ASSERT_EQ(chown(path.c_str(), user->pw_uid, user->pw_gid), 0) << path;
    }
    auto host = startHost({"/usr/bin/xscreensaver", "-no-splash"}, {}, true);

    const auto tell = [&](const std::string& request) {
        std::string command =
            "DISPLAY=" + shellQuoted(displayName(x)) + " HOME=" + shellQuoted(home.path());
        for (const std::string& word : asHostUser({"/usr/bin/xscreensaver-command", request}))
            command += " " + shellQuoted(word);
        return runCommand(command).status == 0;
    };
    ASSERT_TRUE(waitUntil(10000, [&] { return host->running() && tell("-activate"); }))
        << "xscreensaver did not take -activate\n"
        << host->errorOutput();

    expectScene("xscreensaver-bare-name", *host);
    const pid_t saver = program(3000);
    ASSERT_GT(saver, 0) << "xscreensaver did not find basilrain\n" << host->errorOutput();
    // The bare name resolves in the first folder of the hacks' PATH, which is xscreensaver's own
    // hack folder; the package must have put the saver there.
    const std::string path = environmentOf(saver, "PATH");
    const std::string first = path.substr(0, path.find(':'));
    EXPECT_EQ(first, hackFolder) << path;
    EXPECT_EQ(access((root.path() + first + "/basilrain").c_str(), X_OK), 0) << path;

    ASSERT_TRUE(tell("-deactivate"));
    expectEnded(saver);
    EXPECT_TRUE(tell("-exit"));
    EXPECT_TRUE(host->waitFor(5000, nullptr)) << host->errorOutput();
    expectNothingLeft();
}

} // namespace
