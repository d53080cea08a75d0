// A console window for the process. On Windows the process gets a console of its own;
// elsewhere standard error stands for it.
#pragma once

namespace platform {

using ConsoleHandle = void *;

// Opens the console with the given title and screen buffer size; null when none is available.
ConsoleHandle openConsole(const char *title, short columns, short lines);

// Writes the text up to its first zero byte.
void writeConsole(ConsoleHandle console, const char *text);

// Releases the process's console.
void closeConsole(ConsoleHandle console);

} // namespace platform
