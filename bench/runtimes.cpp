#include "runtimes.h"

#include <SDL.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>

namespace {

// The caller's own library path, restored for the default runtime.
const std::optional<std::string> callersPath = [] {
    const char* path = std::getenv("LD_LIBRARY_PATH");
    return path ? std::optional<std::string>(path) : std::nullopt;
}();

} // namespace

std::vector<Runtime> installedRuntimes() {
    std::vector<Runtime> runtimes = {{"classic", ""}};
    const std::string compat = SDL12_COMPAT_DIR;
    if (access((compat + "/libSDL-1.2.so.0").c_str(), R_OK) == 0)
        runtimes.push_back({"sdl12-compat", compat});
    return runtimes;
}

void useRuntime(const Runtime& runtime) {
    if (!runtime.libraryPath.empty())
        setenv("LD_LIBRARY_PATH", runtime.libraryPath.c_str(), 1);
    else if (callersPath)
        setenv("LD_LIBRARY_PATH", callersPath->c_str(), 1);
    else
        unsetenv("LD_LIBRARY_PATH");
}

std::string loadedSdlFile() {
    Dl_info library{};
    if (dladdr(reinterpret_cast<void*>(&SDL_Init), &library) && library.dli_fname)
        return library.dli_fname;
    return "?";
}

std::string loadedSdl() {
    const SDL_version* v = SDL_Linked_Version();
    return "SDL " + std::to_string(v->major) + "." + std::to_string(v->minor) + "." +
           std::to_string(v->patch) + " from " + loadedSdlFile();
}
