#include "platform/event.h"

#include <chrono>
#include <thread>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define CPU_RELAX() _mm_pause()
#else
#define CPU_RELAX() std::this_thread::yield()
#endif

namespace platform {

void ManualResetEvent::set() {
    markSet();
    setSystemEvent();
}

void *ManualResetEvent::markSet() {
    signaled_.store(true, std::memory_order_release);
    return handle_;
}

void ManualResetEvent::reset() {
    resetSystemEvent();
    signaled_.store(false, std::memory_order_release);
}

WaitResult ManualResetEvent::waitSpinningFirst() {
    constexpr auto kSpinTime = std::chrono::microseconds(50);
    const auto until = std::chrono::steady_clock::now() + kSpinTime;
    for (;;) {
        for (int i = 0; i < 64; ++i) {
            if (isSet()) {
                return WaitResult::signaled;
            }
            CPU_RELAX();
        }
        if (std::chrono::steady_clock::now() >= until) {
            return wait(WaitTime::forever);
        }
    }
}

} // namespace platform
