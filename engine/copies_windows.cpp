// The copies that play on a Windows desktop's further monitors. They live in a job that Windows
// ends with the first process, however it ends; a wait on each tells the first process when a
// copy ended at the viewer's request, and the first passes that on to its own window as a close.
// Every process hears of monitors that come, go or change through its window's WM_DISPLAYCHANGE:
// the first starts and ends copies, and each fits its window to its own monitor anew.
#include "platform.h"
#include "scene.h"

#include <SDL_syswm.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

const wchar_t* const monitorVariables[] = {L"BASILRAIN_MONITOR", L"SDL_VIDEO_FULLSCREEN_DISPLAY",
                                           L"SDL_VIDEO_FULLSCREEN_HEAD"};

// Never freed: the wait that tells of its end may still read it.
struct Copy {
    HANDLE process = nullptr;
    std::wstring monitor;             // its display device, as "\\.\DISPLAY2"
    std::atomic<bool> leaving{false}; // its monitor went: its end is no request of the viewer's
};

HANDLE copies = nullptr;
std::vector<Copy*> started;
HWND window = nullptr; // this process's
bool isFirst = false;
std::wstring firstMonitor;
std::vector<wchar_t> program;
WNDPROC sdlProcedure = nullptr;
std::atomic<bool> monitorsChanged{false};

std::optional<std::wstring> variable(const wchar_t* name) {
    std::vector<wchar_t> value(32767);
    if (GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())) == 0 &&
        GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return std::nullopt;
    return std::wstring(value.data());
}

// The desktop's monitors in the order SDL numbers its displays: the primary first, then the
// others as Windows lists them.
std::vector<std::wstring> monitors() {
    std::vector<std::wstring> primary, others;
    DISPLAY_DEVICEW device = {};
    device.cb = sizeof device;
    for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &device, 0); ++i)
        if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)
            (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE ? primary : others)
                .push_back(device.DeviceName);
    primary.insert(primary.end(), others.begin(), others.end());
    return primary;
}

// Windows tells every top-level window of a change of the desktop's monitors; SDL's own
// procedure still handles every message.
LRESULT CALLBACK noticeMonitors(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DISPLAYCHANGE)
        monitorsChanged = true;
    return CallWindowProcW(sdlProcedure, window, message, wParam, lParam);
}

// A copy that ended with status 0 was ended by the viewer; one that could not open its monitor
// ended otherwise and leaves the rest playing.
VOID CALLBACK copyEnded(PVOID context, BOOLEAN) {
    const Copy* copy = static_cast<const Copy*>(context);
    DWORD status = 1;
    if (!copy->leaving && GetExitCodeProcess(copy->process, &status) && status == 0)
        PostMessageW(window, WM_CLOSE, 0, 0);
}

void endCopies() {
    TerminateJobObject(copies, 0);
}

// Started suspended, so that it is in the job before it can do anything.
void startCopy(int monitor, const std::wstring& device) {
    std::vector<std::optional<std::wstring>> before;
    for (const wchar_t* name : monitorVariables)
        before.push_back(variable(name));
    const std::wstring index = std::to_wstring(monitor);
    for (const wchar_t* name : monitorVariables)
        SetEnvironmentVariableW(name, index.c_str());
    const wchar_t* const arguments = GetCommandLineW();
    std::vector<wchar_t> commandLine(arguments, arguments + std::wcslen(arguments) + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const bool created = CreateProcessW(program.data(), commandLine.data(), nullptr, nullptr, FALSE,
                                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &process);
    for (size_t i = 0; i < before.size(); ++i)
        SetEnvironmentVariableW(monitorVariables[i], before[i] ? before[i]->c_str() : nullptr);
    if (!created) {
        std::fprintf(stderr,
                     "basilrain: cannot start the copy for monitor %d (Windows error %lu)\n",
                     monitor, GetLastError());
        return;
    }
    Copy* copy = new Copy;
    copy->process = process.hProcess;
    copy->monitor = device;
    HANDLE wait = nullptr;
    if (!AssignProcessToJobObject(copies, process.hProcess) ||
        !RegisterWaitForSingleObject(&wait, process.hProcess, copyEnded, copy, INFINITE,
                                     WT_EXECUTEONLYONCE)) {
        std::fprintf(stderr,
                     "basilrain: cannot tie the copy for monitor %d to this one (Windows error "
                     "%lu); monitor %d stays as it is\n",
                     monitor, GetLastError(), monitor);
        copy->leaving = true;
        TerminateProcess(process.hProcess, 1);
    } else {
        ResumeThread(process.hThread);
    }
    CloseHandle(process.hThread);
    started.push_back(copy);
}

bool playing(const Copy* copy) {
    return !copy->leaving && WaitForSingleObject(copy->process, 0) == WAIT_TIMEOUT;
}

// The window made to cover the monitor it mostly lies on, as that monitor is now: SDL sized it
// for the monitor as it was.
void refit(HWND window) {
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    RECT now = {};
    if (!GetWindowRect(window, &now) ||
        !GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor) ||
        EqualRect(&now, &monitor.rcMonitor))
        return;
    const RECT& to = monitor.rcMonitor;
    SetWindowPos(window, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// Ends the copies whose monitor has gone and starts one on each monitor that has none.
void playOn(const std::vector<std::wstring>& now) {
    for (Copy* copy : started)
        if (playing(copy) && std::find(now.begin(), now.end(), copy->monitor) == now.end()) {
            copy->leaving = true;
            TerminateProcess(copy->process, 0);
        }
    for (size_t monitor = 0; monitor < now.size(); ++monitor) {
        bool covered = now[monitor] == firstMonitor;
        for (const Copy* copy : started)
            covered |= copy->monitor == now[monitor] && playing(copy);
        if (!covered)
            startCopy(static_cast<int>(monitor), now[monitor]);
    }
}

} // namespace

void playOnEveryMonitor(char*[]) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1) {
        std::fprintf(stderr, "basilrain: playing on the first monitor only: %s\n", SDL_GetError());
        return;
    }
    window = info.window;
    sdlProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(noticeMonitors)));
    isFirst = !variable(monitorVariables[0]);
    if (!isFirst)
        return;

    copies = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!copies || !SetInformationJobObject(copies, JobObjectExtendedLimitInformation, &limits,
                                            sizeof limits)) {
        std::fprintf(stderr,
                     "basilrain: playing on the first monitor only: no job to hold the copies "
                     "(Windows error %lu)\n",
                     GetLastError());
        isFirst = false;
        return;
    }
    std::atexit(endCopies);

    // The program is named by its own path: the working directory is no longer the one its
    // command line was given in.
    program.resize(32767);
    GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    const std::vector<std::wstring> now = monitors();
    if (!now.empty())
        firstMonitor = now.front();
    playOn(now);
}

void followMonitors() {
    if (!sdlProcedure || !monitorsChanged.exchange(false))
        return;
    refit(window);
    if (isFirst)
        playOn(monitors());
}
