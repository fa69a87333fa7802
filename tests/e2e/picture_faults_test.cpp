// Each picture in turn missing, empty, cut short, not a GIF, junk behind a GIF signature, of the
// wrong size, or one of the files that once hung, crashed or bloated the loader: the program
// names it on one line, draws the rest, and ends normally.
#include "gif_bytes.h"
#include "pictures.h"
#include "process.h"
#include "reference_picture.h"
#include "xserver.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace fs = std::filesystem;

namespace {

const char* const allPictures[] = {"001.gif", "basil.gif", "om.gif", "egg.gif", "kapka.gif", "kapka2.gif"};

struct Fault {
    const char* name;
    const char* said; // what the line on stderr must contain besides the file's name
    std::function<void(const fs::path& picture, int frameWidth)> make;
};

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// Junk that the loader never returns from when it follows a GIF signature.
std::string junk() {
    std::string bytes;
    unsigned state = 5;
    for (int i = 0; i < 200; ++i) {
        state = state * 1103515245u + 12345u;
        bytes.push_back(static_cast<char>(state >> 16));
    }
    return bytes;
}

void writeGif(const fs::path& path, int width, int height) {
    const std::string scratch = writePicture("fault.gif", width, height, [](int x, int) {
        return x % 2 ? 0xC08040u : 0x4080C0u;
    });
    fs::copy_file(scratch, path, fs::copy_options::overwrite_existing);
}

const Fault faults[] = {
    {"missing", "No such file", [](const fs::path& p, int) { fs::remove(p); }},
    {"empty", "GIF", [](const fs::path& p, int) { writeBytes(p, ""); }},
    {"truncated", "GIF",
     [](const fs::path& p, int) {
         std::ifstream in(p, std::ios::binary);
         const std::string whole{std::istreambuf_iterator<char>(in), {}};
         in.close();
         writeBytes(p, whole.substr(0, whole.size() / 2));
     }},
    {"not a GIF", "not a GIF", [](const fs::path& p, int) { writeBytes(p, "plain words\n"); }},
    {"junk after the signature", "GIF", [](const fs::path& p, int) { writeBytes(p, "GIF89a" + junk()); }},
    {"too narrow", "",
     [](const fs::path& p, int fw) { fw ? writeGif(p, fw == 5 ? 5 : fw / 2, 40) : writeGif(p, 400, 600); }},
    {"no whole number of frames", "",
     [](const fs::path& p, int fw) { fw ? writeGif(p, fw * 3 + 2, 40) : writeGif(p, 800, 300); }},
    {"1x1", "", [](const fs::path& p, int) { writeGif(p, 1, 1); }},
    // The loader takes the picture behind a control block without data for more data.
    {"graphic control extension without data", "graphic control",
     [](const fs::path& p, int) {
         writeBytes(
             p, gifbytes::header(8, 8, 4) + "\x21\xF9" + '\0' + gifbytes::imageDescriptor(8, 8) +
                    gifbytes::pixelData(gifbytes::literalCodes(std::vector<int>(64, 1), 2), 2) +
                    ';');
     }},
    {"16384 pixels wide", "outside",
     [](const fs::path& p, int) {
         writeBytes(p, gifbytes::picture(16384, 2, gifbytes::solidCodes(32768, 2)));
     }},
    {"0 pixels wide", "outside",
     [](const fs::path& p, int) {
         writeBytes(p, gifbytes::picture(0, 40, {4, 5}));
     }},
    // Entries 11 and 12 made to name each other.
    {"codes that refer to each other", "not yet defined",
     [](const fs::path& p, int) {
         writeBytes(p, gifbytes::header(20, 1, 8) + gifbytes::imageDescriptor(20, 1) +
                           gifbytes::pixelData({8, 0, 12, 11, 0, 11, 0, 12, 9}, 3) + ';');
     }},
    // A drop picture is loaded once per drop: 2000 x 2000 fills the budget after a few drops.
    {"huge", "budget",
     [](const fs::path& p, int fw) {
         const int width = fw == 5 ? 2000 : 16383;
         const int height = fw == 5 ? 2000 : 65535;
         writeBytes(
             p, gifbytes::picture(width, height, gifbytes::solidCodes(1LL * width * height, 2)));
     }},
    {"named pipe", "not a regular file",
     [](const fs::path& p, int) {
         fs::remove(p);
         mkfifo(p.c_str(), 0600);
     }},
};

struct Box {
    int x, y, width, height;
};

class PictureFaultsTest : public testing::TestWithParam<std::pair<const char*, int>> {
  protected:
    XServer x;
    ReferencePicture backdrop{std::string(PICTURES_DIR) + "/001.gif"};

    void SetUp() override {
        ASSERT_TRUE(x.ready()) << "Xvfb did not start";
        ASSERT_TRUE(backdrop.loaded());
    }

    // The share of the box's pixels that show the backdrop, in percent.
    int backdropShown(const XServer::Screenshot& shot, Box b) const {
        int same = 0;
        for (int py = b.y; py < b.y + b.height; ++py)
            for (int px = b.x; px < b.x + b.width; ++px)
                same += shot.at(px, py) == backdrop.rgbAt(px, py);
        return same * 100 / (b.width * b.height);
    }

    // True when any pixel of the box differs between the two screenshots.
    static bool changed(const XServer::Screenshot& a, const XServer::Screenshot& b, Box box) {
        for (int py = box.y; py < box.y + box.height; ++py)
            for (int px = box.x; px < box.x + box.width; ++px)
                if (a.at(px, py) != b.at(px, py))
                    return true;
        return false;
    }
};

TEST_P(PictureFaultsTest, NamedOnceTheRestDrawnAndEscapeEndsIt) {
    const std::string file = GetParam().first;
    const int frameWidth = GetParam().second;
    const Box sky{0, 0, 800, 150};
    const Box omBox{100, 320, 180, 100};
    const Box basilBox{30, 470, 90, 110};

    for (const Fault& fault : faults) {
        SCOPED_TRACE(file + ", " + fault.name);
        const fs::path folder = fs::path(scratchPath("faults")) / (file + "-" + fault.name);
        fs::create_directories(folder);
        for (const char* picture : allPictures)
            fs::copy_file(fs::path(PICTURES_DIR) / picture, folder / picture,
                          fs::copy_options::overwrite_existing);
        fault.make(folder / file, frameWidth);

        // The bare server's screen is no backdrop either: without one, om must be seen drawn,
        // or Escape may be sent before the program has a window to take it.
        const XServer::Screenshot bare = x.screenshot();
        ChildProcess program(PROGRAM_PATH, {}, {x.displayVariable()}, folder.string());
        const Box other = file == "om.gif" ? basilBox : omBox;
        const auto omDrawnAlone = [&](const XServer::Screenshot& s) {
            return backdropShown(s, omBox) < 100 && changed(s, bare, omBox);
        };
        const auto restDrawn = [&](const XServer::Screenshot& s) {
            return backdropShown(s, sky) >= 95 && backdropShown(s, other) < 90;
        };
        // Waits for the scene as it should look, and no longer.
        XServer::Screenshot shot;
        bool asExpected = false;
        for (int waited = 0; !asExpected && waited < 8000 && program.running(); waited += 50) {
            sleepMs(50);
            shot = x.screenshot();
            asExpected = file == "001.gif" ? omDrawnAlone(shot) : restDrawn(shot);
        }
        ASSERT_TRUE(program.running()) << program.errorOutput();

        if (file == "001.gif") {
            EXPECT_TRUE(omDrawnAlone(shot)) << "om is drawn without the backdrop";
        } else {
            EXPECT_GE(backdropShown(shot, sky), 95) << "the backdrop is drawn";
            EXPECT_LT(backdropShown(shot, other), 90) << "the other characters are drawn";
        }

        ASSERT_TRUE(x.xdotool({"key", "Escape"}));
        int status = -2;
        ASSERT_TRUE(program.waitFor(3000, &status));
        EXPECT_EQ(status, 0);
        const std::string said = program.errorOutput();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(file), std::string::npos) << said;
        EXPECT_NE(said.find(fault.said), std::string::npos) << said;
        if (file == "001.gif") {
            EXPECT_NE(said.find("smear"), std::string::npos) << said;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EachPicture, PictureFaultsTest,
                         testing::Values(std::pair{"001.gif", 0}, std::pair{"basil.gif", 90},
                                         std::pair{"om.gif", 180}, std::pair{"egg.gif", 70},
                                         std::pair{"kapka.gif", 5}, std::pair{"kapka2.gif", 5}),
                         [](const auto& info) {
                             std::string name = info.param.first;
                             return name.substr(0, name.find('.'));
                         });

} // namespace
