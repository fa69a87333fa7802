// The installed launcher run as a screen-saver host runs it: in a window the host made, named in
// XSCREENSAVER_WINDOW, and ended with SIGTERM; first in a window of the test's own, then under
// xscreensaver itself.
#include "host_window.h"
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string displayName(const XServer& x) {
    return x.displayVariable().substr(8);
}

TEST(HostWindowTest, DrawsIntoTheHostsWindowAndEndsOnSigtermWithStatusZero) {
    XServer x(1024, 768);
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    InstalledTree tree;
    ASSERT_TRUE(tree.installed()) << tree.log();
    const Backdrop backdrop(tree.pictures() + "/001.gif");
    ASSERT_TRUE(backdrop.loaded());
    // Off the screen's corner and centre, where a full screen of its own would not land.
    HostWindow window(displayName(x), 100, 80, 800, 600);
    ASSERT_TRUE(window.made());

    ChildProcess launcher(tree.launcher(), {"-root"},
                          {x.displayVariable(), "XSCREENSAVER_WINDOW=" + window.id()}, "/");
    double worst = 0;
    const XServer::Screenshot shot = waitForScene(x, backdrop, 100, 80, &worst);
    keepScreenshot(shot, "host-window");
    EXPECT_GT(worst, 0.8) << "the scene does not fill the host's window\n"
                          << launcher.errorOutput();
    const pid_t program = findProcess(tree.program(), 2000);
    ASSERT_GT(program, 0);
    EXPECT_EQ(environmentOf(program, "SDL_WINDOWID"), window.id());

    launcher.signal(SIGTERM);
    int status = -2;
    ASSERT_TRUE(launcher.waitFor(1000, &status)) << "SIGTERM did not end it within a second";
    EXPECT_EQ(status, 0) << launcher.errorOutput();
}

// xscreensaver runs no hacks as root, so a root test hands the host to "nobody".
const passwd* hostUser() {
    return geteuid() == 0 ? getpwnam("nobody") : nullptr;
}

std::vector<std::string> asHostUser(std::vector<std::string> command) {
    const passwd* user = hostUser();
    if (!user)
        return command;
    std::vector<std::string> run = {"/usr/bin/setpriv", "--reuid=" + std::to_string(user->pw_uid),
                                    "--regid=" + std::to_string(user->pw_gid), "--clear-groups",
                                    "--"};
    run.insert(run.end(), command.begin(), command.end());
    return run;
}

class XScreenSaverTest : public testing::Test {
  protected:
    XServer x;
    InstalledTree tree;
    ScratchFolder home{"home"};

    void SetUp() override {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        ASSERT_TRUE(tree.installed()) << tree.log();
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

TEST_F(XScreenSaverTest, ShowsTheSceneWhenActivatedAndEndsItWhenDeactivated) {
    const Backdrop backdrop(tree.pictures() + "/001.gif");
    ASSERT_TRUE(backdrop.loaded());
    const std::vector<std::string> daemonCommand =
        asHostUser({"/usr/bin/xscreensaver", "-no-splash"});
    ChildProcess daemon(daemonCommand[0], {daemonCommand.begin() + 1, daemonCommand.end()},
                        {x.displayVariable(), "HOME=" + home.path()}, home.path());

    bool activated = false;
    for (int waited = 0; !activated && waited < 10000 && daemon.running(); waited += 200)
        if (!(activated = tell("-activate")))
            sleepMs(200);
    ASSERT_TRUE(activated) << "xscreensaver did not take -activate\n" << daemon.errorOutput();

    double worst = 0;
    const XServer::Screenshot shot = waitForScene(x, backdrop, 0, 0, &worst);
    keepScreenshot(shot, "xscreensaver");
    EXPECT_GT(worst, 0.8) << "the scene does not fill xscreensaver's window\n"
                          << daemon.errorOutput();
    const pid_t program = findProcess(tree.program(), 3000);
    ASSERT_GT(program, 0) << "xscreensaver did not start the launcher\n" << daemon.errorOutput();
    const std::string hostWindow = environmentOf(program, "XSCREENSAVER_WINDOW");
    EXPECT_NE(hostWindow, "");
    EXPECT_EQ(environmentOf(program, "SDL_WINDOWID"), hostWindow);

    ASSERT_TRUE(tell("-deactivate"));
    bool ended = false;
    for (int waited = 0; !ended && waited < 3000; waited += 50)
        if (!(ended = processEnded(program)))
            sleepMs(50);
    EXPECT_TRUE(ended) << "the program outlived the host's deactivation";

    daemon.signal(SIGTERM);
    EXPECT_TRUE(daemon.waitFor(5000, nullptr));
}

} // namespace
