#include "AppFramework.h"

WinApp* WinApp::current_ = nullptr;

WinApp::WinApp() {
    current_ = this;
}

WinApp::~WinApp() {
    if (current_ == this) {
        current_ = nullptr;
    }
}

int WinApp::Run() {
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        const HWND main = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
        if (main && ::IsDialogMessageW(main, &message)) {
            continue;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    exitCode_ = static_cast<int>(message.wParam);
    return exitCode_;
}

int runApplication(WinApp& application) {
    if (application.InitInstance()) {
        application.Run();
    }
    return application.ExitInstance();
}

BOOL ModelessDialog::Create(UINT templateId, HWND parent) {
    const HWND window =
        ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent,
                             &ModelessDialog::dialogProcedure, reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

BOOL ModelessDialog::DestroyWindow() {
    return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE;
}

INT_PTR CALLBACK ModelessDialog::dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                                 LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<ModelessDialog*>(lParam);
        ::SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->m_hWnd = window;
        return dialog->OnInitDialog();
    }
    auto* dialog = reinterpret_cast<ModelessDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) {
        return FALSE;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->m_hWnd = nullptr;
        // The application ends with its main window.
        WinApp* application = WinApp::current();
        if (application && application->m_pMainWnd == dialog) {
            application->m_pMainWnd = nullptr;
            ::PostQuitMessage(0);
        }
        dialog->PostNcDestroy();
        return FALSE;
    }
    LRESULT result = 0;
    // A handler may end the dialog itself: nothing of it is touched afterwards.
    if (!dialog->routeMessage(message, wParam, lParam, result)) {
        return FALSE;
    }
    if (message == WM_QUERYDRAGICON) {
        return static_cast<INT_PTR>(result);
    }
    ::SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
    return TRUE;
}
