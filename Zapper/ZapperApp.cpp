#include "ZapperApp.h"

#include "ZapperDlg.h"

#include <commctrl.h>

#include <cwchar>
#include <new>

BOOL CZapperApp::InitInstance() {
    INITCOMMONCONTROLSEX controls = {sizeof controls, 0xFF};
    ::InitCommonControlsEx(&controls);

    UniqueHandle running(::OpenMutexW(MUTEX_ALL_ACCESS, FALSE, kInstanceMutexName));
    if (running) {
        running.reset();
        // Case-sensitive, anywhere in the command line, program path included.
        if (std::wcsstr(::GetCommandLineW(), kExitOption)) {
            if (const HWND first = ::FindWindowW(kMainWindowClass, kMainWindowCaption)) {
                ::PostMessageW(first, WM_CLOSE, 0, 0);
            }
        }
        return FALSE;
    }

    // Without the mutex the instance still runs, just unprotected.
    instanceMutex_.reset(::CreateMutexW(nullptr, TRUE, kInstanceMutexName));
    TileNotifyMessage = ::RegisterWindowMessageW(kTileNotifyMessageName);

    auto* dialog = new (std::nothrow) CZapperDlg;
    if (!dialog) {
        return FALSE;
    }
    m_pMainWnd = dialog;
    if (!dialog->Create(kMainDialogTemplate, nullptr)) {
        m_pMainWnd = nullptr;
        delete dialog;
        return FALSE;
    }
    // Initialisation may have closed the window already (it posts itself WM_CLOSE).
    if (const HWND window = dialog->GetSafeHwnd()) {
        ::ShowWindow(window, SW_HIDE);
    }
    return TRUE;
}

int CZapperApp::ExitInstance() {
    if (instanceMutex_) {
        ::ReleaseMutex(instanceMutex_.get());
        instanceMutex_.reset();
    }
    return WinApp::ExitInstance();
}
