#include "cli/memory_budget.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace cli {

std::size_t availableMemory() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::size_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes >> unit) {
        if (key == "MemAvailable:") {
            return kilobytes * 1024;
        }
    }
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageSize) : 0;
}

std::optional<std::size_t> parseMemorySize(const std::string &text) {
    std::istringstream in(text);
    double number = 0.0;
    if (!(in >> number) || !(number > 0.0)) {
        return std::nullopt;
    }
    std::string suffix;
    in >> suffix;
    const std::string units = "KMGT";
    double factor = 1.0;
    if (!suffix.empty()) {
        const std::size_t at = units.find(static_cast<char>(std::toupper(static_cast<unsigned char>(suffix[0]))));
        if (at == std::string::npos || suffix.size() > 1 || !in.eof()) {
            return std::nullopt;
        }
        factor = std::pow(1024.0, static_cast<double>(at + 1));
    }
    const double bytes = number * factor;
    if (bytes >= 1.8e19) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(bytes);
}

std::string describeBytes(std::size_t bytes) {
    const char *units[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
    double value = static_cast<double>(bytes);
    int unit = 0;
    while (value >= 1024.0 && unit < 4) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
    return text;
}

void MemoryBudget::acquire(std::size_t bytes) {
    std::unique_lock<std::mutex> lock(mutex_);
    released_.wait(lock, [&] { return inFlight_ + bytes <= limit_; });
    inFlight_ += bytes;
}

void MemoryBudget::release(std::size_t bytes) {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        inFlight_ -= bytes;
    }
    released_.notify_all();
}

} // namespace cli
