// The copies that play on a Windows desktop's further monitors. They live in a job that Windows
// ends with the first process, however it ends; a wait on each tells the first process when a
// copy ended at the viewer's request, and the first passes that on to its own window as a close.
#include "platform.h"
#include "scene.h"

#include <SDL_syswm.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

const wchar_t* const monitorVariables[] = {L"BASILRAIN_MONITOR", L"SDL_VIDEO_FULLSCREEN_DISPLAY",
                                           L"SDL_VIDEO_FULLSCREEN_HEAD"};

HANDLE copies = nullptr;
HWND firstWindow = nullptr;

std::optional<std::wstring> variable(const wchar_t* name) {
    std::vector<wchar_t> value(32767);
    if (GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())) == 0 &&
        GetLastError() == ERROR_ENVVAR_NOT_FOUND)
        return std::nullopt;
    return std::wstring(value.data());
}

// A copy that ended with status 0 was ended by the viewer; one that could not open its monitor
// ended otherwise and leaves the rest playing.
VOID CALLBACK copyEnded(PVOID process, BOOLEAN) {
    DWORD status = 1;
    if (GetExitCodeProcess(process, &status) && status == 0)
        PostMessageW(firstWindow, WM_CLOSE, 0, 0);
}

void endCopies() {
    TerminateJobObject(copies, 0);
}

// Started suspended, so that it is in the job before it can do anything.
void startCopy(int monitor, const wchar_t* program) {
    const std::wstring index = std::to_wstring(monitor);
    for (const wchar_t* name : monitorVariables)
        SetEnvironmentVariableW(name, index.c_str());
    const wchar_t* const arguments = GetCommandLineW();
    std::vector<wchar_t> commandLine(arguments, arguments + std::wcslen(arguments) + 1);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION copy = {};
    if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                        nullptr, nullptr, &startup, &copy)) {
        std::fprintf(stderr,
                     "basilrain: cannot start the copy for monitor %d (Windows error %lu)\n",
                     monitor, GetLastError());
        return;
    }
    HANDLE wait = nullptr;
    if (!AssignProcessToJobObject(copies, copy.hProcess) ||
        !RegisterWaitForSingleObject(&wait, copy.hProcess, copyEnded, copy.hProcess, INFINITE,
                                     WT_EXECUTEONLYONCE)) {
        std::fprintf(stderr,
                     "basilrain: cannot tie the copy for monitor %d to this one (Windows error "
                     "%lu); monitor %d stays as it is\n",
                     monitor, GetLastError(), monitor);
        TerminateProcess(copy.hProcess, 1);
        CloseHandle(copy.hProcess);
    } else {
        ResumeThread(copy.hThread);
    }
    CloseHandle(copy.hThread);
}

} // namespace

void playOnEveryMonitor(char*[]) {
    const int monitors = GetSystemMetrics(SM_CMONITORS);
    if (monitors < 2 || variable(monitorVariables[0]))
        return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1) {
        std::fprintf(stderr, "basilrain: playing on the first monitor only: %s\n", SDL_GetError());
        return;
    }
    firstWindow = info.window;

    copies = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!copies || !SetInformationJobObject(copies, JobObjectExtendedLimitInformation, &limits,
                                            sizeof limits)) {
        std::fprintf(stderr,
                     "basilrain: playing on the first monitor only: no job to hold the copies "
                     "(Windows error %lu)\n",
                     GetLastError());
        return;
    }
    std::atexit(endCopies);

    // The program is named by its own path: the working directory is no longer the one its
    // command line was given in.
    std::vector<wchar_t> program(32767);
    GetModuleFileNameW(nullptr, program.data(), static_cast<DWORD>(program.size()));
    std::vector<std::optional<std::wstring>> before;
    for (const wchar_t* name : monitorVariables)
        before.push_back(variable(name));
    for (int monitor = 1; monitor < monitors; ++monitor)
        startCopy(monitor, program.data());
    for (size_t i = 0; i < before.size(); ++i)
        SetEnvironmentVariableW(monitorVariables[i], before[i] ? before[i]->c_str() : nullptr);
}
