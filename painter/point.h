#pragma once

struct Point {
    double x, y;
};
