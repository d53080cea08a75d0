// The process-wide mark that a run owns the pool. Claiming it is one atomic step, so when
// two host threads render at once exactly one gets the pool and the other runs serially.
#pragma once

#include <atomic>

class ThreadedRunClaim {
public:
    ThreadedRunClaim() : owned_(!active().exchange(true, std::memory_order_acquire)) {}
    ~ThreadedRunClaim() {
        if (owned_) {
            active().store(false, std::memory_order_release);
        }
    }
    ThreadedRunClaim(const ThreadedRunClaim &) = delete;
    ThreadedRunClaim &operator=(const ThreadedRunClaim &) = delete;

    bool owned() const { return owned_; }
    // Whether some run owns the pool now.
    static bool held() { return active().load(std::memory_order_acquire); }

private:
    static std::atomic<bool> &active() {
        static std::atomic<bool> flag{false};
        return flag;
    }
    bool owned_;
};
