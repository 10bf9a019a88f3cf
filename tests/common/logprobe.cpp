// logprobe: a program that writes debug-log statements as its command line asks, so that
// tests can see what the log does with a given DbgLog.ini beside it.
//
//   logprobe ACTION [ACTION ...]
//     err|wrn|inf|trc TEXT   one statement at that level, TEXT as its "%s" argument
//     long N                 an INF statement whose message is N characters long
//     scope                  a function with a log scope that it leaves early
//     wait NAME              waits (at most 10 s) until the named event is set
//     signal NAME            sets the named event
#include "DebugLog.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

namespace {

int leaveEarly(int value) {
    LOG_SCOPE(L"leaveEarly");
    if (value > 0) {
        return value;
    }
    LOG_INF(L"%s", L"not reached");
    return 0;
}

HANDLE namedEvent(const wchar_t* name) {
    return ::CreateEventW(nullptr, TRUE, FALSE, name);
}

} // namespace

int wmain() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; i < argc; ++i) {
        const std::wstring action = argv[i];
        const wchar_t* operand = i + 1 < argc ? argv[i + 1] : L"";
        if (action == L"err") {
            LOG_ERR(L"%s", operand);
            ++i;
        } else if (action == L"wrn") {
            LOG_WRN(L"%s", operand);
            ++i;
        } else if (action == L"inf") {
            LOG_INF(L"%s", operand);
            ++i;
        } else if (action == L"trc") {
            LOG_TRC(L"%s", operand);
            ++i;
        } else if (action == L"long") {
            std::wstring text(static_cast<size_t>(std::wcstoul(operand, nullptr, 10)), L'x');
            text.back() = L'!';
            LOG_INF(L"%s", text.c_str());
            ++i;
        } else if (action == L"scope") {
            leaveEarly(1);
        } else if (action == L"wait") {
            HANDLE event = namedEvent(operand);
            ::WaitForSingleObject(event, 10000);
            ::CloseHandle(event);
            ++i;
        } else if (action == L"signal") {
            HANDLE event = namedEvent(operand);
            ::SetEvent(event);
            ::CloseHandle(event);
            ++i;
        } else {
            ::LocalFree(argv);
            return 2;
        }
    }
    ::LocalFree(argv);
    return 0;
}
