// The only way a picture file reaches the loader.
#pragma once

#include "picture_budget.h"
#include "picture_file.h"

#include <SDL.h>

#include <string>
#include <vector>

// Hands the loader the very bytes it read from a file, and only when every block is well
// formed, the first image (the one the loader decodes) has a size the loader can make a surface
// of, and its compressed pixels are ones the loader reads as the format means them. A file is
// read once for as long as it stays the same file, and nothing decodes it but the loader. The
// kept bytes and every surface handed out are charged to a budget.
class CPictureGate {
  public:
    explicit CPictureGate(std::size_t budgetBytes = pictureBudgetMiB << 20) : budget(budgetBytes) {}

    // A reader for IMG_Load_RW over the checked bytes of `file`, with the surface it becomes
    // (`bytesPerPixel` for each of its pixels) charged to the budget. Null, with the reason as
    // SDL's error, when the file is refused or the surface would not fit.
    SDL_RWops* open(const char* file, int bytesPerPixel);

  private:
    struct Checked {
        std::string file;
        FileIdentity identity;
        std::string refusal;
        std::vector<unsigned char> bytes;
        int width = 0;
        int height = 0;
    };

    Checked& checked(const char* file);
    std::string check(Checked& c) const;

    std::vector<Checked> files;
    CPictureBudget budget;
};

// The scene's gate, charging surfaces in the screen's format.
SDL_RWops* openCheckedPicture(const char* file);
