// The suite's debug log: a statement names a level and a wide printf-style format; a
// "DbgLog.ini" beside the program decides whether and where the line goes. Without that
// file nothing is written (Tilehop's profile excepted, see LogProfile.h).
#pragma once

#include <cstdint>

enum LogLevel : std::int32_t {
    LOG_LEVEL_ERR = 0,
    LOG_LEVEL_WRN = 1,
    LOG_LEVEL_INF = 2,
    LOG_LEVEL_TRC = 3,
};

// Where a statement stands. The function is the compiler's decorated signature; the
// line shows it as " (Class::function)".
struct LogSite {
    const wchar_t* sourceFile;
    int line;
    const char* function;
    const wchar_t* tag;
    LogLevel level;
};

// Returns the characters handed to the destination (line feed included), 512 when the
// line was cut, 0 when the statement was filtered out. Callers ignore it.
int writeLog(const LogSite& site, const wchar_t* format, ...);

// Writes "ENTER name" now and "LEAVE name" on every way out of the enclosing scope,
// both with the site of the declaration.
class LogScope {
public:
    LogScope(const wchar_t* name, const LogSite& site) noexcept;
    ~LogScope();
    LogScope(const LogScope&) = delete;
    LogScope& operator=(const LogScope&) = delete;

private:
    const wchar_t* name_;
    LogSite site_;
};

#define LOG_WIDEN2_(text) L##text
#define LOG_WIDEN_(text) LOG_WIDEN2_(text)
#define LOG_SITE(level)                                                                            \
    (::LogSite{LOG_WIDEN_(__FILE__), __LINE__, __PRETTY_FUNCTION__, L"", (level)})

#define LOG_ERR(...) ::writeLog(LOG_SITE(LOG_LEVEL_ERR), __VA_ARGS__)
#define LOG_WRN(...) ::writeLog(LOG_SITE(LOG_LEVEL_WRN), __VA_ARGS__)
#define LOG_INF(...) ::writeLog(LOG_SITE(LOG_LEVEL_INF), __VA_ARGS__)
#define LOG_TRC(...) ::writeLog(LOG_SITE(LOG_LEVEL_TRC), __VA_ARGS__)

// The suite's fixed forms: a failing result code just before it is returned, a parameter
// dump, an assertion that does not hold (execution goes on).
#define LOG_ERROR_CODE(code) LOG_ERR(L"Error Code: 0x%x", static_cast<unsigned>(code))
#define LOG_PARAM(name, value) LOG_TRC(L"%s = %s", name, value)
#define LOG_ASSERT(expression)                                                                     \
    do {                                                                                           \
        if (!(expression)) {                                                                       \
            LOG_ERR(L"ASSERT( %s )", LOG_WIDEN_(#expression));                                     \
        }                                                                                          \
    } while (0)

#define LOG_SCOPE(name) ::LogScope logScope_(name, LOG_SITE(LOG_LEVEL_TRC))
