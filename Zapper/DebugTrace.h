#pragma once

// Formatted text straight to the debugger output, independent of the debug log.
void debugTrace(const wchar_t* format, ...);
