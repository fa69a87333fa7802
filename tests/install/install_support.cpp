#include "install_support.h"
#include "process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <pwd.h>
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

namespace {

// The processes running the file `wanted`, by their /proc/PID/exe.
std::vector<pid_t> processesRunning(const std::string& wanted) {
    std::vector<pid_t> found;
    if (DIR* proc = opendir("/proc")) {
        while (dirent* entry = readdir(proc)) {
            const pid_t pid = std::atoi(entry->d_name);
            char exe[4096];
            const std::string link = "/proc/" + std::string(entry->d_name) + "/exe";
            const ssize_t n = pid > 0 ? readlink(link.c_str(), exe, sizeof exe - 1) : -1;
            if (n > 0 && std::string(exe, n) == wanted)
                found.push_back(pid);
        }
        closedir(proc);
    }
    return found;
}

} // namespace

pid_t findProcess(const std::string& program, int waitMs) {
    const std::string wanted = std::filesystem::canonical(program).string();
    for (int waited = 0;; waited += 50) {
        const std::vector<pid_t> found = processesRunning(wanted);
        if (!found.empty())
            return found.back();
        if (waited >= waitMs)
            return -1;
        sleepMs(50);
    }
}

std::vector<pid_t> processesOn(const XServer& x, const std::string& program) {
    std::vector<pid_t> on;
    for (pid_t pid : processesRunning(std::filesystem::canonical(program).string()))
        if ("DISPLAY=" + environmentOf(pid, "DISPLAY") == x.displayVariable() && !processEnded(pid))
            on.push_back(pid);
    return on;
}

std::unique_ptr<ChildProcess> startAndWait(const std::string& program,
                                           const std::vector<std::string>& args,
                                           const std::vector<std::string>& env,
                                           const std::string& ready) {
    auto child = std::make_unique<ChildProcess>(program, args, env, "/");
    for (int waited = 0; access(ready.c_str(), F_OK) != 0 && waited < 10000; waited += 50)
        sleepMs(50);
    return access(ready.c_str(), F_OK) == 0 ? std::move(child) : nullptr;
}

std::unique_ptr<ChildProcess> startOpenbox(const XServer& x, const ScratchFolder& scratch) {
    return startAndWait("/usr/bin/openbox", {"--startup", "touch " + scratch.path() + "/managing"},
                        {x.displayVariable()}, scratch.path() + "/managing");
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
constexpr int channelSlack = 8;

int channel(unsigned rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

// A pixel of the scene as scaled blends the backdrop's pixels around the point it stands for,
// and the scaler may round that point either way: it shows the backdrop when each of its
// channels lies within the range of theirs. Unscaled, it must match its own pixel.
bool shows(const ReferencePicture& picture, unsigned pixel, double u, double v, bool scaled) {
    const int reachBack = scaled ? 1 : 0;
    const int reachOn = scaled ? 2 : 0;
    const int u0 = std::max(0, static_cast<int>(std::floor(u)) - reachBack);
    const int v0 = std::max(0, static_cast<int>(std::floor(v)) - reachBack);
    const int u1 = std::min(picture.width() - 1, static_cast<int>(std::floor(u)) + reachOn);
    const int v1 = std::min(picture.height() - 1, static_cast<int>(std::floor(v)) + reachOn);
    for (int shift = 0; shift < 24; shift += 8) {
        int low = 255, high = 0;
        for (int y = v0; y <= v1; ++y)
            for (int x = u0; x <= u1; ++x) {
                low = std::min(low, channel(picture.rgbAt(x, y), shift));
                high = std::max(high, channel(picture.rgbAt(x, y), shift));
            }
        const int shown = channel(pixel, shift);
        if (shown < low - channelSlack || shown > high + channelSlack)
            return false;
    }
    return true;
}

} // namespace

std::string runtimeName(SdlRuntime runtime) {
    return runtime == SdlRuntime::classic ? "ClassicSdl" : "Sdl12Compat";
}

std::string launcherChoosing(SdlRuntime runtime) {
    return "BASILRAIN_SDL12_COMPAT_DIR=" +
           (runtime == SdlRuntime::classic ? testing::TempDir() : std::string());
}

std::string programOn(SdlRuntime runtime) {
    return "LD_LIBRARY_PATH=" + std::string(runtime == SdlRuntime::compat ? SDL12_COMPAT_DIR : "");
}

SdlRuntime runtimeOf(pid_t pid) {
    const std::string maps = readFile("/proc/" + std::to_string(pid) + "/maps");
    return maps.find("/libSDL2-2.0.so") != std::string::npos ? SdlRuntime::compat
                                                             : SdlRuntime::classic;
}

ScenePlace sceneIn(SdlRuntime runtime, int x, int y, int width, int height) {
    if (runtime == SdlRuntime::classic)
        return {x, y, 1.0};
    const double scale = std::min(width / 800.0, height / 600.0);
    return {x + (width - static_cast<int>(800 * scale)) / 2,
            y + (height - static_cast<int>(600 * scale)) / 2, scale};
}

double filledShare(const XServer::Screenshot& shot, int x, int y, int width, int height) {
    int left = x + width, right = x - 1, top = y + height, bottom = y - 1;
    for (int sy = std::max(0, y); sy < std::min(shot.height, y + height); ++sy)
        for (int sx = std::max(0, x); sx < std::min(shot.width, x + width); ++sx)
            if ((shot.at(sx, sy) & 0xF0F0F0) != 0) {
                left = std::min(left, sx);
                right = std::max(right, sx);
                top = std::min(top, sy);
                bottom = std::max(bottom, sy);
            }
    if (right < left)
        return 0.0;
    return static_cast<double>(right - left + 1) * (bottom - top + 1) / (double(width) * height);
}

double Backdrop::shareShown(const XServer::Screenshot& shot, int left, int top, int x0, int y0,
                            int x1, int y1, double scale) const {
    const bool scaled = scale != 1.0;
    int shown = 0, looked = 0;
    for (int sy = top + static_cast<int>(std::ceil(y0 * scale));
         sy < top + static_cast<int>(std::ceil(y1 * scale)); ++sy)
        for (int sx = left + static_cast<int>(std::ceil(x0 * scale));
             sx < left + static_cast<int>(std::ceil(x1 * scale)); ++sx) {
            ++looked;
            // The backdrop's point at this pixel's centre.
            const double u = (sx - left + 0.5) / scale - 0.5;
            const double v = (sy - top + 0.5) / scale - 0.5;
            if (sx >= 0 && sy >= 0 && sx < shot.width && sy < shot.height &&
                shows(picture, shot.at(sx, sy), u, v, scaled))
                ++shown;
        }
    return looked ? static_cast<double>(shown) / looked : 0.0;
}

double Backdrop::worstQuarter(const XServer::Screenshot& shot, int left, int top,
                              double scale) const {
    const int w = picture.width();
    const int h = picture.height();
    double worst = 1.0;
    for (int qy = 0; qy < 2; ++qy)
        for (int qx = 0; qx < 2; ++qx)
            worst = std::min(worst, shareShown(shot, left, top, qx * w / 2, qy * h / 2,
                                               (qx + 1) * w / 2, (qy + 1) * h / 2, scale));
    return worst;
}

bool sceneShown(XServer& x) {
    for (int waited = 0; waited < 10000; waited += 100) {
        const XServer::Screenshot shot = x.screenshot();
        const bool shown = std::all_of(
            x.monitors().begin(), x.monitors().end(), [&shot](const XServer::Monitor& m) {
                for (int y = m.y; y < m.y + m.height; ++y)
                    for (int col = m.x; col < m.x + m.width; ++col)
                        if (shot.at(col, y) != 0 && shot.at(col, y) != XServer::rootGrey)
                            return true;
                return false;
            });
        if (shown)
            return true;
        sleepMs(100);
    }
    return false;
}

XServer::Screenshot waitForScene(XServer& x, const Backdrop& backdrop, int left, int top,
                                 double* worst, double scale, int limitMs) {
    XServer::Screenshot shot;
    for (int waited = 0; waited < limitMs; waited += 100) {
        shot = x.screenshot();
        *worst = backdrop.worstQuarter(shot, left, top, scale);
        if (*worst > 0.8)
            break;
        sleepMs(100);
    }
    return shot;
}

void expectDisplaysPace(const XServer& x, unsigned long window, const std::string& what) {
    const FramesAndRefreshes counted = framesAndRefreshes(x, window, 1000);
    ASSERT_GE(counted.refreshes, 0) << "the X server keeps no Present frame counter";
    EXPECT_GT(counted.frames, 0) << what << ": no frame was shown";
    // A frame shown as the count starts or ends may fall on either side of it.
    EXPECT_LE(counted.frames, counted.refreshes + 2)
        << what << ": more frames than the display shows";
    std::printf("[ paced    ] %s: %ld frames shown over %ld refreshes of the display\n",
                what.c_str(), counted.frames, counted.refreshes);
}

void keepScreenshot(const XServer::Screenshot& shot, const std::string& name) {
    const std::string folder = std::string(BUILD_DIR) + "/e2e-shots";
    mkdir(folder.c_str(), 0755);
    shot.savePpm(folder + "/" + name + ".ppm");
}

void playUntilEscape(const std::string& launcher, const std::string& program,
                     const std::string& pictures, const std::vector<std::string>& env,
                     const std::string& shotName,
                     const std::function<void(const XServer&, pid_t)>& whilePlaying) {
    XServer x;
    ASSERT_TRUE(x.ready()) << "Xvfb did not start";
    const Backdrop backdrop(pictures + "/001.gif");
    ASSERT_TRUE(backdrop.loaded());
    ScratchFolder elsewhere("elsewhere");
    std::vector<std::string> launcherEnv = {x.displayVariable(),
                                            "XSCREENSAVER_WINDOW=", "SDL_WINDOWID="};
    launcherEnv.insert(launcherEnv.end(), env.begin(), env.end());
    ChildProcess running(launcher, {}, launcherEnv, elsewhere.path());

    double worst = 0;
    const XServer::Screenshot shot = waitForScene(x, backdrop, 0, 0, &worst);
    keepScreenshot(shot, shotName);
    EXPECT_GT(worst, 0.8) << "the backdrop does not fill the screen\n" << running.errorOutput();

    const pid_t pid = findProcess(program, 2000);
    ASSERT_GT(pid, 0) << "the launcher did not start " << program;
    whilePlaying(x, pid);

    ASSERT_TRUE(x.xdotool({"key", "Escape"}));
    int status = -2;
    ASSERT_TRUE(running.waitFor(3000, &status)) << "Escape did not end it";
    EXPECT_EQ(status, 0) << running.errorOutput();
}

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
