// The process entry on systems where SDL brings no start-up code of its own.
#include "scene.h"

#include <cstdlib>

int main(int argc, char* argv[]) {
    // Restores the display however the program ends, the early preview exit included.
    std::atexit(SDL_Quit);
    return SDL_main(argc, argv);
}
