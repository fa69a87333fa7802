// The installed tree: every part where it belongs for the prefix it went to, and the installed
// launcher playing the scene from any folder.
#include "install_support.h"
#include "process.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

class InstalledTest : public testing::Test {
  protected:
    InstalledTree tree;
    void SetUp() override { ASSERT_TRUE(tree.installed()) << tree.log(); }
};

TEST_F(InstalledTest, EveryPartLandsInItsPlaceAndNamesOnlyThisPrefix) {
    EXPECT_EQ(filesUnder(tree.prefix()), installedFiles);
    EXPECT_EQ(access(tree.launcher().c_str(), X_OK), 0);
    EXPECT_EQ(access(tree.program().c_str(), X_OK), 0);
    for (const char* picture :
         {"001.gif", "basil.gif", "om.gif", "egg.gif", "kapka.gif", "kapka2.gif"})
        EXPECT_EQ(readFile(tree.pictures() + "/" + picture),
                  readFile(std::string(BUILD_DIR) + "/" + picture))
            << picture << " differs from the one the build painted";

    // Hosts run the launcher through its link in the hack folder.
    const std::string hack = tree.path("libexec/xscreensaver/basilrain");
    EXPECT_EQ(std::filesystem::canonical(hack), std::filesystem::canonical(tree.launcher()));
    const std::string desktop =
        readFile(tree.path("share/applications/screensavers/basilrain.desktop"));
    EXPECT_NE(desktop.find("\nExec=" + hack + " --root\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nTryExec=" + hack + "\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("\nCategories=Screensaver;\n"), std::string::npos) << desktop;
    // xscreensaver's settings pair a description with a programs line by the command's name.
    EXPECT_NE(readFile(tree.path(installedFiles.back())).find("<screensaver name=\"basilrain\""),
              std::string::npos);

    const CommandResult man =
        runCommand("gzip -dc " + shellQuoted(tree.path("share/man/man6/basilrain.6.gz")));
    ASSERT_EQ(man.status, 0) << man.output;
    EXPECT_EQ(man.output.rfind(".TH BASILRAIN 6 ", 0), 0u) << "not a section 6 man page";
    int pathsNamed = 0;
    for (size_t at = man.output.find(".I " + tree.prefix()); at != std::string::npos;
         at = man.output.find(".I " + tree.prefix(), at + 1), ++pathsNamed) {
        const std::string path = man.output.substr(at + 3, man.output.find('\n', at) - at - 3);
        EXPECT_TRUE(std::filesystem::exists(path)) << "the man page names " << path;
    }
    EXPECT_EQ(pathsNamed, 5) << "the man page's FILES do not name the installed paths";

    for (const std::string& text : {readFile(tree.launcher()), desktop, man.output}) {
        EXPECT_EQ(text.find(BUILD_DIR "/"), std::string::npos) << "names the build folder:\n" << text;
        EXPECT_EQ(text.find(CONFIGURED_PREFIX "/"), std::string::npos)
            << "names the prefix the build was configured with:\n"
            << text;
    }
}

TEST_F(InstalledTest, LauncherPlaysTheSceneFromAnyFolderAndEndsOnEscape) {
    playUntilEscape(tree.launcher(), tree.program(), tree.pictures(), {}, "installed-launcher",
                    [&](pid_t program) {
                        EXPECT_EQ(workingFolderOf(program),
                                  std::filesystem::canonical(tree.pictures()).string());
                        EXPECT_EQ(environmentOf(program, "SDL12COMPAT_SYNC_TO_VBLANK"), "1");
                        EXPECT_EQ(environmentOf(program, "SDL_WINDOWID"), "")
                            << "no host gave a window";
                    });
}

// No test machine has a GPU, so a stand-in glxinfo names the rasteriser the launcher asks about.
TEST_F(InstalledTest, LauncherAsksSdl12CompatForTheNearestPixelOnlyOnSoftwareOpenGl) {
    struct Case {
        SdlRuntime runtime;
        const char* renderer;
        const char* given; // SDL12COMPAT_SCALE_METHOD as the launcher is started
        const char* scaleMethod;
    };
    const Case cases[] = {
        {SdlRuntime::compat, "llvmpipe (LLVM 15.0.6, 256 bits)", "", "nearest"},
        {SdlRuntime::compat, "softpipe", "", "nearest"},
        {SdlRuntime::compat, "llvmpipe (LLVM 15.0.6, 256 bits)", "linear", "linear"},
        {SdlRuntime::compat, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "", ""},
        {SdlRuntime::compat, "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", "", ""},
        {SdlRuntime::classic, "llvmpipe (LLVM 15.0.6, 256 bits)", "", ""},
    };
    ScratchFolder bin("bin");
    const std::string glxinfo = bin.path() + "/glxinfo";
    for (const Case& c : cases) {
        std::ofstream(glxinfo) << "#!/bin/sh\necho 'OpenGL renderer string: " << c.renderer
                               << "'\n";
        std::filesystem::permissions(glxinfo, std::filesystem::perms::owner_all);
        ChildProcess launcher(tree.launcher(), {},
                              {"PATH=" + bin.path() + ":" + std::getenv("PATH"),
                               "SDL_VIDEODRIVER=dummy", launcherChoosing(c.runtime),
                               std::string("SDL12COMPAT_SCALE_METHOD=") + c.given});
        const pid_t program = findProcess(tree.program(), 3000);
        ASSERT_GT(program, 0) << launcher.errorOutput();
        EXPECT_EQ(environmentOf(program, "SDL12COMPAT_SCALE_METHOD"), c.scaleMethod)
            << runtimeName(c.runtime) << " on " << c.renderer << ", given \"" << c.given << '"';
        launcher.signal(SIGTERM);
        ASSERT_TRUE(launcher.waitFor(3000, nullptr)) << launcher.errorOutput();
    }
}

TEST_F(InstalledTest, LauncherFindsItsTreeThroughALinkAndSaysWhenThePicturesAreGone) {
    ScratchFolder links("links");
    const std::string link = links.path() + "/basilrain";
    std::filesystem::create_symlink(tree.launcher(), link);
    ChildProcess linked(link, {"-p"});
    int status = -2;
    ASSERT_TRUE(linked.waitFor(3000, &status));
    EXPECT_EQ(status, 0) << linked.errorOutput();

    std::filesystem::remove_all(tree.pictures());
    ChildProcess bare(tree.launcher(), {"-root"}, {"DISPLAY="});
    ASSERT_TRUE(bare.waitFor(3000, &status));
    EXPECT_NE(status, 0);
    const std::string said = bare.errorOutput();
    EXPECT_NE(said.find("pictures folder"), std::string::npos) << said;
    EXPECT_NE(said.find("share/basilrain is missing"), std::string::npos) << said;
}

} // namespace
