#include "ofxsim/band_threads.h"

namespace ofxsim {

BandThreads::~BandThreads() {
    {
        const std::lock_guard guard(lock_);
        stopping_ = true;
    }
    started_.notify_all();
    for (std::thread &thread : threads_) {
        thread.join();
    }
}

void BandThreads::run(unsigned int count, const std::function<void(unsigned int)> &band) {
    const std::unique_lock busy(busy_, std::try_to_lock);
    if (!busy.owns_lock()) {
        std::vector<std::thread> threads;
        for (unsigned int i = 0; i < count; ++i) {
            threads.emplace_back(band, i);
        }
        for (std::thread &thread : threads) {
            thread.join();
        }
        return;
    }
    std::unique_lock guard(lock_);
    while (threads_.size() < count) {
        threads_.emplace_back([this, index = static_cast<unsigned int>(threads_.size())] { serve(index); });
    }
    band_ = &band;
    count_ = count;
    unfinished_ = count;
    ++run_;
    started_.notify_all();
    finished_.wait(guard, [this] { return unfinished_ == 0; });
    band_ = nullptr;
}

void BandThreads::serve(unsigned int index) {
    unsigned long served = 0;
    std::unique_lock guard(lock_);
    for (;;) {
        started_.wait(guard, [&] { return stopping_ || run_ != served; });
        if (stopping_) {
            return;
        }
        served = run_;
        if (index >= count_) {
            continue; // a run of fewer bands than there are threads
        }
        const std::function<void(unsigned int)> &band = *band_;
        guard.unlock();
        band(index);
        guard.lock();
        if (--unfinished_ == 0) {
            finished_.notify_one();
        }
    }
}

} // namespace ofxsim
