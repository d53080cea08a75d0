// The simulated host's render threads: a pool that lives as long as the host, as a real
// host's does, so a frame's bands start on threads already running instead of new ones.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace ofxsim {

class BandThreads {
public:
    BandThreads() = default;
    ~BandThreads();
    BandThreads(const BandThreads &) = delete;
    BandThreads &operator=(const BandThreads &) = delete;

    // Calls band(i) for i = 0 to count - 1, each on a thread of its own, and returns when
    // every one has returned. Runs asked for while another is under way (renders of several
    // instances at once) get threads of their own.
    void run(unsigned int count, const std::function<void(unsigned int)> &band);

private:
    void serve(unsigned int index);

    std::mutex busy_; // held by the run the pool serves
    std::mutex lock_;
    std::condition_variable started_, finished_;
    std::vector<std::thread> threads_;
    const std::function<void(unsigned int)> *band_ = nullptr;
    unsigned int count_ = 0;
    unsigned long run_ = 0; // the number of the current run
    unsigned int unfinished_ = 0;
    bool stopping_ = false;
};

} // namespace ofxsim
