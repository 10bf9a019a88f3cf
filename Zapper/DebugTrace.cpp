#include "DebugTrace.h"

#include <windows.h>

#include <cstdarg>

void debugTrace(const wchar_t* format, ...) {
    // The platform formatter writes at most 1024 characters, well inside the buffer.
    wchar_t text[2048] = {};
    va_list args;
    va_start(args, format);
    ::wvsprintfW(text, format, args);
    va_end(args);
    ::OutputDebugStringW(text);
}
