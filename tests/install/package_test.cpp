// The Debian package: what it holds, what it depends on, that its launcher finds its tree from
// the hosts' hack folder, and that Debian's checkers find no error in it.
#include "install_support.h"
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
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

// The package the package_build test made, unpacked into a folder of the test's own.
class PackageTest : public testing::Test {
  protected:
    ScratchFolder work{"package"};
    std::string deb;
    std::string usr() const { return work.path() + "/root/usr"; }

    void SetUp() override {
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(PACKAGE_DIR, error))
            if (entry.path().extension() == ".deb")
                deb = entry.path().string();
        ASSERT_FALSE(deb.empty()) << "no package in " PACKAGE_DIR "; run ctest -L package";
        const CommandResult unpacked = runCommand("dpkg-deb -x " + shellQuoted(deb) + " " +
                                                  shellQuoted(work.path() + "/root"));
        ASSERT_EQ(unpacked.status, 0) << unpacked.output;
    }
};

TEST_F(PackageTest, HoldsTheInstalledTreeUnderUsrAndDependsOnWhatTheProgramLinks) {
    const std::string usr = this->usr();
    std::vector<std::string> expected = {"usr/share/doc/basilrain/changelog.gz",
                                         "usr/share/doc/basilrain/copyright"};
    for (const std::string& file : installedFiles)
        expected.push_back("usr/" + file);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(filesUnder(work.path() + "/root"), expected);

    // Hosts run the link in the hack folder; it must lead to the launcher inside the package.
    const std::string hack = usr + "/libexec/xscreensaver/basilrain";
    EXPECT_EQ(std::filesystem::canonical(hack), std::filesystem::canonical(usr + "/bin/basilrain"));
    const std::string desktop =
        readFile(usr + "/share/applications/screensavers/basilrain.desktop");
    EXPECT_NE(desktop.find("\nExec=/usr/libexec/xscreensaver/basilrain --root\n"),
              std::string::npos)
        << desktop;
    // Its preview request ends at once, once the launcher has found the program and pictures.
    ChildProcess preview(hack, {"-p"});
    int status = -2;
    ASSERT_TRUE(preview.waitFor(3000, &status));
    EXPECT_EQ(status, 0) << preview.errorOutput();

    const CommandResult depends = runCommand("dpkg-deb -f " + shellQuoted(deb) + " Depends");
    ASSERT_EQ(depends.status, 0) << depends.output;
    const std::string program = usr + "/libexec/basilrain/basilrain";
    const CommandResult needed = runCommand("objdump -p " + shellQuoted(program));
    ASSERT_EQ(needed.status, 0) << needed.output;
    int libraries = 0;
    for (const std::string& line : lines(needed.output)) {
        std::istringstream words(line);
        std::string tag, soname;
        words >> tag >> soname;
        if (tag != "NEEDED")
            continue;
        ++libraries;
        const std::string package = packageOfLibrary(program, soname);
        ASSERT_NE(package, "") << "no Debian package holds " << soname;
        EXPECT_NE(depends.output.find(package + " (>= "), std::string::npos)
            << soname << " comes with " << package
            << ", which Depends leaves out: " << depends.output;
    }
    EXPECT_GE(libraries, 2) << "the program links SDL and SDL_image at least";
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
        runCommand("lintian --pedantic --display-info " + shellQuoted(deb));
    EXPECT_EQ(lintian.status, 0) << lintian.output;
    EXPECT_EQ(lintianErrors(lintian.output), std::vector<std::string>{}) << lintian.output;
    // Warnings and notes may remain; the log keeps them for whoever writes the release notes.
    std::cout << "lintian --pedantic --display-info:\n" << lintian.output;
}

// The version and the licence are set once, in the build; everything that names them agrees.
TEST_F(PackageTest, NamesTheBuildsVersionAndLicenceEverywhere) {
    const CommandResult version = runCommand("dpkg-deb -f " + shellQuoted(deb) + " Version");
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

} // namespace
