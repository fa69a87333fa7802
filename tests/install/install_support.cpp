#include "install_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

const std::vector<std::string> installedFiles = {
    "bin/basilrain",
    "libexec/basilrain/basilrain",
    "libexec/xscreensaver/basilrain",
    "share/applications/screensavers/basilrain.desktop",
    "share/basilrain/001.gif",
    "share/basilrain/basil.gif",
    "share/basilrain/egg.gif",
    "share/basilrain/kapka.gif",
    "share/basilrain/kapka2.gif",
    "share/basilrain/om.gif",
    "share/man/man6/basilrain.6.gz",
    "share/xscreensaver/config/basilrain.xml",
};

ScratchFolder::ScratchFolder(const std::string& name) {
    std::string pattern = testing::TempDir() + "basilrain-" + name + "-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a scratch folder in " + testing::TempDir());
    // Hosts may run the installed program as another user.
    chmod(pattern.c_str(), 0755);
    folder = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

InstalledTree::InstalledTree() {
    const CommandResult result =
        runCommand(shellQuoted(CMAKE_COMMAND) + " --install " + shellQuoted(BUILD_DIR) +
                   " --component basilrain --prefix " + shellQuoted(prefix()));
    installStatus = result.status;
    installLog = result.output;
}

CommandResult runCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.output.append(buffer, n);
    const int raw = pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return result;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> filesUnder(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            files.push_back(entry.path().lexically_relative(folder).string());
    std::sort(files.begin(), files.end());
    return files;
}

pid_t findProcess(const std::string& program, int waitMs) {
    const std::string wanted = std::filesystem::canonical(program).string();
    for (int waited = 0;; waited += 50) {
        if (DIR* proc = opendir("/proc")) {
            pid_t found = -1;
            while (dirent* entry = readdir(proc)) {
                const pid_t pid = std::atoi(entry->d_name);
                char exe[4096];
                const std::string link = "/proc/" + std::string(entry->d_name) + "/exe";
                const ssize_t n = pid > 0 ? readlink(link.c_str(), exe, sizeof exe - 1) : -1;
                if (n > 0 && std::string(exe, n) == wanted)
                    found = pid;
            }
            closedir(proc);
            if (found > 0)
                return found;
        }
        if (waited >= waitMs)
            return -1;
        sleepMs(50);
    }
}

bool processEnded(pid_t pid) {
    const std::string stat = readFile("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty())
        return true;
    // The state follows the parenthesised command name.
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] == 'Z';
}

std::string environmentOf(pid_t pid, const std::string& name) {
    std::istringstream variables(readFile("/proc/" + std::to_string(pid) + "/environ"));
    for (std::string entry; std::getline(variables, entry, '\0');)
        if (entry.compare(0, name.size() + 1, name + "=") == 0)
            return entry.substr(name.size() + 1);
    return "";
}

std::string workingFolderOf(pid_t pid) {
    std::error_code error;
    return std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/cwd", error).string();
}

namespace {

// Close enough to survive the 16-bit screen on either SDL.
bool alike(unsigned a, unsigned b) {
    for (int shift = 0; shift < 24; shift += 8)
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) -
                     static_cast<int>((b >> shift) & 0xFF)) > 8)
            return false;
    return true;
}

} // namespace

double Backdrop::shareShown(const XServer::Screenshot& shot, int left, int top, int x0, int y0,
                            int x1, int y1) const {
    int shown = 0, looked = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const int sx = left + x, sy = top + y;
            ++looked;
            if (sx >= 0 && sy >= 0 && sx < shot.width && sy < shot.height &&
                alike(shot.at(sx, sy), picture.rgbAt(x, y)))
                ++shown;
        }
    return looked ? static_cast<double>(shown) / looked : 0.0;
}

double Backdrop::worstQuarter(const XServer::Screenshot& shot, int left, int top) const {
    const int w = picture.width();
    const int h = picture.height();
    double worst = 1.0;
    for (int qy = 0; qy < 2; ++qy)
        for (int qx = 0; qx < 2; ++qx)
            worst = std::min(worst, shareShown(shot, left, top, qx * w / 2, qy * h / 2,
                                               (qx + 1) * w / 2, (qy + 1) * h / 2));
    return worst;
}

XServer::Screenshot waitForScene(XServer& x, const Backdrop& backdrop, int left, int top,
                                 double* worst) {
    XServer::Screenshot shot;
    for (int waited = 0; waited < 10000; waited += 100) {
        shot = x.screenshot();
        *worst = backdrop.worstQuarter(shot, left, top);
        if (*worst > 0.8)
            break;
        sleepMs(100);
    }
    return shot;
}

void keepScreenshot(const XServer::Screenshot& shot, const std::string& name) {
    const std::string folder = std::string(BUILD_DIR) + "/e2e-shots";
    mkdir(folder.c_str(), 0755);
    shot.savePpm(folder + "/" + name + ".ppm");
}
