// tilelauncher: stands in for the maker's tile launcher, which asks the running Zapper to act
// as if the TV or the record button had been pressed.
//
//   tilelauncher tv | record | CODE
//
// Posts the registered notification message with the code (tv = 0x0D67, record = 0x0D63,
// or any number, decimal or 0x hex) to Zapper's window. Exit code 0 when posted, 1 when no
// Zapper runs, 2 on a bad command line.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

int wmain() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    if (argc != 2) {
        std::fputs("usage: tilelauncher tv | record | CODE\n", stderr);
        ::LocalFree(argv);
        return 2;
    }
    unsigned long code = 0;
    if (::lstrcmpiW(argv[1], L"tv") == 0) {
        code = 0x0D67;
    } else if (::lstrcmpiW(argv[1], L"record") == 0) {
        code = 0x0D63;
    } else {
        wchar_t* end = nullptr;
        code = std::wcstoul(argv[1], &end, 0);
        if (!end || *end != L'\0') {
            std::fputs("tilelauncher: the code must be tv, record or a number\n", stderr);
            ::LocalFree(argv);
            return 2;
        }
    }
    ::LocalFree(argv);

    const UINT message = ::RegisterWindowMessageW(L"9C41D7B2-3E6A-4F05-B1D8-72A5C0E94F13");
    const HWND zapper = ::FindWindowW(L"#32770", L"ZapperHost");
    if (!zapper) {
        std::fputs("tilelauncher: Zapper is not running\n", stderr);
        return 1;
    }
    return ::PostMessageW(zapper, message, code, 0) ? 0 : 1;
}
