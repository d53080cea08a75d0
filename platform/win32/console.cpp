#include "platform/console.h"

#include <cstring>
#include <windows.h>

namespace platform {

ConsoleHandle openConsole(const char *title, short columns, short lines) {
    // A host process usually has no console; when it already has one, AllocConsole fails
    // and the existing one is used.
    AllocConsole();
    SetConsoleTitleA(title);
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    SetConsoleScreenBufferSize(output, COORD{columns, lines});
    return output;
}

void writeConsole(ConsoleHandle console, const char *text) {
    if (console == nullptr) {
        return;
    }
    DWORD written = 0;
    WriteConsoleA(static_cast<HANDLE>(console), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

void closeConsole(ConsoleHandle console) {
    if (console != nullptr) {
        FreeConsole();
    }
}

} // namespace platform
