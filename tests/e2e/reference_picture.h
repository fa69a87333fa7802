// A picture read as colours, to hold against screenshots of the running program.
#pragma once

#include <string>
#include <vector>

class ReferencePicture {
  public:
    explicit ReferencePicture(const std::string& file);
    bool loaded() const { return width_ > 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    unsigned rgbAt(int x, int y) const { return pixels[y * width_ + x]; } // 0xRRGGBB

  private:
    int width_ = 0;
    int height_ = 0;
    std::vector<unsigned> pixels;
};
