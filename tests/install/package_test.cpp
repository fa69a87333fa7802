// The Debian package and the RPM: what they hold, what they depend on, that their launcher finds
// its tree from the hosts' hack folder, and that each family's checkers find no error in them;
// and that the run command installs none of what only testing needs.
#include "install_support.h"
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>

namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            out.push_back(line);
    return out;
}

// The second word of each line of `text` whose first word is `first`.
std::vector<std::string> wordsAfter(const std::string& first, const std::string& text) {
    std::vector<std::string> found;
    for (const std::string& line : lines(text)) {
        std::istringstream words(line);
        std::string word, next;
        words >> word >> next;
        if (word == first)
            found.push_back(next);
    }
    return found;
}

// The Debian package that holds the library a program loads as `soname`, or "" if none does.
std::string packageOfLibrary(const std::string& program, const std::string& soname) {
    const CommandResult found = runCommand("ldd " + shellQuoted(program));
    for (const std::string& line : lines(found.output)) {
        std::istringstream words(line);
        std::string name, arrow, path;
        words >> name >> arrow >> path;
        if (name != soname || arrow != "=>")
            continue;
        // dpkg knows each library by one of its names, with or without the /usr of merged roots.
        std::error_code error;
        const std::string real = std::filesystem::canonical(path, error).string();
        const std::string other = real.rfind("/usr/", 0) == 0 ? real.substr(4) : "/usr" + real;
        for (const std::string& candidate : {path, real, other}) {
            const CommandResult owner = runCommand("dpkg -S " + shellQuoted(candidate));
            if (owner.status == 0)
                return owner.output.substr(0, owner.output.find_first_of(":,"));
        }
    }
    return "";
}

// The sonames of the libraries `program` links.
std::vector<std::string> neededLibraries(const std::string& program) {
    const CommandResult needed = runCommand("objdump -p " + shellQuoted(program));
    EXPECT_EQ(needed.status, 0) << needed.output;
    const std::vector<std::string> sonames = wordsAfter("NEEDED", needed.output);
    EXPECT_GE(sonames.size(), 2u) << "the program links SDL and SDL_image at least";
    return sonames;
}

// A package the package_build test made, unpacked into a folder of the test's own.
class UnpackedPackage : public testing::Test {
  protected:
    ScratchFolder work{"package"};
    std::string package;
    std::string root() const { return work.path() + "/root"; }
    std::string usr() const { return root() + "/usr"; }
    std::string program() const { return usr() + "/libexec/basilrain/basilrain"; }

    // Finds the package whose name ends in `extension` and unpacks it in root() by running
    // `tool`, the package and `rest`.
    void unpack(const std::string& extension, const std::string& tool, const std::string& rest) {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(PACKAGE_DIR, error))
            if (entry.path().extension() == extension)
                package = entry.path().string();
        ASSERT_FALSE(package.empty())
            << "no " << extension << " in " PACKAGE_DIR "; run ctest -L package";
        std::filesystem::create_directories(root());
        const CommandResult unpacked =
            runCommand("cd " + shellQuoted(root()) + " && " + tool + " " + shellQuoted(package) +
                       " " + rest);
        ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    }

    // The installed tree under usr/ with the package's own `papers`, its link in the hack folder
    // leading to its launcher, which finds the program and the pictures.
    void expectInstalledTree(std::vector<std::string> papers) {
        for (const std::string& file : installedFiles)
            papers.push_back("usr/" + file);
        std::sort(papers.begin(), papers.end());
        EXPECT_EQ(filesUnder(root()), papers);

        const std::string hack = usr() + "/libexec/xscreensaver/basilrain";
        EXPECT_EQ(std::filesystem::canonical(hack),
                  std::filesystem::canonical(usr() + "/bin/basilrain"));
        const std::string desktop =
            readFile(usr() + "/share/applications/screensavers/basilrain.desktop");
        EXPECT_NE(desktop.find("\nExec=/usr/libexec/xscreensaver/basilrain --root\n"),
                  std::string::npos)
            << desktop;
        // Its preview request ends at once, once the launcher has found the program and pictures.
        ChildProcess preview(hack, {"-p"});
        int status = -2;
        ASSERT_TRUE(preview.waitFor(3000, &status));
        EXPECT_EQ(status, 0) << preview.errorOutput();
    }
};

class PackageTest : public UnpackedPackage {
  protected:
    void SetUp() override { unpack(".deb", "dpkg-deb -x", "."); }
};

TEST_F(PackageTest, HoldsTheInstalledTreeUnderUsrAndDependsOnWhatTheProgramLinks) {
    expectInstalledTree({"usr/share/doc/basilrain/changelog.gz", "usr/share/doc/basilrain/copyright"});

    const CommandResult depends = runCommand("dpkg-deb -f " + shellQuoted(package) + " Depends");
    ASSERT_EQ(depends.status, 0) << depends.output;
    for (const std::string& soname : neededLibraries(program())) {
        const std::string owner = packageOfLibrary(program(), soname);
        ASSERT_NE(owner, "") << "no Debian package holds " << soname;
        // dpkg-shlibdeps leaves the version out where any the archive has will do (libx11-6).
        const std::string entries =
            ", " + depends.output.substr(0, depends.output.find('\n')) + ",";
        EXPECT_TRUE(entries.find(", " + owner + " (>= ") != std::string::npos ||
                    entries.find(", " + owner + ",") != std::string::npos)
            << soname << " comes with " << owner
            << ", which Depends leaves out: " << depends.output;
    }
}

// lintian's error lines, "E: package: tag ...".
std::vector<std::string> lintianErrors(const std::string& output) {
    std::vector<std::string> errors;
    for (const std::string& line : lines(output))
        if (line.rfind("E: ", 0) == 0)
            errors.push_back(line);
    return errors;
}

TEST_F(PackageTest, DesktopEntryAndPackagePassDebiansCheckers) {
    const CommandResult entry =
        runCommand("desktop-file-validate " +
                   shellQuoted(usr() + "/share/applications/screensavers/basilrain.desktop"));
    EXPECT_EQ(entry.status, 0) << entry.output;
    EXPECT_EQ(entry.output.find("error:"), std::string::npos) << entry.output;

    const CommandResult lintian =
        runCommand("lintian --pedantic --display-info " + shellQuoted(package));
    EXPECT_EQ(lintian.status, 0) << lintian.output;
    EXPECT_EQ(lintianErrors(lintian.output), std::vector<std::string>{}) << lintian.output;
    // Warnings and notes may remain; the log keeps them for whoever writes the release notes.
    std::cout << "lintian --pedantic --display-info:\n" << lintian.output;
}

// The version and the licence are set once, in the build; everything that names them agrees.
TEST_F(PackageTest, NamesTheBuildsVersionAndLicenceEverywhere) {
    const CommandResult version = runCommand("dpkg-deb -f " + shellQuoted(package) + " Version");
    EXPECT_EQ(version.output, PROJECT_VERSION "\n");
    const CommandResult man =
        runCommand("zcat " + shellQuoted(usr() + "/share/man/man6/basilrain.6.gz"));
    EXPECT_NE(man.output.find("\"basilrain " PROJECT_VERSION "\""), std::string::npos);
    EXPECT_NE(man.output.find("under the " PROJECT_LICENSE " licence"), std::string::npos);
    const std::string copyright = readFile(usr() + "/share/doc/basilrain/copyright");
    EXPECT_NE(copyright.find("\nLicense: " PROJECT_LICENSE "\n"), std::string::npos) << copyright;
    EXPECT_NE(
        readFile(SOURCE_DIR "/README.md").find("released under the " PROJECT_LICENSE " licence"),
        std::string::npos);
}

class RpmTest : public UnpackedPackage {
  protected:
    void SetUp() override { unpack(".rpm", "rpm2cpio", "| cpio -idm --quiet"); }
    // rpm's answer, a line an item, to the query `options` of the package.
    std::vector<std::string> query(const std::string& options) const {
        const CommandResult result = runCommand("rpm -qp " + options + " " + shellQuoted(package));
        EXPECT_EQ(result.status, 0) << result.output;
        return lines(result.output);
    }
};

const std::string licenceFile = "/usr/share/licenses/basilrain/LICENSE";

TEST_F(RpmTest, HoldsTheSameTreeAndRequiresTheLibrariesTheProgramLinks) {
    expectInstalledTree({licenceFile.substr(1)});

    std::vector<std::string> folders;
    std::string licenceFlags;
    for (const std::string& line :
         query("--qf '[%{FILEMODES:perms} %{FILENAMES} %{FILEFLAGS:fflags}\\n]'")) {
        std::istringstream words(line);
        std::string mode, path, flags;
        words >> mode >> path >> flags;
        if (mode[0] == 'd')
            folders.push_back(path);
        if (path == licenceFile)
            licenceFlags = flags;
    }
    // Its own folders and the hosts', which no requirement brings; the system's, /usr/share/man
    // among them, belong to the system.
    EXPECT_EQ(folders, (std::vector<std::string>{
                           "/usr/libexec/basilrain", "/usr/libexec/xscreensaver",
                           "/usr/share/applications/screensavers", "/usr/share/basilrain",
                           "/usr/share/licenses/basilrain", "/usr/share/xscreensaver",
                           "/usr/share/xscreensaver/config"}));
    EXPECT_EQ(licenceFlags, "l") << "the licence is not marked as a licence file";

    // Generated from the files, every one, so that whatever provides the libraries satisfies
    // them: sdl12-compat provides libSDL-1.2.so.0 where it is the system's SDL 1.2.
    const std::vector<std::string> requirements = query("--requires");
    for (const std::string& soname : neededLibraries(program()))
        EXPECT_NE(std::find(requirements.begin(), requirements.end(), soname + "()(64bit)"),
                  requirements.end())
            << soname << " is not required: " << testing::PrintToString(requirements);
    for (const std::string& requirement : requirements)
        EXPECT_TRUE(requirement.find(".so.") != std::string::npos || requirement[0] == '/' ||
                    requirement.rfind("rpmlib(", 0) == 0 || requirement.rfind("rtld(", 0) == 0)
            << "not generated from the files: " << requirement;
    EXPECT_EQ(query("--suggests"),
              (std::vector<std::string>{"mate-screensaver", "xscreensaver", "xsecurelock"}));
}

TEST_F(RpmTest, NamesTheBuildsVersionLicenceAndPackager) {
    const std::vector<std::string> fields = query(
        "--qf '%{VERSION}-%{RELEASE} %{LICENSE}\\n%{VENDOR} <" PACKAGER_ADDRESS ">\\n%{PACKAGER}\\n'");
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], PROJECT_VERSION "-1 " PROJECT_LICENSE);
    EXPECT_EQ(fields[2], fields[1]) << "the packager is not the vendor at the address set";
    const std::vector<std::string> changelog = query("--changelog");
    ASSERT_FALSE(changelog.empty()) << "no changelog";
    const std::string newest = changelog.front();
    EXPECT_EQ(newest.substr(newest.find(fields[2])), fields[2] + " - " PROJECT_VERSION "-1");
}

TEST_F(RpmTest, RpmlintFindsNoErrorButTheMissingSignature) {
    const CommandResult rpmlint = runCommand("rpmlint " + shellQuoted(package));
    std::vector<std::string> errors;
    for (const std::string& line : lines(rpmlint.output))
        if (const size_t at = line.find(": E: "); at != std::string::npos)
            errors.push_back(line.substr(at + 5));
    // Whoever publishes the package signs it.
    EXPECT_EQ(errors, std::vector<std::string>{"no-signature"}) << rpmlint.output;
    std::cout << "rpmlint:\n" << rpmlint.output;
}

// On the systems the RPM is for, the SDL 1.2 the loader finds is sdl12-compat itself, and the
// launcher finds no folder of sdl12-compat's own to prefer.
TEST_F(RpmTest, OnASystemWhoseSdlIsSdl12CompatTheLauncherPlaysTheSceneAndEndsOnEscape) {
    playUntilEscape(usr() + "/bin/basilrain", program(), usr() + "/share/basilrain",
                    {launcherChoosing(SdlRuntime::classic), programOn(SdlRuntime::compat)},
                    "rpm-launcher-system-sdl12-compat",
                    [](const XServer&, pid_t running) {
                        EXPECT_EQ(runtimeName(runtimeOf(running)),
                                  runtimeName(SdlRuntime::compat));
                        EXPECT_EQ(environmentOf(running, "SDL_RENDER_DRIVER"), "software")
                            << "Xvfb's OpenGL is llvmpipe";
                    });
}

// The packages apt would install on a machine that has none, for `packages`.
std::set<std::string> freshInstall(const std::vector<std::string>& packages) {
    ScratchFolder state("dpkg-status");
    const std::string status = state.path() + "/status";
    std::ofstream(status).close();
    std::string command = "apt-get -s -o Dir::State::status=" + shellQuoted(status) +
                          " install --no-install-recommends";
    for (const std::string& name : packages)
        command += " " + shellQuoted(name);
    const CommandResult simulated = runCommand(command);
    EXPECT_EQ(simulated.status, 0) << simulated.output;
    const std::vector<std::string> installed = wordsAfter("Inst", simulated.output);
    return {installed.begin(), installed.end()};
}

std::vector<std::string> installerList(const std::string& options) {
    const CommandResult listed =
        runCommand(shellQuoted(SOURCE_DIR "/scripts/install-deps.sh") + " --list " + options);
    EXPECT_EQ(listed.status, 0) << listed.output;
    return lines(listed.output);
}

TEST(RunCommandTest, OnAFreshMachineInstallsNothingThatOnlyTestingNeeds) {
    const std::vector<std::string> running = installerList("");
    const std::vector<std::string> testing = installerList("--test");
    const std::set<std::string> forRunning = freshInstall(running);
    ASSERT_FALSE(forRunning.empty());
    for (const std::string& name : testing) {
        if (std::find(running.begin(), running.end(), name) == running.end()) {
            EXPECT_EQ(forRunning.count(name), 0u) << name << " comes with the run command";
        }
    }
    for (const char* name : {"mate-screensaver", "xsecurelock", "xscreensaver", "clang", "valgrind"})
        EXPECT_EQ(forRunning.count(name), 0u) << name << " comes with the run command";
    std::cout << "on a machine with no package, the run command installs " << forRunning.size()
              << " packages and the test command " << freshInstall(testing).size() << "\n";
}

} // namespace
