// How many threads this process has, where the system lists them: tests that load and unload
// a binary again and again check that nothing of it keeps running.
#pragma once

#include <filesystem>
#include <iterator>

// -1 where the system offers no list.
inline long threadsOfThisProcess() {
#if defined(__linux__)
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return std::distance(begin(tasks), end(tasks));
#else
    return -1;
#endif
}
