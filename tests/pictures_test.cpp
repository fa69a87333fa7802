// Checks on the pictures the painter leaves in the build root, read the way the program reads
// them, and on the painter's own parts.
#include "frame_ranges.h"
#include "gif_file.h"
#include "indexed_image.h"
#include "strip.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Gif {
    int width = 0;
    int height = 0;
    int images = 0;
    bool graphicsControl = false;
    std::vector<GifColorType> palette;
    std::vector<GifByteType> pixels;

    int index(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    bool transparent(int x, int y) const {
        const GifColorType& c = palette[index(x, y)];
        return c.Red == 0 && c.Green == 0 && c.Blue == 0;
    }
};

bool isGraphicsControl(const ExtensionBlock* blocks, int count) {
    for (int i = 0; i < count; ++i) {
        if (blocks[i].Function == GRAPHICS_EXT_FUNC_CODE) {
            return true;
        }
    }
    return false;
}

Gif readGif(const std::string& path) {
    int error = 0;
    GifFileType* file = DGifOpenFileName(path.c_str(), &error);
    Gif gif;
    if (!file || DGifSlurp(file) != GIF_OK) {
        ADD_FAILURE() << "cannot read " << path;
        if (file) {
            DGifCloseFile(file, &error);
        }
        return gif;
    }
    gif.width = file->SWidth;
    gif.height = file->SHeight;
    gif.images = file->ImageCount;
    gif.graphicsControl = isGraphicsControl(file->ExtensionBlocks, file->ExtensionBlockCount);
    for (int i = 0; i < file->ImageCount; ++i) {
        const SavedImage& image = file->SavedImages[i];
        gif.graphicsControl = gif.graphicsControl ||
                              isGraphicsControl(image.ExtensionBlocks, image.ExtensionBlockCount);
    }
    const SavedImage& first = file->SavedImages[0];
    const ColorMapObject* map =
        first.ImageDesc.ColorMap ? first.ImageDesc.ColorMap : file->SColorMap;
    gif.palette.assign(map->Colors, map->Colors + map->ColorCount);
    gif.pixels.assign(first.RasterBits,
                      first.RasterBits + static_cast<std::size_t>(gif.width) * gif.height);
    DGifCloseFile(file, &error);
    return gif;
}

std::string temporaryFolder() {
    char folder[] = "/tmp/pictures_test.XXXXXX";
    return mkdtemp(folder) ? folder : "";
}

struct Strip {
    const char* file;
    int frameWidth;
    int frames;
    int drawnAtY;
};
constexpr Strip kStrips[] = {
    {"basil.gif", 90, 134, 470},
    {"om.gif", 180, 14, 320},
    {"egg.gif", 70, 26, 420},
};
constexpr const char* kDrops[] = {"kapka.gif", "kapka2.gif"};
constexpr const char* kKeyedPictures[] = {"basil.gif", "om.gif", "egg.gif", "kapka.gif",
                                          "kapka2.gif"};
constexpr const char* kAllPictures[] = {"001.gif", "basil.gif", "om.gif",
                                        "egg.gif", "kapka.gif", "kapka2.gif"};

struct Range {
    const char* file;
    int first;
    int last;
};
constexpr Range kBasilStandRight{"basil.gif", 0, 8}, kBasilStandLeft{"basil.gif", 9, 17};
constexpr Range kBasilSpeakRight{"basil.gif", 18, 32}, kBasilSpeakLeft{"basil.gif", 33, 47};
constexpr Range kBasilRollR2L{"basil.gif", 48, 59}, kBasilRollL2R{"basil.gif", 60, 71};
constexpr Range kBasilMoveRight{"basil.gif", 70, 80}, kBasilMoveLeft{"basil.gif", 81, 91};
constexpr Range kBasilDeathRight{"basil.gif", 92, 102}, kBasilDeathLeft{"basil.gif", 103, 113};
constexpr Range kBasilAttackRight{"basil.gif", 114, 123}, kBasilAttackLeft{"basil.gif", 124, 133};
constexpr Range kOmPain{"om.gif", 1, 13};
constexpr Range kEggBuild1{"egg.gif", 1, 12};
constexpr Range kEggPain{"egg.gif", 13, 25};

int frameWidthOf(const std::string& file) {
    for (const Strip& s : kStrips) {
        if (file == s.file) {
            return s.frameWidth;
        }
    }
    return 0;
}

bool sameFrame(const Gif& gif, int fw, int a, int b, bool mirrored = false) {
    for (int y = 0; y < gif.height; ++y) {
        for (int x = 0; x < fw; ++x) {
            const int bx = mirrored ? fw - 1 - x : x;
            if (gif.index(a * fw + x, y) != gif.index(b * fw + bx, y)) {
                return false;
            }
        }
    }
    return true;
}

TEST(PicturesTest, HaveTheGeometryTheSceneDrawsThemWith) {
    const Gif backdrop = readGif("001.gif");
    EXPECT_EQ(backdrop.width, 800);
    EXPECT_EQ(backdrop.height, 600);
    for (const Strip& s : kStrips) {
        const Gif gif = readGif(s.file);
        EXPECT_EQ(gif.width, s.frameWidth * s.frames) << s.file;
        EXPECT_LE(s.drawnAtY + gif.height, 600) << s.file << " would hang off the screen";
        EXPECT_GE(gif.height, 40) << s.file;
    }
    for (const char* file : kDrops) {
        const Gif gif = readGif(file);
        EXPECT_GT(gif.width, 5) << file;
        EXPECT_EQ(gif.width % 5, 0) << file;
    }
    for (const char* file : kAllPictures) {
        const Gif gif = readGif(file);
        EXPECT_EQ(gif.images, 1) << file;
        EXPECT_LE(gif.palette.size(), 256u) << file;
    }
}

TEST(PicturesTest, CarryNoTransparencyIndexSoTheLoaderKeysNone) {
    for (const char* file : kAllPictures) {
        EXPECT_FALSE(readGif(file).graphicsControl) << file;
        SDL_Surface* loaded = IMG_Load(file);
        ASSERT_NE(loaded, nullptr) << file;
        EXPECT_FALSE(loaded->flags & SDL_SRCCOLORKEY) << file;
        SDL_FreeSurface(loaded);
    }
}

class On565Screen : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
        ASSERT_NE(SDL_SetVideoMode(800, 600, 16, 0), nullptr);
    }
    static void TearDownTestSuite() { SDL_Quit(); }
};

TEST_F(On565Screen, EveryFigurePixelStaysVisibleAndEveryBackgroundPixelIsKeyed) {
    const SDL_PixelFormat* screen = SDL_GetVideoSurface()->format;
    ASSERT_EQ(screen->Rmask, 0xF800u);
    ASSERT_EQ(screen->Gmask, 0x07E0u);
    ASSERT_EQ(screen->Bmask, 0x001Fu);
    for (const char* file : kKeyedPictures) {
        const Gif gif = readGif(file);
        SDL_Surface* loaded = IMG_Load(file);
        ASSERT_NE(loaded, nullptr) << file;
        SDL_Surface* converted = SDL_DisplayFormat(loaded);
        ASSERT_NE(converted, nullptr) << file;
        ASSERT_EQ(converted->format->BytesPerPixel, 2);
        const Uint32 key = SDL_MapRGB(converted->format, 0, 0, 0);
        int vanished = 0, unkeyed = 0, figure = 0;
        SDL_LockSurface(converted);
        for (int y = 0; y < gif.height; ++y) {
            const auto* row = reinterpret_cast<const Uint16*>(
                static_cast<const Uint8*>(converted->pixels) + y * converted->pitch);
            for (int x = 0; x < gif.width; ++x) {
                const bool keyed = row[x] == key;
                if (gif.transparent(x, y)) {
                    unkeyed += keyed ? 0 : 1;
                } else {
                    ++figure;
                    vanished += keyed ? 1 : 0;
                }
            }
        }
        SDL_UnlockSurface(converted);
        EXPECT_GT(figure, 0) << file;
        EXPECT_EQ(vanished, 0) << file << ": figure pixels that turn into the key";
        EXPECT_EQ(unkeyed, 0) << file << ": background pixels that are not exact black";
        SDL_FreeSurface(converted);
        SDL_FreeSurface(loaded);
    }
}

// A figure that reaches a frame's side or top edge is cut off there, or spills into the
// neighbouring frame; feet may rest on the bottom edge.
TEST(PicturesTest, EveryFrameHoldsAFigureClearOfItsSidesAndTop) {
    for (const Strip& s : kStrips) {
        const Gif gif = readGif(s.file);
        ASSERT_EQ(gif.width, s.frameWidth * s.frames);
        for (int f = 0; f < s.frames; ++f) {
            const int left = f * s.frameWidth, right = left + s.frameWidth - 1;
            int edge = 0, figure = 0;
            for (int y = 0; y < gif.height; ++y) {
                edge += !gif.transparent(left, y) + !gif.transparent(right, y);
                for (int x = left; x <= right; ++x) {
                    figure += !gif.transparent(x, y);
                    edge += y == 0 && !gif.transparent(x, y);
                }
            }
            EXPECT_EQ(edge, 0) << s.file << " frame " << f;
            EXPECT_GT(figure, 0) << s.file << " frame " << f << " is empty";
        }
    }
}

// The scene puts each character's frame bottom on its ground.
TEST(PicturesTest, StandingFramesHaveTheirFeetOnTheFrameBottom) {
    const Range standing[] = {
        kBasilStandRight, kBasilStandLeft, {"om.gif", 0, 0}, {"egg.gif", 13, 13}};
    for (const Range& r : standing) {
        const Gif gif = readGif(r.file);
        const int fw = frameWidthOf(r.file);
        for (int f = r.first; f <= r.last; ++f) {
            int lowest = -1;
            for (int y = 0; y < gif.height; ++y) {
                for (int x = f * fw; x < (f + 1) * fw; ++x) {
                    lowest = gif.transparent(x, y) ? lowest : y;
                }
            }
            EXPECT_GE(lowest, gif.height - 3) << r.file << " frame " << f;
        }
    }
}

// The walking basil stands at y 195 and walks between x 318 and 560, each end a few pixels
// either way with the frame rate; every column his feet touch must be painted ledge, not air.
TEST(PicturesTest, TheLedgeIsUnderTheWalkersFeetWholeWay) {
    constexpr int walkerY = 195, leftEnd = 318, homeX = 560, slack = 12;
    const Range onTheLedge[] = {kBasilStandRight, kBasilStandLeft, kBasilSpeakRight,
                                kBasilSpeakLeft,  kBasilRollR2L,   kBasilRollL2R,
                                kBasilMoveRight,  kBasilMoveLeft};
    const Gif basil = readGif("basil.gif");
    const int fw = frameWidthOf("basil.gif");
    int firstFoot = fw, lastFoot = -1;
    for (const Range& r : onTheLedge) {
        for (int f = r.first; f <= r.last; ++f) {
            for (int y = basil.height - 3; y < basil.height; ++y) {
                for (int x = 0; x < fw; ++x) {
                    if (!basil.transparent(f * fw + x, y)) {
                        firstFoot = std::min(firstFoot, x);
                        lastFoot = std::max(lastFoot, x);
                    }
                }
            }
        }
    }
    ASSERT_LE(firstFoot, lastFoot) << "no frame has its feet on the bottom rows";

    // The ledge's top is a band of grass, greener than anything else at that height.
    const Gif backdrop = readGif("001.gif");
    const int feetRow = walkerY + basil.height;
    for (int x = leftEnd - slack + firstFoot; x <= homeX + slack + lastFoot; ++x) {
        bool grass = false;
        for (int y = feetRow - 4; y <= feetRow + 4 && !grass; ++y) {
            const GifColorType& c = backdrop.palette[backdrop.index(x, y)];
            grass = c.Green > c.Red + 20 && c.Green > c.Blue + 10;
        }
        EXPECT_TRUE(grass) << "no ledge under column " << x;
    }
}

TEST(PicturesTest, AnimatedRangesMoveAndWalksAndRollsNeverStall) {
    const Range animated[] = {kBasilStandRight,  kBasilStandLeft,  kBasilSpeakRight,
                              kBasilSpeakLeft,   kBasilDeathRight, kBasilDeathLeft,
                              kBasilAttackRight, kBasilAttackLeft, kOmPain,
                              kEggBuild1,        kEggPain};
    for (const Range& r : animated) {
        const Gif gif = readGif(r.file);
        int changes = 0;
        for (int f = r.first; f < r.last; ++f) {
            changes += !sameFrame(gif, frameWidthOf(r.file), f, f + 1);
        }
        EXPECT_GT(changes, 0) << r.file << " frames " << r.first << "-" << r.last;
    }
    const Range everyFrameMoves[] = {kBasilRollR2L, kBasilRollL2R, kBasilMoveRight, kBasilMoveLeft};
    const Gif basil = readGif("basil.gif");
    for (const Range& r : everyFrameMoves) {
        for (int f = r.first; f < r.last; ++f) {
            EXPECT_FALSE(sameFrame(basil, 90, f, f + 1))
                << "basil frames " << f << " and " << f + 1;
        }
        EXPECT_FALSE(sameFrame(basil, 90, r.last, r.first)) << "basil range from " << r.first;
    }
}

TEST(PicturesTest, LeftRangesAreRightRangesMirrored) {
    const std::pair<Range, Range> pairs[] = {
        {kBasilStandRight, kBasilStandLeft}, {kBasilSpeakRight, kBasilSpeakLeft},
        {kBasilRollL2R, kBasilRollR2L},      {kBasilMoveRight, kBasilMoveLeft},
        {kBasilDeathRight, kBasilDeathLeft}, {kBasilAttackRight, kBasilAttackLeft}};
    const Gif basil = readGif("basil.gif");
    for (const auto& [right, left] : pairs) {
        for (int i = 0; i <= right.last - right.first; ++i) {
            EXPECT_TRUE(sameFrame(basil, 90, right.first + i, left.first + i, true))
                << "basil frame " << left.first + i << " mirrors " << right.first + i;
        }
    }
    EXPECT_FALSE(sameFrame(basil, 90, 0, 9)) << "standing right and left look the same";
}

TEST(PicturesTest, FlinchesComeBackToTheStandingPose) {
    EXPECT_TRUE(sameFrame(readGif("om.gif"), 180, 0, 13));
    EXPECT_TRUE(sameFrame(readGif("egg.gif"), 70, 13, 25));
}

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string paintInto() {
    const std::string folder = temporaryFolder();
    if (folder.empty()) {
        ADD_FAILURE() << "cannot make a folder";
        return "";
    }
    const std::string command = std::string("'") + PAINTER_PATH + "' " + folder;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return folder;
}

TEST(PicturesTest, PaintingTwiceGivesTheSameBytes) {
    const std::string first = paintInto(), second = paintInto();
    std::vector<std::string> files(std::begin(kAllPictures), std::end(kAllPictures));
    files.push_back("contact-sheet.png");
    for (const std::string& file : files) {
        const std::string a = contents(first + "/" + file);
        EXPECT_FALSE(a.empty()) << file;
        EXPECT_TRUE(a == contents(second + "/" + file)) << file << " differs between runs";
        EXPECT_TRUE(a == contents(file)) << file << " in the build root is stale";
        std::remove((first + "/" + file).c_str());
        std::remove((second + "/" + file).c_str());
    }
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST(PainterCatalogueTest, NamesTheFramesTheSceneExpects) {
    const std::pair<const char*, Range> expected[] = {
        {"bStandRight", kBasilStandRight},
        {"bStandLeft", kBasilStandLeft},
        {"bSpeakRight", kBasilSpeakRight},
        {"bSpeakLeft", kBasilSpeakLeft},
        {"bRollR2L", kBasilRollR2L},
        {"bRollL2R", kBasilRollL2R},
        {"bMoveRight", kBasilMoveRight},
        {"bMoveLeft", kBasilMoveLeft},
        {"bDeathRight", kBasilDeathRight},
        {"bDeathLeft", kBasilDeathLeft},
        {"bAttackRight", kBasilAttackRight},
        {"bAttackLeft", kBasilAttackLeft},
        {"omPain", kOmPain},
        {"eggBuild1", kEggBuild1},
        {"eggPain", kEggPain},
    };
    for (const auto& [name, range] : expected) {
        const StripLayout& layout = range.file == std::string("basil.gif") ? kBasilStrip
                                    : range.file == std::string("om.gif")  ? kOmStrip
                                                                           : kEggStrip;
        const FrameRange& painted = layout.range(name);
        EXPECT_EQ(painted.first, range.first) << name;
        EXPECT_EQ(painted.last, range.last) << name;
    }
    EXPECT_EQ(kBasilStrip.label(70), "bRollL2R/bMoveRight");
    EXPECT_EQ(kEggStrip.label(13), "eggStand/eggPain");
    EXPECT_EQ(kBasilStrip.label(133), "bAttackLeft");
}

std::uint32_t pixelAt(const Canvas& c, int x, int y) {
    cairo_surface_flush(c.surface());
    const unsigned char* row =
        cairo_image_surface_get_data(c.surface()) + y * cairo_image_surface_get_stride(c.surface());
    std::uint32_t p;
    std::memcpy(&p, row + 4 * x, 4);
    return p;
}

TEST(QuantiseTest, AntialiasedEdgesNeverFadeIntoTheKey) {
    Canvas canvas(64, 64);
    cairo_arc(canvas.cr(), 32, 32, 20.3, 0, 2 * M_PI);
    cairo_set_source_rgb(canvas.cr(), 40 / 255.0, 24 / 255.0, 44 / 255.0);
    cairo_fill(canvas.cr());
    const IndexedImage image = quantise(canvas);
    int partlyCovered = 0;
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            const unsigned alpha = pixelAt(canvas, x, y) >> 24;
            partlyCovered += alpha > 0 && alpha < 255;
            const Rgb c = image.at(x, y);
            if (alpha == 0) {
                EXPECT_EQ(image.pixels[y * 64 + x], 0) << x << "," << y;
            } else if (!(c == kTransparent)) {
                EXPECT_FALSE(vanishesOn565(c)) << x << "," << y;
                EXPECT_NEAR(c.r, 40, 8);
                EXPECT_NEAR(c.b, 44, 8);
            }
        }
    }
    EXPECT_GT(partlyCovered, 50) << "the circle should have antialiased edges to test";
    EXPECT_FALSE(image.at(32, 32) == kTransparent);
}

TEST(QuantiseTest, OpaqueColoursThatWouldVanishAreLiftedOutOfTheKey) {
    Canvas canvas(8, 4);
    cairo_rectangle(canvas.cr(), 0, 0, 4, 4);
    cairo_set_source_rgb(canvas.cr(), 0, 0, 0);
    cairo_fill(canvas.cr());
    cairo_rectangle(canvas.cr(), 4, 0, 4, 4);
    cairo_set_source_rgb(canvas.cr(), 6 / 255.0, 3 / 255.0, 7 / 255.0);
    cairo_fill(canvas.cr());
    const IndexedImage image = quantise(canvas);
    for (int x = 0; x < 8; ++x) {
        EXPECT_NE(image.pixels[x], 0) << x;
        EXPECT_FALSE(vanishesOn565(image.at(x, 0))) << x;
    }
}

TEST(QuantiseTest, SqueezesAThousandsOfColoursIntoThePaletteAndKeepsEntryZeroBlack) {
    Canvas canvas(256, 256);
    cairo_surface_flush(canvas.surface());
    unsigned char* data = cairo_image_surface_get_data(canvas.surface());
    const int stride = cairo_image_surface_get_stride(canvas.surface());
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const std::uint32_t p = 0xff000000u | (x << 16) | (y << 8) | ((x + y) / 2);
            std::memcpy(data + y * stride + 4 * x, &p, 4);
        }
    }
    cairo_surface_mark_dirty(canvas.surface());
    for (Dither dither : {Dither::None, Dither::Ordered}) {
        const IndexedImage image = quantise(canvas, dither);
        ASSERT_LE(image.palette.size(), 256u);
        EXPECT_EQ(image.palette[0], kTransparent);
        double error = 0;
        for (int y = 0; y < 256; ++y) {
            for (int x = 0; x < 256; ++x) {
                ASSERT_NE(image.pixels[y * 256 + x], 0);
                const Rgb c = image.at(x, y);
                error += std::abs(c.r - x) + std::abs(c.g - y);
            }
        }
        EXPECT_LT(error / (2 * 256 * 256), 12) << "mean error per channel";
    }
}

TEST(GifFileTest, ReadsBackPixelForPixelWithoutExtensions) {
    IndexedImage image;
    image.width = 7;
    image.height = 3;
    image.palette = {kTransparent, {200, 10, 10}, {10, 200, 10}};
    for (int i = 0; i < 21; ++i) {
        image.pixels.push_back(static_cast<std::uint8_t>((i * 5) % 3));
    }
    const std::string folder = temporaryFolder();
    ASSERT_FALSE(folder.empty());
    writeGif(folder + "/t.gif", image);
    const Gif gif = readGif(folder + "/t.gif");
    std::remove((folder + "/t.gif").c_str());
    std::remove(folder.c_str());
    ASSERT_EQ(gif.width, 7);
    ASSERT_EQ(gif.height, 3);
    EXPECT_FALSE(gif.graphicsControl);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 7; ++x) {
            const Rgb want = image.at(x, y);
            const GifColorType& got = gif.palette[gif.index(x, y)];
            EXPECT_EQ(got.Red, want.r) << x << "," << y;
            EXPECT_EQ(got.Green, want.g) << x << "," << y;
        }
    }
}

TEST(PaintStripTest, LaterRangesOwnSharedFramesAndMirrorsAreExactFlips) {
    const StripLayout layout{"t.gif",
                             6,
                             4,
                             9,
                             {{"rollRight", 0, 3, Action::Roll, nullptr},
                              {"walkRight", 2, 4, Action::Walk, nullptr},
                              {"walkLeft", 5, 7, Action::Walk, "walkRight"},
                              {"still", 8, 8, Action::Stand, nullptr}}};
    std::vector<std::string> cues;
    const Canvas strip = paintStrip(layout, [&](cairo_t* cr, const FrameCue& cue) {
        cues.push_back(std::string(cue.range.name) + " " + std::to_string(cue.frame) + " " +
                       std::to_string(cue.index) + "/" + std::to_string(cue.ownFrames));
        cairo_rectangle(cr, 0, 0, 1 + cue.frame % 4, 1);
        cairo_set_source_rgb(cr, 1, 1, 1);
        cairo_fill(cr);
    });
    const std::vector<std::string> expected{"rollRight 0 0/2", "rollRight 1 1/2", "walkRight 2 0/3",
                                            "walkRight 3 1/3", "walkRight 4 2/3", "still 8 0/1"};
    EXPECT_EQ(cues, expected);
    for (int f = 0; f < 9; ++f) {
        const int painted = f >= 5 && f <= 7 ? f - 3 : f;
        for (int x = 0; x < 6; ++x) {
            const int column = f >= 5 && f <= 7 ? 5 - x : x;
            const bool lit = pixelAt(strip, f * 6 + x, 0) != 0;
            EXPECT_EQ(lit, column < 1 + painted % 4) << "frame " << f << " column " << x;
            EXPECT_EQ(pixelAt(strip, f * 6 + x, 1), 0u) << "frame " << f;
        }
    }
}

} // namespace
