#include "diag/debug_log.h"

#include "platform/system.h"

DebugLog &debugLog() {
    static DebugLog log;
    return log;
}

DebugLog::DebugLog() { update(); }

DebugLog::~DebugLog() {
    platform::closeConsole(console);
    if (file != nullptr) {
        std::fclose(file);
    }
}

std::string DebugLog::defaultLogPath() {
    std::optional<std::string> home = platform::environmentVariable("HOME");
    if (!home) {
        home = platform::environmentVariable("HOMEPATH");
    }
    return home ? *home + "/" + "corvanthis/zephyrine_ae.log" : std::string();
}

void DebugLog::update() {
    if (path.empty()) {
        path = defaultLogPath();
    }
    if (file != nullptr) {
        enabled = true;
    } else if (!path.empty()) {
        // Only an existing file switches the log on: it is never created here. The probe opens
        // nothing, so a render with the log off allocates nothing.
        if (platform::fileExists(path.c_str())) {
            file = std::fopen(path.c_str(), "a+");
            enabled = file != nullptr;
        }
    }
    if (enabled && console == nullptr) {
        console = platform::openConsole("Debug Window", 120, 5000);
    }
}

bool DebugLog::takesMessages() {
    if (enabled) {
        return true;
    }
    platform::LockGuard guard(lock);
    update();
    return enabled;
}

void DebugLog::write(const std::ostringstream &message) {
    platform::LockGuard guard(lock);
    update();
    std::string indentation;
    for (int32_t level = depth.load(std::memory_order_relaxed); level > 0; --level) {
        indentation += "    ";
    }
    const std::string text = message.str();
    if (file != nullptr) {
        std::fprintf(file, "%s", indentation.c_str());
        std::fprintf(file, "%s", text.c_str());
        std::fflush(file);
    }
    if (console != nullptr) {
        platform::writeConsole(console, indentation.c_str());
        platform::writeConsole(console, text.c_str());
    }
}
