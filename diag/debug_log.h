// The process-wide diagnostic log. It writes only while the file
// "corvanthis/zephyrine_ae.log" exists under the user's home folder: lines are appended to it
// and shown in a console ("Debug Window"; standard error where there is no console window).
#pragma once

#include "platform/console.h"
#include "platform/lock.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>

class DebugLog {
public:
    DebugLog();
    ~DebugLog();
    DebugLog(const DebugLog &) = delete;
    DebugLog &operator=(const DebugLog &) = delete;

    // Writes one message whole, indented by four spaces per level, even when threads write at once.
    void write(const std::ostringstream &message);
    // Finds the file (a file made while the host runs takes effect with the next message).
    void update();
    static std::string defaultLogPath();

    bool isEnabled() const { return enabled; }
    // Looks for the file as `write` would, and says whether a message would be written. Callers
    // ask first and build no message while the log is off.
    bool takesMessages();

    // Indentation level; LogIndent changes it, every write reads it.
    std::atomic<int32_t> depth{0};

private:
    std::string path;
    std::FILE *file = nullptr;
    std::atomic<bool> enabled{false};
    platform::Lock lock;
    platform::ConsoleHandle console = nullptr;
};

// The one log of the process, made on first use and destroyed when the module unloads.
DebugLog &debugLog();

// Indents everything written while it lives by one more level.
class LogIndent {
public:
    LogIndent() : log_(debugLog()) { log_.depth.fetch_add(1, std::memory_order_relaxed); }
    ~LogIndent() { log_.depth.fetch_sub(1, std::memory_order_relaxed); }
    LogIndent(const LogIndent &) = delete;
    LogIndent &operator=(const LogIndent &) = delete;

private:
    DebugLog &log_;
};

// Builds one line from text and numbers, ends it with a line feed and writes it.
template <class... Parts> void logLine(const Parts &...parts) {
    DebugLog &log = debugLog();
    if (!log.takesMessages()) {
        return;
    }
    std::ostringstream message;
    (message << ... << parts) << '\n';
    log.write(message);
}
