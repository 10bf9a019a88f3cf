// dbgcapture: shows the debugger output (OutputDebugString) of programs in this session.
//
//   dbgcapture [-o FILE] [-t SECONDS] [-- PROGRAM [ARGUMENTS]]
//
// With a program: starts it, keeps the lines of that process only, and ends with its exit
// code once it has ended. Without one: keeps every process's lines, prefixed by the
// process id, for SECONDS (default: until stopped). Lines go to FILE or standard output,
// in UTF-8, as they arrive.
#include "DebugOutputListener.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <mutex>
#include <string>

namespace {

std::string toUtf8(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(
        CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(),
                          length, nullptr, nullptr);
    return result;
}

int usage() {
    std::fputs("usage: dbgcapture [-o FILE] [-t SECONDS] [-- PROGRAM [ARGUMENTS]]\n", stderr);
    return 2;
}

} // namespace

int wmain() {
    const wchar_t* commandLine = ::GetCommandLineW();
    const wchar_t* separator = std::wcsstr(commandLine, L" -- ");
    std::wstring childCommand = separator ? std::wstring(separator + 4) : std::wstring();
    std::wstring options(commandLine,
                         separator ? separator - commandLine : std::wcslen(commandLine));

    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(options.c_str(), &argc);
    std::wstring outputPath;
    DWORD seconds = INFINITE;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"-o") == 0 && i + 1 < argc) {
            outputPath = argv[++i];
        } else if (std::wcscmp(argv[i], L"-t") == 0 && i + 1 < argc) {
            seconds = static_cast<DWORD>(std::wcstoul(argv[++i], nullptr, 10));
        } else {
            ::LocalFree(argv);
            return usage();
        }
    }
    ::LocalFree(argv);

    FILE* output = stdout;
    if (!outputPath.empty()) {
        output = _wfopen(outputPath.c_str(), L"wb");
        if (!output) {
            std::fputs("dbgcapture: cannot open the output file\n", stderr);
            return 2;
        }
    }

    DebugOutputListener listener;
    if (!listener.start()) {
        std::fputs("dbgcapture: another debug output viewer is running\n", stderr);
        return 2;
    }

    std::mutex outputMutex;
    DWORD childId = 0;
    bool childStarted = false;
    listener.onLine([&](const DebugLine& line) {
        std::lock_guard<std::mutex> lock(outputMutex);
        if (childStarted && line.processId != childId) {
            return;
        }
        std::string text = toUtf8(line.text);
        if (text.empty() || text.back() != '\n') {
            text.push_back('\n');
        }
        if (childStarted) {
            std::fputs(text.c_str(), output);
        } else {
            std::fprintf(output, "%lu: %s", line.processId, text.c_str());
        }
        std::fflush(output);
    });

    int exitCode = 0;
    if (childCommand.empty()) {
        ::Sleep(seconds == INFINITE ? INFINITE : seconds * 1000);
    } else {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process = {};
        {
            std::lock_guard<std::mutex> lock(outputMutex);
            if (!::CreateProcessW(nullptr, childCommand.data(), nullptr, nullptr, FALSE,
                                  CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
                std::fprintf(stderr, "dbgcapture: cannot start the program (error %lu)\n",
                             ::GetLastError());
                return 2;
            }
            childId = process.dwProcessId;
            childStarted = true;
        }
        ::ResumeThread(process.hThread);
        ::CloseHandle(process.hThread);
        if (::WaitForSingleObject(process.hProcess,
                                  seconds == INFINITE ? INFINITE : seconds * 1000) ==
            WAIT_TIMEOUT) {
            ::TerminateProcess(process.hProcess, 1);
            ::WaitForSingleObject(process.hProcess, INFINITE);
        }
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        ::CloseHandle(process.hProcess);
        exitCode = static_cast<int>(code);
        // Let the last lines written before the exit arrive.
        ::Sleep(200);
    }
    listener.stop();
    if (output != stdout) {
        std::fclose(output);
    }
    return exitCode;
}
