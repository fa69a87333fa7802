// What the install tests share: a fresh install into a private prefix, commands whose output is
// read, the installed program's process, and the backdrop as it should show on the screen.
#pragma once

#include "display_pace.h"
#include "process.h"
#include "reference_picture.h"
#include "xserver.h"

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Every file an install puts down, relative to its prefix.
extern const std::vector<std::string> installedFiles;

// A temporary folder, removed with everything in it; readable by every user.
class ScratchFolder {
  public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return folder; }

  private:
    std::string folder;
};

// `cmake --install` of the build into a prefix of its own.
class InstalledTree {
  public:
    InstalledTree();
    bool installed() const { return installStatus == 0; }
    const std::string& log() const { return installLog; }
    std::string prefix() const { return scratch.path(); }
    std::string path(const std::string& relative) const { return prefix() + "/" + relative; }
    std::string launcher() const { return path("bin/basilrain"); }
    std::string program() const { return path("libexec/basilrain/basilrain"); }
    std::string pictures() const { return path("share/basilrain"); }

  private:
    ScratchFolder scratch{"prefix"};
    int installStatus = -1;
    std::string installLog;
};

// A program started on this machine, killed when done with; null when `ready` (a file it makes)
// has not appeared within 10 seconds.
std::unique_ptr<ChildProcess> startAndWait(const std::string& program,
                                           const std::vector<std::string>& args,
                                           const std::vector<std::string>& env,
                                           const std::string& ready);
// openbox managing the windows of `x`, or null when it did not start.
std::unique_ptr<ChildProcess> startOpenbox(const XServer& x, const ScratchFolder& scratch);

// xscreensaver runs no hacks as root, so a root test hands the host to "nobody": that user, or
// null when the test is not root.
const struct passwd* hostUser();
// `command` run as hostUser() where there is one.
std::vector<std::string> asHostUser(std::vector<std::string> command);

struct CommandResult {
    int status = -1;
    std::string output; // stdout and stderr together
};
// Runs `command` through the shell and waits for it.
CommandResult runCommand(const std::string& command);
std::string shellQuoted(const std::string& text);

std::string readFile(const std::string& path);
std::vector<std::string> filesUnder(const std::string& folder); // relative, sorted

// The process running `program` (any user's), or -1 when none does.
pid_t findProcess(const std::string& program, int waitMs);
// Every process running `program` on the X server `x`.
std::vector<pid_t> processesOn(const XServer& x, const std::string& program);
// True once `pid` has gone, or is a zombie no one has reaped yet.
bool processEnded(pid_t pid);
// The environment variable `name` of a running process, "" when it has none.
std::string environmentOf(pid_t pid, const std::string& name);
std::string workingFolderOf(pid_t pid);

// The two SDL 1.2 libraries the program meets: the classic one, and sdl12-compat, SDL 1.2 on
// SDL2, which scales the scene to any window and which the launcher prefers.
enum class SdlRuntime { classic, compat };
std::string runtimeName(SdlRuntime runtime); // a word fit for a test's name
// The environment setting ("NAME=value") that makes the launcher choose `runtime`: for classic
// SDL, a folder to look for sdl12-compat in that lacks it, as on a machine without it.
std::string launcherChoosing(SdlRuntime runtime);
// The environment setting that runs the program itself on `runtime`.
std::string programOn(SdlRuntime runtime);
// The SDL 1.2 that the running process `pid` has loaded.
SdlRuntime runtimeOf(pid_t pid);

// Where the 800x600 scene shows on the screen: its top left corner and its scale.
struct ScenePlace {
    int left = 0;
    int top = 0;
    double scale = 1.0;
};
// In a window of width x height at (x, y), sdl12-compat scales the scene to fit, its shape kept,
// and centres it; classic SDL draws it unscaled from the window's top left corner.
ScenePlace sceneIn(SdlRuntime runtime, int x, int y, int width, int height);
// The share of the window of width x height at (x, y) that the box around everything not black,
// the windows' own colour, covers.
double filledShare(const XServer::Screenshot& shot, int x, int y, int width, int height);

// The installed backdrop, for telling whether the scene covers a part of the screen.
class Backdrop {
  public:
    explicit Backdrop(const std::string& file) : picture(file) {}
    bool loaded() const { return picture.loaded(); }
    // The share of the 800x600 scene, drawn with its top left at (left, top) of `shot` and
    // scaled by `scale`, that shows the backdrop in the region [x0, x1) x [y0, y1) of the scene.
    double shareShown(const XServer::Screenshot& shot, int left, int top, int x0, int y0, int x1,
                      int y1, double scale = 1.0) const;
    // The worst share over the scene's four quarters, so that a scene drawn only in part of
    // the screen, or not at all, scores low.
    double worstQuarter(const XServer::Screenshot& shot, int left, int top,
                        double scale = 1.0) const;

  private:
    ReferencePicture picture;
};

// Waits until the program has put its first frame on every monitor: something other than the
// root's own black or grey.
bool sceneShown(XServer& x);
// Waits up to `limitMs` until the scene's backdrop shows in every quarter; returns the last
// screenshot.
XServer::Screenshot waitForScene(XServer& x, const Backdrop& backdrop, int left, int top,
                                 double* worst, double scale = 1.0, int limitMs = 10000);
// Expects the frames shown over a second in `window` (0: anywhere on the screen) to keep to the
// display's pace: some, and no more than the display's refreshes.
void expectDisplaysPace(const XServer& x, unsigned long window, const std::string& what);

// Keeps a screenshot beside the build's other end-to-end shots, for a person to look at.
void keepScreenshot(const XServer::Screenshot& shot, const std::string& name);

// An installed tree's launcher run from another folder on an X server of its own with `env`
// added: expects the scene to fill the screen (the screenshot kept as `shotName`), hands the
// server and the program's process to `whilePlaying`, then expects Escape to end it with
// status 0.
void playUntilEscape(const std::string& launcher, const std::string& program,
                     const std::string& pictures, const std::vector<std::string>& env,
                     const std::string& shotName,
                     const std::function<void(const XServer&, pid_t)>& whilePlaying);
