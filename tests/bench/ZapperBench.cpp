// Figures for Zapper's hot paths, printed, not asserted:
//   - loading a table of 1,000 lines across 10 sets from the registry;
//   - executeCommand for a miss against 1,000 lines and for a hit at line 1,000;
//   - a log statement filtered out by "Level" and by "Destination" 0 (each in a copy of this
//     program started in a folder with its own DbgLog.ini, since settings are read once).
//
//   zapper_bench [--quick]      --quick runs few iterations (a smoke run for the tests)
#include "CmdSetting.h"
#include "DebugLog.h"
#include "TestSupport.h"
#include "ZapperDlg.h"
#include "ZapperHarness.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

using namespace testing_support;

namespace {

double nowSeconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER value;
        ::QueryPerformanceFrequency(&value);
        return value;
    }();
    LARGE_INTEGER counter;
    ::QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Lines 1 to 1,000: distinct consumer buttons; the last one's record builds no command, so
// a hit measures the matching and the queue, not a keystroke.
void writeBigTable() {
    zapper_registry::reset();
    std::vector<std::pair<std::wstring, std::vector<std::wstring>>> sets;
    for (int set = 0; set < 10; ++set) {
        std::vector<std::wstring> lines;
        for (int line = 0; line < 100; ++line) {
            const int code = 0x1000 + set * 100 + line;
            wchar_t text[96];
            swprintf(text, 96, L"Button%d,%X,C,1,0,0,0,0,,0,0,41", code, code);
            lines.push_back(text);
        }
        wchar_t name[32];
        swprintf(name, 32, L"Bench%02dSetting", set);
        sets.emplace_back(name, std::move(lines));
    }
    zapper_registry::writeMaster(L"1.0", sets);
}

void benchTable(int rounds) {
    writeBigTable();
    CZapperDlg window;
    double loadTotal = 0;
    for (int round = 0; round < rounds; ++round) {
        clearButtonTable(window.buttonTable());
        const double start = nowSeconds();
        if (FAILED(window.loadSettings())) {
            std::printf("table load failed\n");
            return;
        }
        loadTotal += nowSeconds() - start;
    }
    std::printf("table load, 1,000 lines in 10 sets:   %8.2f ms (mean of %d)\n",
                loadTotal / rounds * 1e3, rounds);

    const int calls = rounds * 50;
    auto timeCalls = [&](const ButtonEvent& event, HRESULT expected, const char* what) {
        const double start = nowSeconds();
        for (int i = 0; i < calls; ++i) {
            if (window.executeCommand(event) != expected) {
                std::printf("%s: unexpected result\n", what);
                return;
            }
        }
        std::printf("%-38s %8.2f us (mean of %d)\n", what, (nowSeconds() - start) / calls * 1e6,
                    calls);
    };
    timeCalls({1, 0x000C, 0x0001, 0x00B0}, kNoMatchingLine, "executeCommand, miss of 1,000 lines:");
    timeCalls({1, 0x000C, 0x0001, 0x1000 + 999}, S_OK, "executeCommand, hit at line 1,000:");
    clearButtonTable(window.buttonTable());
    zapper_registry::reset();
}

int benchFilteredLog(int statements) {
    volatile int sink = 0;
    const double start = nowSeconds();
    for (int i = 0; i < statements; ++i) {
        sink = sink + LOG_TRC(L"filtered %d %s", i, L"text");
    }
    const double elapsed = nowSeconds() - start;
    std::printf("%.2f\n", elapsed / statements * 1e9);
    return sink == 0 ? 0 : 1;
}

void benchLogInFolders(int statements) {
    struct Setting {
        const char* what;
        const char* ini;
    };
    const Setting settings[] = {
        {"log statement filtered by \"Level\":", "[LOG]\r\nLevel=0\r\nDestination=1\r\n"},
        {"log statement, \"Destination\" 0:", "[LOG]\r\nLevel=3\r\nDestination=0\r\n"},
    };
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const Setting& setting : settings) {
        TempFolder folder;
        const std::wstring copy = folder.file(L"zapper_bench.exe");
        copyInto(self, copy);
        writeFile(folder.path() / L"DbgLog.ini", setting.ini);
        const std::wstring output = folder.file(L"figure.txt");
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE file = ::CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                    CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = file;
        std::wstring commandLine =
            L"\"" + copy + L"\" --log-statements " + std::to_wstring(statements);
        PROCESS_INFORMATION info{};
        if (::CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             nullptr, &startup, &info)) {
            ::WaitForSingleObject(info.hProcess, 60000);
            ::CloseHandle(info.hThread);
            ::CloseHandle(info.hProcess);
        }
        ::CloseHandle(file);
        std::string figure = readFile(output);
        while (!figure.empty() && (figure.back() == '\n' || figure.back() == '\r')) {
            figure.pop_back();
        }
        std::printf("%-38s %8s ns (mean of %d)\n", setting.what, figure.c_str(), statements);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--log-statements") == 0) {
        return benchFilteredLog(std::atoi(argv[2]));
    }
    const bool quick = argc == 2 && std::strcmp(argv[1], "--quick") == 0;
    benchTable(quick ? 2 : 20);
    benchLogInFolders(quick ? 100000 : 10000000);
    return 0;
}
