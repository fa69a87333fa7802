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
        EXPECT_EQ(text.find(BUILD_DIR "/"), std::string::npos) << "names the build folder:\n"
                                                               << text;
        EXPECT_EQ(text.find(CONFIGURED_PREFIX "/"), std::string::npos)
            << "names the prefix the build was configured with:\n"
            << text;
    }
}

TEST_F(InstalledTest, LauncherPlaysTheSceneFromAnyFolderAtTheDisplaysPaceAndEndsOnEscape) {
    for (SdlRuntime runtime : {SdlRuntime::classic, SdlRuntime::compat}) {
        SCOPED_TRACE(runtimeName(runtime));
        playUntilEscape(
            tree.launcher(), tree.program(), tree.pictures(), {launcherChoosing(runtime)},
            "installed-launcher-" + runtimeName(runtime), [&](const XServer& x, pid_t program) {
                EXPECT_EQ(workingFolderOf(program),
                          std::filesystem::canonical(tree.pictures()).string());
                EXPECT_EQ(runtimeName(runtimeOf(program)), runtimeName(runtime));
                EXPECT_EQ(environmentOf(program, "SDL_WINDOWID"), "") << "no host gave a window";
                // Xvfb's OpenGL is llvmpipe: sdl12-compat draws with SDL2's software renderer,
                // which does not wait for the display, and the program keeps its pace.
                if (runtime == SdlRuntime::compat) {
                    EXPECT_EQ(environmentOf(program, "SDL_RENDER_DRIVER"), "software");
                    EXPECT_EQ(environmentOf(program, "SDL12COMPAT_SYNC_TO_VBLANK"), "0");
                }
                expectDisplaysPace(x, 0, "standalone on " + runtimeName(runtime));
            });
    }
}

// No test machine has a GPU, so a stand-in glxinfo names the rasteriser the launcher asks about.
TEST_F(InstalledTest, LauncherPicksSdl2sSoftwareRendererOnlyOnSoftwareOpenGl) {
    struct Case {
        SdlRuntime runtime;
        const char* renderer;
        const char* given; // "NAME=value" set as the launcher is started, or ""
        // What the program is then given: SDL12COMPAT_SCALE_METHOD, SDL_RENDER_DRIVER,
        // SDL_FRAMEBUFFER_ACCELERATION and SDL12COMPAT_SYNC_TO_VBLANK.
        std::vector<std::string> settings;
    };
    const Case cases[] = {
        {SdlRuntime::compat,
         "llvmpipe (LLVM 15.0.6, 256 bits)",
         "",
         {"nearest", "software", "0", "0"}},
        {SdlRuntime::compat, "softpipe", "", {"nearest", "software", "0", "0"}},
        {SdlRuntime::compat,
         "llvmpipe (LLVM 15.0.6, 256 bits)",
         "SDL12COMPAT_SCALE_METHOD=linear",
         {"linear", "software", "0", "0"}},
        // Asked for OpenGL, sdl12-compat waits for the vertical blank itself.
        {SdlRuntime::compat,
         "llvmpipe (LLVM 15.0.6, 256 bits)",
         "SDL_RENDER_DRIVER=opengl",
         {"nearest", "opengl", "0", "1"}},
        {SdlRuntime::compat, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", "", {"", "", "", "1"}},
        {SdlRuntime::compat, "NVIDIA GeForce GTX 1060 6GB/PCIe/SSE2", "", {"", "", "", "1"}},
        {SdlRuntime::classic, "llvmpipe (LLVM 15.0.6, 256 bits)", "", {"", "", "", "1"}},
    };
    const char* const names[] = {"SDL12COMPAT_SCALE_METHOD", "SDL_RENDER_DRIVER",
                                 "SDL_FRAMEBUFFER_ACCELERATION", "SDL12COMPAT_SYNC_TO_VBLANK"};
    ScratchFolder bin("bin");
    const std::string glxinfo = bin.path() + "/glxinfo";
    for (const Case& c : cases) {
        std::ofstream(glxinfo) << "#!/bin/sh\necho 'OpenGL renderer string: " << c.renderer
                               << "'\n";
        std::filesystem::permissions(glxinfo, std::filesystem::perms::owner_all);
        std::vector<std::string> env = {"PATH=" + bin.path() + ":" + std::getenv("PATH"),
                                        "SDL_VIDEODRIVER=dummy", launcherChoosing(c.runtime)};
        for (const char* name : names)
            env.push_back(std::string(name) + "=");
        if (*c.given)
            env.push_back(c.given);
        ChildProcess launcher(tree.launcher(), {}, env);
        const pid_t program = findProcess(tree.program(), 3000);
        ASSERT_GT(program, 0) << launcher.errorOutput();
        for (size_t i = 0; i < c.settings.size(); ++i)
            EXPECT_EQ(environmentOf(program, names[i]), c.settings[i])
                << names[i] << ": " << runtimeName(c.runtime) << " on " << c.renderer
                << ", given \"" << c.given << '"';
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
