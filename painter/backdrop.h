#pragma once

#include "canvas.h"

inline constexpr int kScreenWidth = 800;
inline constexpr int kScreenHeight = 600;

// A rainy dusk: clouds over far mountains, a meadow for om and the egg, a rock ledge for the
// walking basil and a grassy bank at the front for the other.
Canvas paintBackdrop();
