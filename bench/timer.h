// Wall-clock time and the median the benchmark reports everything by.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

inline double nowUs() {
    using Us = std::chrono::duration<double, std::micro>;
    return Us(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}
