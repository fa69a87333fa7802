#pragma once

#include "canvas.h"

Canvas paintBasil();
