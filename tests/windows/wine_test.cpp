// The Windows screen saver under Wine on a private 1920x1080 Xvfb: started as Windows starts it,
// from the system folder under its 8.3 name, out of a folder named outside ASCII, it fills the
// screen with the scene, shape kept, and ends with status 0 on Escape or late mouse motion, with
// a damaged and a missing picture too; in a Wine virtual desktop it leaves the desktop's size
// alone; preview and settings requests end at once with no window; nothing is written anywhere;
// the ZIP and the installer hold the program and both SDL libraries, and the uninstaller takes
// every file and the setting away. It never asks Windows to keep the display on, so the power
// plan still turns the monitor off at its time. On an Xvnc of two monitors each monitor shows
// the whole scene, also after a monitor is plugged in or resized, and late motion on the second
// or the death of the first process ends them all.
#include "install_support.h"
#include "process.h"
#include "reference_picture.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path driveC = fs::path(WINE_PREFIX) / "drive_c";
const fs::path systemFolder = driveC / "windows" / "system32";
const char* const screensaverSetting = "reg query \"HKCU\\Control Panel\\Desktop\" /v SCRNSAVE.EXE";
const char* const packaged[] = {"basilrain.scr",
                                "SDL.dll",
                                "SDL2.dll",
                                "001.gif",
                                "basil.gif",
                                "om.gif",
                                "egg.gif",
                                "kapka.gif",
                                "kapka2.gif",
                                "LICENSE",
                                "README.txt",
                                "SDL2-LICENSE.txt",
                                "sdl12-compat-LICENSE.txt"};

class WineTest : public testing::Test {
  protected:
    WineTest() : x(1920, 1080) {}
    explicit WineTest(const std::vector<XServer::Monitor>& monitors) : x(monitors) {}

    XServer x;

    void SetUp() override {
        ASSERT_TRUE(x.ready()) << "the X server did not start";
        setenv("WINEPREFIX", WINE_PREFIX, 1);
        // No Gecko or Mono to install, and no menu entries written into the host's home.
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winemenubuilder.exe=d", 1);
        setenv("WINEDEBUG", "-all", 1);
        setenv("DISPLAY", x.displayVariable().substr(std::strlen("DISPLAY=")).c_str(), 1);
    }
    void TearDown() override { EXPECT_EQ(std::system("wineserver -k; wineserver -w"), 0); }

    // What `wine command` prints, with Windows' line ends.
    static std::string wine(const std::string& command) {
        return runCommand("wine " + command).output;
    }

    // The 8.3 name `dir /x` gives the entry of `folder` whose name begins with `start`.
    static std::string shortName(const std::string& folder, const std::string& start) {
        std::istringstream listing(wine("cmd /c dir /x \"" + folder + "\""));
        for (std::string line; std::getline(listing, line);) {
            const size_t at = line.find(" " + start);
            if (at != std::string::npos && at > 36)
                return folder + "\\" + line.substr(36, line.find(' ', 36) - 36);
        }
        return "";
    }

    // The sizes of the windows shown on the X server, but for Wine's 1x1 helper windows.
    static std::set<std::string> windowSizes() {
        std::istringstream listing(
            runCommand("xdotool search --onlyvisible --name '.*' getwindowgeometry %@").output);
        std::set<std::string> sizes;
        for (std::string word; listing >> word;)
            if (word == "Geometry:" && listing >> word && word != "1x1")
                sizes.insert(word);
        return sizes;
    }

    // The ZIP unpacked afresh into `folder` of drive C:.
    static fs::path unpacked(const std::string& folder) {
        const fs::path path = driveC / fs::u8path(folder);
        fs::remove_all(path);
        fs::create_directories(path);
        const CommandResult unzipped =
            runCommand("cd " + shellQuoted(path.string()) + " && cmake -E tar xf " WINDOWS_ZIP);
        EXPECT_EQ(unzipped.status, 0) << unzipped.output;
        return path;
    }
};

// Share of the sky, above the cast, drawn as the backdrop is, in the scene scaled with its shape
// kept to fit the monitor and centred there, black around it: on 1920x1080 1440x1080 at +240+0,
// on 1280x1024 1280x960 at +0+32. The scene's 16-bit screen keeps the top 5 or 6 bits of each
// colour, and smoothing blends neighbours.
double skyShown(const XServer::Screenshot& shot, const XServer::Monitor& monitor,
                const ReferencePicture& backdrop) {
    constexpr int rows = 180;
    if (shot.width < monitor.x + monitor.width || shot.height < monitor.y + monitor.height)
        return 0.0;
    const double scale = std::min(monitor.width / 800.0, monitor.height / 600.0);
    const int width = int(800 * scale + 0.5), height = int(600 * scale + 0.5);
    const int left = monitor.x + (monitor.width - width) / 2;
    const int top = monitor.y + (monitor.height - height) / 2;
    for (int y = monitor.y; y < monitor.y + monitor.height; ++y)
        for (int px = monitor.x; px < monitor.x + monitor.width; ++px) {
            const bool inScene = px >= left && px < left + width && y >= top && y < top + height;
            if (!inScene && shot.at(px, y) != 0)
                return 0.0;
        }
    int same = 0;
    for (int y = 0; y < rows; ++y)
        for (int px = 0; px < 800; ++px) {
            const unsigned shown =
                shot.at(left + int((px + 0.5) * scale), top + int((y + 0.5) * scale));
            bool close = true;
            for (int shift : {0, 8, 16})
                close &= std::abs(int(shown >> shift & 0xFF) -
                                  int(backdrop.rgbAt(px, y) >> shift & 0xFF)) < 12;
            same += close;
        }
    return same / (rows * 800.0);
}

// Waits up to `ms` for every monitor of `x` to show at least `least` of the sky; the last
// screenshot.
XServer::Screenshot waitForSky(XServer& x, const ReferencePicture& backdrop, int ms,
                               double least = 0.99) {
    const auto leastShown = [&](const XServer::Screenshot& shot) {
        double shown = 1.0;
        for (const XServer::Monitor& monitor : x.monitors())
            shown = std::min(shown, skyShown(shot, monitor, backdrop));
        return shown;
    };
    XServer::Screenshot shot;
    for (int waited = 0; leastShown(shot) < least && waited < ms; waited += 200) {
        sleepMs(200);
        shot = x.screenshot();
    }
    return shot;
}

// Whether the saver asked Windows to keep the display on: Wine's ntdll channel names every
// execution state a program requests ("NtSetThreadExecutionState (0x80000002, ...)").
bool keptTheDisplayOn(const std::string& errors) {
    constexpr unsigned long displayRequired = 0x2;
    const std::string call = "NtSetThreadExecutionState (";
    for (size_t at = errors.find(call); at != std::string::npos; at = errors.find(call, at + 1))
        if (std::strtoul(errors.c_str() + at + call.size(), nullptr, 16) & displayRequired)
            return true;
    return false;
}

struct SceneRun {
    const char* name;
    const char* folder;
    std::function<void(const fs::path&)> spoil;
    std::vector<std::string> ending; // xdotool's arguments
    std::vector<std::string> named;  // the pictures it must name on stderr
    bool inVirtualDesktop = false;   // a desktop changes its size where a display changes mode
};

const std::vector<std::string> escape = {"search",      "--onlyvisible", "--name", ".*",
                                         "windowfocus", "--sync",        "key",    "Escape"};

const SceneRun runs[] = {
    {"EscapeEndsIt", "Basil Rain \xE2\x98\x82 Regen", [](const fs::path&) {}, escape, {}},
    {"MotionAfterTheOpeningEndsIt",
     "Moving the mouse",
     [](const fs::path&) {},
     {"mousemove_relative", "--", "10", "10"},
     {}},
    {"DamagedAndMissingPicturesAreLeftOut",
     "Faulty pictures",
     [](const fs::path& folder) {
         fs::remove(folder / "egg.gif");
         fs::resize_file(folder / "om.gif", 200);
     },
     escape,
     {"egg.gif (No such file", "om.gif (a GIF"}},
    {"InAVirtualDesktop", "Virtual desktop", [](const fs::path&) {}, escape, {}, true},
};

void PrintTo(const SceneRun& run, std::ostream* out) {
    *out << run.name;
}

class WineSceneTest : public WineTest, public testing::WithParamInterface<SceneRun> {};

TEST_P(WineSceneTest, FromTheSystemFolderUnderItsShortName) {
    const SceneRun& run = GetParam();
    const fs::path folder = unpacked(run.folder);
    run.spoil(folder);
    const std::string shortFolder = shortName("C:", std::string(run.folder).substr(0, 8));
    const std::string program = shortName(shortFolder, "basilrain.scr");
    ASSERT_NE(program, "") << "no 8.3 name for " << run.folder;
    const auto before = filesUnder(folder), systemBefore = filesUnder(systemFolder);

    std::vector<std::string> command = {program, "/s"};
    if (run.inVirtualDesktop)
        command.insert(command.begin(), {"explorer", "/desktop=basilrain,1920x1080"});
    ChildProcess saver("/usr/bin/wine", command, {"WINEDEBUG=warn+ntdll"}, systemFolder.string());
    const ReferencePicture backdrop("001.gif");
    const XServer::Screenshot shot = waitForSky(x, backdrop, 15000);
    EXPECT_GE(skyShown(shot, x.monitors()[0], backdrop), 0.99)
        << "no backdrop on the screen; " << saver.errorOutput();
    sleepMs(3500); // past the opening, about 2.3 seconds
    fs::create_directories("wine-shots");
    x.screenshot().savePpm("wine-shots/" + std::string(run.name) + ".ppm");
    EXPECT_TRUE(saver.running());
    EXPECT_EQ(windowSizes(), std::set<std::string>{"1920x1080"});
    ASSERT_TRUE(x.xdotool(run.ending));
    int status = -1;
    ASSERT_TRUE(saver.waitFor(15000, &status)) << "it did not end";
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(keptTheDisplayOn(saver.errorOutput()));
    for (const std::string& picture : run.named)
        EXPECT_NE(saver.errorOutput().find("cannot use " + picture), std::string::npos)
            << saver.errorOutput();
    EXPECT_EQ(filesUnder(folder), before) << "it wrote beside itself";
    EXPECT_EQ(filesUnder(systemFolder), systemBefore) << "it wrote into the working directory";
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Runs, WineSceneTest, testing::ValuesIn(runs),
                         [](const auto& info) { return std::string(info.param.name); });

// The saver's processes under the tests' Wine prefix: the first and its copies.
int saverProcesses() {
    const std::string prefix = std::string("WINEPREFIX=" WINE_PREFIX) + '\0';
    int count = 0;
    for (const auto& process : fs::directory_iterator("/proc"))
        count += readFile((process.path() / "comm").string()) == "basilrain.scr\n" &&
                 readFile((process.path() / "environ").string()).find(prefix) != std::string::npos;
    return count;
}

int pointerX() {
    int px = -1;
    std::sscanf(runCommand("xdotool getmouselocation").output.c_str(), "x:%d", &px);
    return px;
}

using Layout = XServer::Layout;

struct MonitorsEnding {
    const char* name;
    std::function<void(XServer&, ChildProcess&)> end;
    int status;                                        // the first process's; -1 for a signal
    std::vector<Layout> layouts{XServer::twoMonitors}; // at the start, then each while it plays
};

const MonitorsEnding monitorsEndings[] = {
    // Relative mouse mode holds the pointer at the centre of the window in the foreground, the
    // copy's, which opened last; only that window hears the motion.
    {"MotionOnTheSecondMonitor",
     [](XServer& x, ChildProcess&) {
         ASSERT_TRUE(x.xdotool({"mousemove", "2560", "512"}));
         ASSERT_GE(pointerX(), 1920) << "the pointer is not on the second monitor";
         ASSERT_TRUE(x.xdotool({"mousemove_relative", "--", "10", "10"}));
     },
     0},
    // Started on one monitor, a second plugged in, then the first made smaller. Unplugging is
    // left out: Wine pushes the pointer off the gone monitor, which the copy holding it takes for
    // the viewer's motion.
    {"PluggedInAndResizedThenFirstKilled",
     [](XServer&, ChildProcess& first) { first.signal(SIGKILL); },
     -1,
     {XServer::firstAlone, XServer::twoMonitors, XServer::firstResized}},
};

void PrintTo(const MonitorsEnding& ending, std::ostream* out) {
    *out << ending.name;
}

class WineMonitorsTest : public WineTest, public testing::WithParamInterface<MonitorsEnding> {
  protected:
    WineMonitorsTest() : WineTest(GetParam().layouts.front()) {}

    // One window a monitor, and the root, which is as large as all the monitors together.
    std::set<std::string> expectedSizes() {
        std::set<std::string> sizes;
        int width = 0, height = 0;
        for (const XServer::Monitor& monitor : x.monitors()) {
            sizes.insert(std::to_string(monitor.width) + "x" + std::to_string(monitor.height));
            width = std::max(width, monitor.x + monitor.width);
            height = std::max(height, monitor.y + monitor.height);
        }
        sizes.insert(std::to_string(width) + "x" + std::to_string(height));
        return sizes;
    }

    // Smoothed, the scene scaled 1.2 times (on 1280x720) matched 0.97 of the sky in the trials,
    // against over 0.99 at 1.6 and 1.8 times; a window left unfitted matches none.
    void expectTheSkyOnEveryMonitor(const ReferencePicture& backdrop, int ms,
                                    const ChildProcess& first, double least) {
        const XServer::Screenshot shot = waitForSky(x, backdrop, ms, least);
        for (const XServer::Monitor& monitor : x.monitors())
            EXPECT_GE(skyShown(shot, monitor, backdrop), least)
                << "no backdrop on the " << monitor.width << "x" << monitor.height
                << " monitor at +" << monitor.x << "+" << monitor.y << "; " << first.errorOutput();
    }
};

TEST_P(WineMonitorsTest, EachMonitorShowsTheSceneUntilOneEndingEndsEveryCopy) {
    const fs::path folder = unpacked("monitors");
    ChildProcess first("/usr/bin/wine", {"C:\\monitors\\basilrain.scr", "/s"}, {},
                       systemFolder.string());
    const ReferencePicture backdrop("001.gif");
    expectTheSkyOnEveryMonitor(backdrop, 20000, first, 0.99);
    sleepMs(3500); // past the opening
    fs::create_directories("wine-shots");
    const std::string shotName = "wine-shots/TwoMonitors" + std::string(GetParam().name);
    x.screenshot().savePpm(shotName + ".ppm");
    EXPECT_EQ(saverProcesses(), static_cast<int>(x.monitors().size()));
    EXPECT_EQ(windowSizes(), expectedSizes()) << "one window a monitor, and the root";

    for (size_t change = 1; change < GetParam().layouts.size(); ++change) {
        ASSERT_TRUE(x.setMonitors(GetParam().layouts[change])) << "layout " << change;
        ASSERT_EQ(runCommand("wine " DISPLAY_CHANGE).status, 0);
        expectTheSkyOnEveryMonitor(backdrop, 10000, first, 0.95);
        x.screenshot().savePpm(shotName + "-layout" + std::to_string(change) + ".ppm");
        EXPECT_EQ(saverProcesses(), static_cast<int>(x.monitors().size()))
            << "not one process a monitor after layout " << change;
    }

    GetParam().end(x, first);
    int status = -2;
    ASSERT_TRUE(first.waitFor(15000, &status)) << "the first process did not end";
    EXPECT_EQ(status, GetParam().status);
    int left = saverProcesses();
    for (int waited = 0; left > 0 && waited < 5000; waited += 100) {
        sleepMs(100);
        left = saverProcesses();
    }
    EXPECT_EQ(left, 0) << "a copy outlived the first process";
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(TwoMonitors, WineMonitorsTest, testing::ValuesIn(monitorsEndings),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WineTest, ZipHoldsTheProgramBothLibrariesAndThePictures) {
    const fs::path folder = unpacked("zip");
    for (const char* file : packaged)
        EXPECT_TRUE(fs::exists(folder / file)) << file;
    fs::remove_all(folder);
}

class WineRequestTest : public WineTest,
                        public testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(WineRequestTest, EndsWithinASecondWithoutAWindow) {
    const fs::path folder = unpacked("requests");
    std::vector<std::string> args = GetParam();
    args.insert(args.begin(), "C:\\requests\\basilrain.scr");
    const XServer::Screenshot empty = x.screenshot();
    // Wine's own start varies with the machine's load; the program's share is what the fastest
    // of three runs leaves.
    auto fastest = std::chrono::steady_clock::duration::max();
    for (int run = 0; run < 3; ++run) {
        const auto start = std::chrono::steady_clock::now();
        ChildProcess request("/usr/bin/wine", args);
        int status = -1;
        // SDL's window would stay for seconds under Wine: a look every 100 ms cannot miss it.
        while (!request.waitFor(100, &status))
            ASSERT_EQ(x.screenshot().pixels, empty.pixels) << "a window opened";
        fastest = std::min(fastest, std::chrono::steady_clock::now() - start);
        EXPECT_EQ(status, 0);
    }
    EXPECT_LT(fastest, std::chrono::seconds(1))
        << std::chrono::duration_cast<std::chrono::milliseconds>(fastest).count() << " ms";
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Requests, WineRequestTest,
                         testing::Values(std::vector<std::string>{"/p", "1234"},
                                         std::vector<std::string>{"/c"},
                                         std::vector<std::string>{"/c:1234"}));

TEST_F(WineTest, InstallerPlacesTheFilesAndTheSettingAndItsUninstallerTakesThemAway) {
    std::ifstream setup(WINDOWS_SETUP, std::ios::binary);
    char header[0x200] = {};
    setup.read(header, sizeof header);
    const unsigned pe = *reinterpret_cast<unsigned*>(header + 0x3C);
    ASSERT_LT(pe, sizeof header - 6);
    EXPECT_EQ(*reinterpret_cast<unsigned short*>(header + pe + 4), 0x8664)
        << "not a 64-bit program";

    const fs::path installed = driveC / "Program Files" / "basilrain";
    ASSERT_EQ(std::system("wine " WINDOWS_SETUP " /S"), 0);
    for (const char* file : packaged)
        EXPECT_TRUE(fs::exists(installed / file)) << file;
    EXPECT_NE(wine(screensaverSetting).find("C:\\Program Files\\basilrain\\basilrain.scr"),
              std::string::npos);

    // The uninstaller copies itself away and returns at once; the copy does the work.
    ASSERT_EQ(std::system("wine 'C:\\Program Files\\basilrain\\Uninstall.exe' /S"), 0);
    for (int waited = 0; fs::exists(installed) && waited < 20000; waited += 200)
        sleepMs(200);
    for (const auto& entry : fs::recursive_directory_iterator(driveC))
        EXPECT_EQ(entry.path().filename().string().find("asil"), std::string::npos) << entry.path();
    // The server writes the registry out as it ends.
    ASSERT_EQ(std::system("wineserver -k; wineserver -w"), 0);
    for (const char* hive : {"user.reg", "system.reg"}) {
        EXPECT_EQ(readFile(std::string(WINE_PREFIX) + "/" + hive).find("asilrain"),
                  std::string::npos)
            << hive;
    }
}

} // namespace
