// Median wall-clock time of repeated runs, after one run that warms caches and threads up.
#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

namespace bench {

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

template <class Run> double medianSeconds(int runs, Run &&run) {
    run();
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return median(seconds);
}

} // namespace bench
