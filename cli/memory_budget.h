// The memory a run may take for the files it has in flight: a file that alone needs more is
// refused before anything of it is allocated, and files in flight together wait for room.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>

namespace cli {

// What the system says can be allocated now without swapping (MemAvailable), or, where it
// does not say, the physical memory.
std::size_t availableMemory();

// "512M", "8G", "1.5T" or a number of bytes; nullopt for anything else.
std::optional<std::size_t> parseMemorySize(const std::string &text);

// Bytes as a person reads them: "80.5 GiB".
std::string describeBytes(std::size_t bytes);

class MemoryBudget {
public:
    explicit MemoryBudget(std::size_t limit) : limit_(limit) {}

    std::size_t limit() const { return limit_; }
    bool fitsAlone(std::size_t bytes) const { return bytes <= limit_; }

    // Waits until `bytes` fit beside what is in flight and takes them; `bytes` must fit alone,
    // and the caller must hold nothing while it waits (or two waiters could wait for each other).
    void acquire(std::size_t bytes);
    void release(std::size_t bytes);

private:
    std::size_t limit_;
    std::size_t inFlight_ = 0;
    std::mutex mutex_;
    std::condition_variable released_;
};

} // namespace cli
