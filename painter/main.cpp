// Paints the scene's pictures into the folder given on the command line.
#include "backdrop.h"
#include "basil.h"
#include "contact_sheet.h"
#include "drops.h"
#include "egg.h"
#include "gif_file.h"
#include "om.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: painter OUTPUT-FOLDER\n";
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    try {
        const IndexedImage backdrop = quantise(paintBackdrop(), Dither::Ordered);
        const IndexedImage basil = quantise(paintBasil());
        const IndexedImage om = quantise(paintOm());
        const IndexedImage egg = quantise(paintEgg());
        const IndexedImage streak = quantise(paintStreak());
        const IndexedImage round = quantise(paintRoundDrop());
        const std::vector<SheetStrip> strips{{kBasilStrip, basil},
                                             {kOmStrip, om},
                                             {kEggStrip, egg},
                                             {kStreakStrip, streak},
                                             {kRoundDropStrip, round}};
        writeGif(folder + "001.gif", backdrop);
        for (const SheetStrip& s : strips) {
            writeGif(folder + s.layout.file, s.image);
        }
        writeContactSheet(folder + "contact-sheet.png", backdrop, strips);
    } catch (const std::exception& e) {
        std::cerr << "painter: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
