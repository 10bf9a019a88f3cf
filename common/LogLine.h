// Assembly of one debug-log line and the mapping of raw settings: plain logic, no
// platform calls, so that the exact layout can be tested in process.
#pragma once

#include "DebugLog.h"
#include "LogProfile.h"

#include <cstdarg>
#include <cstddef>

constexpr int kLogLineChars = 512; // the whole line buffer, terminator included
constexpr int kLogLineMaxText = 510;

int mapLogLevel(int raw) noexcept;
int mapLogDestination(int raw, const LogProfile& profile) noexcept;
int mapTimeDateFormat(int raw) noexcept;
bool mapFullSourcePath(int raw) noexcept;
bool mapFlush(int raw) noexcept;

// The text after the last backslash, or the whole path when it has none.
const wchar_t* shortSourceName(const wchar_t* path) noexcept;

// " (Class::function)" from a decorated signature such as
// "virtual int Class::function(int) const"; writes at most outChars with terminator.
void makeFunctionLabel(const char* signature, wchar_t* out, std::size_t outChars) noexcept;

struct LogLineParts {
    bool threadIdPrefix;
    unsigned long threadId;
    const wchar_t* timeStamp; // formatted already; may be empty
    const wchar_t* sourceFile;
    bool fullSourcePath;
    int line;
    const wchar_t* tag;
    LogLevel level;
    const char* function;
};

// Fills `line` and returns the characters written including the line feed, or 512 when
// the message had to be cut (the line then keeps its first 510 characters).
int assembleLogLine(wchar_t (&line)[kLogLineChars], const LogLineParts& parts,
                    const wchar_t* format, va_list args) noexcept;
