// How many threads this process has, where the system lists them: tests that load and unload
// a binary again and again check that nothing of it keeps running.
#pragma once

#include <chrono>
#include <filesystem>
#include <iterator>
#include <thread>

// -1 where the system offers no list.
inline long threadsOfThisProcess() {
#if defined(__linux__)
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return std::distance(begin(tasks), end(tasks));
#else
    return -1;
#endif
}

// The thread count once it is `expected`, or after two seconds whatever it is then. A joined
// thread is still listed for a moment: the kernel wakes the joiner on its way out, before it
// takes the thread off the list.
inline long threadsSettlingTo(long expected) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    long count = threadsOfThisProcess();
    while (count != expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        count = threadsOfThisProcess();
    }
    return count;
}
