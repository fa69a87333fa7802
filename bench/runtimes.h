// The SDL 1.2 runtimes the benchmark measures: the one the loader finds by default (classic SDL
// on most systems) and sdl12-compat, the SDL 1.2 built on SDL 2, where it is installed.
#pragma once

#include <string>
#include <vector>

struct Runtime {
    std::string name;
    std::string libraryPath; // LD_LIBRARY_PATH for the child runs; empty keeps the caller's
};

std::vector<Runtime> installedRuntimes();

// The child runs started after this load `runtime`'s SDL.
void useRuntime(const Runtime& runtime);

// The file of the SDL this process loaded, "?" when it cannot be told.
std::string loadedSdlFile();
// Which SDL this process loaded: its version and file.
std::string loadedSdl();
