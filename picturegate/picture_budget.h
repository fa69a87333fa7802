// What the scene's pictures may take in memory together.
#pragma once

#include <cstddef>
#include <string>

// The bytes the gate keeps of each picture file, and every converted surface: one per sprite,
// so a drop picture is counted once per drop. Today's pictures take about 8 MiB on a 16-bit
// screen and 16 on a 32-bit one.
constexpr std::size_t pictureBudgetMiB = 64;

class CPictureBudget {
  public:
    explicit CPictureBudget(std::size_t bytes) : total(bytes) {}

    std::size_t left() const { return total - used; }
    bool take(std::size_t bytes) {
        if (bytes > left())
            return false;
        used += bytes;
        return true;
    }
    void giveBack(std::size_t bytes) { used -= bytes; }
    std::string refusal() const {
        return "it would take the pictures past their " + std::to_string(total >> 20) +
               " MiB budget";
    }

  private:
    std::size_t total;
    std::size_t used = 0;
};
