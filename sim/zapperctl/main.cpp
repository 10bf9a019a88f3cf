// zapperctl: small helpers for people and scripts around a running Zapper.
//
//   zapperctl wait [SECONDS]   waits until Zapper's window answers (its start-up has ended);
//                              exit code 0, or 1 on time-out (default 60 s)
//   zapperctl running          exit code 0 when a Zapper runs in this session, 1 otherwise
//   zapperctl keys SECONDS     prints every keystroke the session sees for SECONDS, one per
//                              line ("0x41 down"), through a low-level keyboard hook; the keys
//                              are swallowed, so nothing else receives them
//   zapperctl desktop SECONDS  stands in for the shell's desktop for SECONDS: a window that
//                              takes the foreground whenever no window has it. Wine delivers
//                              HID raw input, input-sink registrations included, only while
//                              some thread has the foreground and a focus window; on Windows
//                              the shell always provides one
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

HWND zapperWindow() {
    return ::FindWindowW(L"#32770", L"ZapperHost");
}

int waitReady(DWORD seconds) {
    const ULONGLONG deadline = ::GetTickCount64() + seconds * 1000ull;
    HWND window = nullptr;
    while (!(window = zapperWindow())) {
        if (::GetTickCount64() >= deadline) {
            return 1;
        }
        ::Sleep(50);
    }
    const ULONGLONG now = ::GetTickCount64();
    const UINT left = now < deadline ? static_cast<UINT>(deadline - now) : 1;
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, left, &ignored) ? 0 : 1;
}

LRESULT CALLBACK printKey(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
        std::printf("0x%02lX %s\n", key->vkCode, up ? "up" : "down");
        std::fflush(stdout);
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

int watchKeys(DWORD seconds) {
    HHOOK hook = ::SetWindowsHookExW(WH_KEYBOARD_LL, &printKey, ::GetModuleHandleW(nullptr), 0);
    if (!hook) {
        std::fputs("zapperctl: cannot watch the keyboard\n", stderr);
        return 1;
    }
    const UINT_PTR timer = ::SetTimer(nullptr, 0, seconds * 1000, nullptr);
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.wParam == timer) {
            break;
        }
        ::DispatchMessageW(&message);
    }
    ::UnhookWindowsHookEx(hook);
    return 0;
}

LRESULT CALLBACK desktopProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int keepDesktop(DWORD seconds) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &desktopProcedure;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KestrelDesktopStandIn";
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Desktop",
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                          nullptr, windowClass.hInstance, nullptr);
    if (!window) {
        std::fputs("zapperctl: cannot create the desktop window\n", stderr);
        return 1;
    }
    ::SetForegroundWindow(window);
    const UINT_PTR watch = ::SetTimer(nullptr, 0, 50, nullptr);
    const ULONGLONG end = ::GetTickCount64() + seconds * 1000ull;
    MSG message;
    while (::GetTickCount64() < end && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER && message.wParam == watch && !::GetForegroundWindow()) {
            ::SetForegroundWindow(window);
        }
        ::DispatchMessageW(&message);
    }
    ::DestroyWindow(window);
    return 0;
}

int usage() {
    std::fputs("usage: zapperctl wait [SECONDS] | running | keys SECONDS | desktop SECONDS\n",
               stderr);
    return 2;
}

} // namespace

int wmain() {
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    int result = 2;
    if (argc >= 2 && std::wcscmp(argv[1], L"wait") == 0) {
        result = waitReady(argc >= 3 ? std::wcstoul(argv[2], nullptr, 10) : 60);
    } else if (argc == 2 && std::wcscmp(argv[1], L"running") == 0) {
        result = zapperWindow() ? 0 : 1;
    } else if (argc == 3 && std::wcscmp(argv[1], L"desktop") == 0) {
        result = keepDesktop(std::wcstoul(argv[2], nullptr, 10));
    } else if (argc == 3 && std::wcscmp(argv[1], L"keys") == 0) {
        result = watchKeys(std::wcstoul(argv[2], nullptr, 10));
    } else {
        result = usage();
    }
    ::LocalFree(argv);
    return result;
}
