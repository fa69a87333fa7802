// The Windows screen saver under Wine on a private Xvfb: started as Windows starts it, from the
// system folder under its 8.3 name, out of a folder named outside ASCII, it draws the scene and
// ends with status 0 on Escape or late mouse motion, with a damaged and a missing picture too;
// preview and settings requests end at once with no window; nothing is written anywhere; the
// installer places the files and the setting, and its uninstaller takes both away.
#include "install_support.h"
#include "process.h"
#include "reference_picture.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const fs::path driveC = fs::path(WINE_PREFIX) / "drive_c";
const fs::path systemFolder = driveC / "windows" / "system32";
const char* const screensaverSetting = "reg query \"HKCU\\Control Panel\\Desktop\" /v SCRNSAVE.EXE";

class WineTest : public testing::Test {
  protected:
    XServer x;

    void SetUp() override {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
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

// Share of the sky, above the cast, drawn as the backdrop is; a 16-bit screen keeps the top 5
// or 6 bits of each colour.
double skyShown(const XServer::Screenshot& shot, const ReferencePicture& backdrop) {
    if (shot.width != 800 || shot.height != 600)
        return 0.0;
    int same = 0;
    for (int y = 0; y < 180; ++y)
        for (int px = 0; px < 800; ++px) {
            bool close = true;
            for (int shift : {0, 8, 16})
                close &= std::abs(int(shot.at(px, y) >> shift & 0xFF) -
                                  int(backdrop.rgbAt(px, y) >> shift & 0xFF)) < 8;
            same += close;
        }
    return same / (180.0 * 800);
}

struct SceneRun {
    const char* name;
    const char* folder;
    std::function<void(const fs::path&)> spoil;
    std::vector<std::string> ending; // xdotool's arguments
    std::vector<std::string> named;  // the pictures it must name on stderr
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

    ChildProcess saver("/usr/bin/wine", {program, "/s"}, {}, systemFolder.string());
    const ReferencePicture backdrop("001.gif");
    XServer::Screenshot shot;
    for (int waited = 0; skyShown(shot, backdrop) < 0.99 && waited < 15000; waited += 200) {
        sleepMs(200);
        shot = x.screenshot();
    }
    EXPECT_GE(skyShown(shot, backdrop), 0.99)
        << "no backdrop on the screen; " << saver.errorOutput();
    sleepMs(3500); // past the opening, about 2.3 seconds
    fs::create_directories("wine-shots");
    x.screenshot().savePpm("wine-shots/" + std::string(run.name) + ".ppm");
    EXPECT_TRUE(saver.running());
    ASSERT_TRUE(x.xdotool(run.ending));
    int status = -1;
    ASSERT_TRUE(saver.waitFor(15000, &status)) << "it did not end";
    EXPECT_EQ(status, 0);
    for (const std::string& picture : run.named)
        EXPECT_NE(saver.errorOutput().find("cannot use " + picture), std::string::npos)
            << saver.errorOutput();
    EXPECT_EQ(filesUnder(folder), before) << "it wrote beside itself";
    EXPECT_EQ(filesUnder(systemFolder), systemBefore) << "it wrote into the working directory";
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Runs, WineSceneTest, testing::ValuesIn(runs),
                         [](const auto& info) { return std::string(info.param.name); });

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
    for (const char* file : {"basilrain.scr", "001.gif", "basil.gif", "om.gif", "egg.gif",
                             "kapka.gif", "kapka2.gif", "LICENSE", "README.txt"})
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
