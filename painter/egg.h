#pragma once

#include "canvas.h"

Canvas paintEgg();
