// The picture gate: the files it keeps from the loader and why, and that every file it lets
// through loads to the very pixels giflib decodes from it.
#include "gif_bytes.h"
#include "loader_oracle.h"
#include "picture_gate.h"
#include "pictures.h"
#include "screen.h"
#include "spriteengine.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

namespace {

using namespace gifbytes;

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string writeBytes(const std::string& name, const std::string& bytes) {
    const std::string path = scratchPath(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::vector<int> randomPixels(std::mt19937& rng, int count, int colours) {
    std::vector<int> pixels;
    // Runs of one colour, so that the compressor finds strings to reuse.
    while (static_cast<int>(pixels.size()) < count)
        pixels.insert(pixels.end(), rng() % 6 + 1, static_cast<int>(rng() % colours));
    pixels.resize(count);
    return pixels;
}

class PictureGateTest : public ScreenTest {
  protected:
    // The reason a fresh gate gives for `bytes`, or "" when it lets them through, in which case
    // they must load, to giflib's pixels, and convert.
    std::string verdict(const std::string& bytes) {
        CPictureGate gate;
        return verdict(gate, writeBytes("case.gif", bytes));
    }

    std::string verdict(CPictureGate& gate, const std::string& path) {
        SDL_ClearError();
        SDL_RWops* checked = gate.open(path.c_str(), 2);
        if (!checked) {
            const std::string reason = SDL_GetError();
            EXPECT_NE(reason, "") << path;
            return reason;
        }
        SDL_Surface* loaded = IMG_Load_RW(checked, 1);
        EXPECT_NE(loaded, nullptr) << IMG_GetError();
        if (!loaded)
            return "";
        const std::string bytes = bytesOf(path);
        EXPECT_EQ(loaderDisagreement(reinterpret_cast<const unsigned char*>(bytes.data()),
                                     bytes.size(), loaded),
                  "");
        SDL_Surface* converted = SDL_DisplayFormat(loaded);
        EXPECT_NE(converted, nullptr);
        SDL_FreeSurface(converted);
        SDL_FreeSurface(loaded);
        return "";
    }

    void expectRefused(const std::string& bytes, const std::string& said) {
        const std::string reason = verdict(bytes);
        EXPECT_NE(reason.find(said), std::string::npos) << "\"" << reason << "\" for " << said;
    }
};

TEST_F(PictureGateTest, SoundPicturesOfManyShapesLoadAsGiflibDecodesThem) {
    std::mt19937 rng(11);
    for (int i = 0; i < 150; ++i) {
        const int colourBits = rng() % 8 + 1;
        const int colours = 1 << colourBits;
        const int minimumBits = std::max(2, colourBits);
        const int width = rng() % 40 + 1;
        const int height = rng() % 3 == 0 ? 1 : rng() % 30 + 5;
        const bool interlaced = rng() % 3 == 0;
        const std::vector<int> pixels = randomPixels(rng, width * height, colours);
        const std::vector<int> codes = rng() % 4 == 0 ? literalCodes(pixels, minimumBits)
                                                      : compressedCodes(pixels, minimumBits);
        const bool local = rng() % 3 == 0;
        std::string gif = header(width, height, local ? 0 : colours);
        if (rng() % 2)
            gif += graphicControl(static_cast<int>(rng() % colours));
        if (rng() % 3 == 0)
            gif += "\x21\xFE" + dataBlocks("drawn by hand", rng() % 5 + 1);
        gif += imageDescriptor(width, height, interlaced, local ? colours : 0);
        // Two-byte blocks already hold the widest code.
        gif += pixelData(codes, minimumBits, static_cast<int>(rng() % 254) + 2);
        if (rng() % 4 == 0)
            gif += imageDescriptor(2, 2) + pixelData(literalCodes({1, 1, 1, 1}, 2), 2);
        SCOPED_TRACE(testing::Message() << "picture " << i << ": " << width << "x" << height);
        EXPECT_EQ(verdict(gif + ';'), "");
    }
    // Narrow codes fit one-byte blocks; the largest surfaces SDL makes pass.
    EXPECT_EQ(
        verdict(header(3, 1, 4) + imageDescriptor(3, 1) + pixelData({4, 1, 2, 3, 5}, 2, 1) + ';'),
        "");
    EXPECT_EQ(verdict(picture(16383, 1, solidCodes(16383, 2))), "");
    EXPECT_EQ(verdict(picture(1, 65535, solidCodes(65535, 2))), "");
}

TEST_F(PictureGateTest, AGraphicControlExtensionMustBeFourBytesInOneBlock) {
    std::mt19937 rng(12);
    const std::string image =
        imageDescriptor(4, 2) + pixelData(literalCodes({0, 1, 2, 3, 3, 2, 1, 0}, 2), 2);
    for (int length : {0, 1, 2, 3, 5, 6, 200, 255}) {
        std::string control = "\x21\xF9" + std::string(1, static_cast<char>(length));
        for (int i = 0; i < length; ++i)
            control += static_cast<char>(rng());
        // Behind a control block without data, the loader reads the picture as more data.
        SCOPED_TRACE(length);
        expectRefused(header(4, 2, 4) + control + '\0' + image + ';', "graphic control");
    }
    const std::string twoBlocks = std::string("\x21\xF9\x04\x01\0\0\x01\x02\x07\x07\0", 11);
    expectRefused(header(4, 2, 4) + twoBlocks + image + ';', "graphic control");
    EXPECT_EQ(verdict(header(4, 2, 4) + graphicControl(1) + image + ';'), "");
}

TEST_F(PictureGateTest, ImagesOutsideTheSurfacesSdlMakesAreRefused) {
    std::mt19937 rng(13);
    for (int i = 0; i < 20; ++i) {
        const int wide = 16384 + static_cast<int>(rng() % (65536 - 16384));
        const int some = static_cast<int>(rng() % 50) + 1;
        expectRefused(picture(wide, 1, solidCodes(wide, 2)), "outside");
        expectRefused(picture(0, some, {4, 5}), "outside");
        expectRefused(picture(some, 0, {4, 5}), "outside");
    }
    // The logical screen may say anything; the image decides.
    expectRefused(header(10, 10, 4) + imageDescriptor(0, 10) + pixelData({4, 5}, 2) + ';',
                  "outside");
}

TEST_F(PictureGateTest, CodesTheDecoderWouldMisreadAreRefused) {
    std::mt19937 rng(14);
    for (int i = 0; i < 60; ++i) {
        const int minimumBits = static_cast<int>(rng() % 6) + 3;
        const int clear = 1 << minimumBits;
        // After a clear code and k pixels the next free entry is clear + 1 + k: anything above
        // it, in codes still one bit wider than a pixel, is not defined yet.
        const int k = static_cast<int>(rng() % (clear - 3)) + 1;
        std::vector<int> codes{clear};
        for (int p = 0; p < k; ++p)
            codes.push_back(static_cast<int>(rng() % clear));
        const int nextEntry = clear + 1 + k;
        codes.push_back(nextEntry + 1 + static_cast<int>(rng() % (2 * clear - nextEntry - 1)));
        codes.insert(codes.end(), {0, 0, 0, 0, clear + 1});
        std::string gif = header(k + 5, 1, clear) + imageDescriptor(k + 5, 1) +
                          pixelData(codes, minimumBits) + ';';
        SCOPED_TRACE(i);
        expectRefused(gif, "not yet defined");
    }
    // Entries 11 and 12 made to name each other: following either never ends.
    expectRefused(header(20, 1, 8) + imageDescriptor(20, 1) +
                      pixelData({8, 0, 12, 11, 0, 11, 0, 12, 9}, 3) + ';',
                  "not yet defined");
    // A table entry, or a second clear code, where a single pixel must follow a clear code.
    expectRefused(picture(4, 1, {4, 0, 1, 4, 6, 0, 5}), "not yet defined");
    expectRefused(picture(4, 1, {4, 0, 1, 4, 4, 0, 0, 5}), "clear code where a pixel");
    // Leading clear codes are skipped by every reader.
    EXPECT_EQ(verdict(picture(4, 1, {4, 4, 4, 0, 1, 6, 5})), "");
}

TEST_F(PictureGateTest, PixelDataThatRunsOutOrFallsApartIsRefused) {
    std::mt19937 rng(15);
    for (int i = 0; i < 20; ++i) {
        const int width = static_cast<int>(rng() % 60) + 20;
        const std::vector<int> pixels = randomPixels(rng, width * 3, 256);
        std::vector<int> codes = compressedCodes(pixels, 8);
        // The end code early, or the data ending without one.
        const size_t cut = rng() % (codes.size() - 3) + 1;
        std::vector<int> early(codes.begin(), codes.begin() + cut);
        if (rng() % 2)
            early.push_back(257);
        SCOPED_TRACE(i);
        expectRefused(header(width, 3, 256) + imageDescriptor(width, 3) + pixelData(early, 8) + ';',
                      "before the picture is full");
        // Nine-bit codes in one-byte blocks: some code spans three blocks.
        expectRefused(header(width, 3, 256) + imageDescriptor(width, 3) + pixelData(codes, 8, 1) +
                          ';',
                      "before the picture is full");
    }
    for (int size : {0, 1, 9, 12, 255})
        expectRefused(header(2, 1, 4) + imageDescriptor(2, 1) + static_cast<char>(size) +
                          dataBlocks(packCodes({4, 1, 1, 5}, 2)) + ';',
                      "code size");
}

TEST_F(PictureGateTest, BrokenBlocksAndShapesTheLoaderLeavesHalfDrawnAreRefused) {
    std::mt19937 rng(16);
    const std::string good = picture(6, 7, literalCodes(std::vector<int>(42, 2), 2));
    ASSERT_EQ(verdict(good), "");
    for (int i = 0; i < 20; ++i)
        expectRefused(good.substr(0, rng() % (good.size() - 1)), i == 0 ? "" : "GIF");
    expectRefused("", "not a GIF");
    expectRefused("GIF90a" + good.substr(6), "not a GIF");
    expectRefused("just some words, no picture\n", "not a GIF");
    expectRefused(header(6, 7, 4) + ";", "without a picture");
    expectRefused(header(2, 1, 0) + imageDescriptor(2, 1) + pixelData({4, 1, 1, 5}, 2) + ';',
                  "without colours");
    const size_t image = good.find(',');
    for (int stray : {0x00, 0x2A, 0x3A, 0xFF})
        expectRefused(good.substr(0, image) + static_cast<char>(stray) + good.substr(image),
                      "stray byte");
    for (int height : {2, 3, 4})
        expectRefused(picture(5, height, literalCodes(std::vector<int>(5 * height, 1), 2), true),
                      "half drawn");
    for (int height : {1, 5, 9})
        EXPECT_EQ(
            verdict(picture(5, height, literalCodes(std::vector<int>(5 * height, 1), 2), true)),
            "");
}

TEST_F(PictureGateTest, OnlyRegularFilesAreOpenedAndNoneWaitsForAWriter) {
    CPictureGate gate;
    const std::string pipe = scratchPath("pipe.gif");
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(verdict(gate, pipe), "not a regular file");
    EXPECT_EQ(verdict(gate, scratchPath("")), "not a regular file");
    EXPECT_NE(verdict(gate, scratchPath("absent.gif")).find("No such file"), std::string::npos);
}

TEST_F(PictureGateTest, EverySurfaceIsChargedToTheBudgetAndAFileIsReadOnce) {
    CPictureGate gate(1 << 20);
    const std::string picture = writePicture("budget.gif", 300, 300, [](int x, int y) {
        return (x / 10 + y / 10) % 2 ? 0x808080u : 0x202020u;
    });
    const size_t kept = bytesOf(picture).size();
    const int fits = static_cast<int>(((1 << 20) - kept) / (300 * 300 * 2));
    for (int load = 0; load < fits; ++load)
        EXPECT_EQ(verdict(gate, picture), "") << load;
    EXPECT_EQ(verdict(gate, picture), "it would take the pictures past their 1 MiB budget");

    // Too large even for a fresh budget, and refused before a single pixel is decoded.
    CPictureGate fresh;
    const std::string huge =
        writeBytes("huge.gif", gifbytes::picture(16383, 65535, solidCodes(16383LL * 65535, 2)));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(verdict(fresh, huge), "it would take the pictures past their 64 MiB budget");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // A rewritten file is read anew, not served from the bytes kept of it.
    writeBytes("budget.gif", "GIF89a but no longer a picture");
    EXPECT_NE(verdict(fresh, picture), "");
}

// The scene's own pictures as it loads them: basil twice, a drop picture once per drop, and
// four bytes a pixel, the widest screen.
TEST_F(PictureGateTest, TodaysPicturesTakeLessThanAQuarterOfTheBudget) {
    CPictureGate gate((pictureBudgetMiB << 20) / 4);
    for (const char* picture : {"001.gif", "basil.gif", "basil.gif", "om.gif", "egg.gif"}) {
        SDL_RWops* checked = gate.open(picture, 4);
        ASSERT_NE(checked, nullptr) << picture << ": " << SDL_GetError();
        SDL_RWclose(checked);
    }
    for (int drop = 0; drop < 1000; ++drop) {
        SDL_RWops* checked = gate.open(drop % 2 ? "kapka.gif" : "kapka2.gif", 4);
        ASSERT_NE(checked, nullptr) << drop << ": " << SDL_GetError();
        SDL_RWclose(checked);
    }
}

// What the fuzzer found in front of the check this gate replaced: files that crashed the loader
// or that it read apart from giflib, each refused for the reason the program names it by.
TEST_F(PictureGateTest, KeptFuzzFindingsAreRefusedForTheirOwnReasons) {
    const std::string undefinedCode = "a GIF whose compressed pixels use a code not yet defined";
    const std::map<std::string, std::string> reasons = {
        {"clear-code-for-a-pixel-read-differently.gif",
         "a GIF whose compressed pixels hold a clear code where a pixel must be"},
        {"no-colour-table-crashed-the-loader.gif", "a GIF picture without colours"},
        {"no-colour-table-read-differently.gif", "a GIF picture without colours"},
        {"pixels-run-out-read-differently.gif",
         "a GIF whose compressed pixels end, or fall apart between data blocks, before the "
         "picture is full"},
        {"too-wide-crashed-the-loader.gif",
         "a GIF picture of 20486x98, outside the 1x1 to 16383x65535 a surface can have"},
        {"undefined-code-read-differently-2.gif", undefinedCode},
        {"undefined-code-read-differently.gif", undefinedCode},
        {"zero-wide-crashed-the-loader.gif",
         "a GIF picture of 0x6, outside the 1x1 to 16383x65535 a surface can have"},
    };
    std::size_t kept = 0;
    for (const auto& entry : std::filesystem::directory_iterator(FUZZ_REGRESSIONS_DIR)) {
        SCOPED_TRACE(entry.path().string());
        const auto reason = reasons.find(entry.path().filename());
        ASSERT_NE(reason, reasons.end()) << "a kept finding without the reason it is refused for";
        EXPECT_EQ(verdict(bytesOf(entry.path())), reason->second);
        ++kept;
    }
    EXPECT_EQ(kept, reasons.size());
}

TEST_F(PictureGateTest, SpriteSkipsAPictureThatWouldHangTheLoader) {
    const std::string image =
        imageDescriptor(4, 2) + pixelData(literalCodes({0, 1, 2, 3, 3, 2, 1, 0}, 2), 2);
    CSprite s;
    s.Init(writeBytes("spin.gif", header(4, 2, 4) + "\x21\xF9" + '\0' + image + ';').c_str(), 0, 0,
           screen);
    EXPECT_EQ(s.image, nullptr);
    EXPECT_NE(std::string(SDL_GetError()).find("graphic control"), std::string::npos);
    s.draw();
}

} // namespace
