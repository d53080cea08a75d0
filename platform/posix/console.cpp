#include "platform/console.h"

#include <cstdio>

namespace platform {

// Standard error stands for the console window: the same lines reach the developer's terminal.
ConsoleHandle openConsole(const char *, short, short) { return stderr; }

void writeConsole(ConsoleHandle console, const char *text) {
    if (console != nullptr) {
        std::fputs(text, static_cast<std::FILE *>(console));
    }
}

void closeConsole(ConsoleHandle console) {
    if (console != nullptr) {
        std::fflush(static_cast<std::FILE *>(console));
    }
}

} // namespace platform
