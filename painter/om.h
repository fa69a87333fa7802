#pragma once

#include "canvas.h"

Canvas paintOm();
