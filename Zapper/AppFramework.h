// A small application and dialog layer over plain Win32: an application object that owns
// the message loop, and modeless dialogs created from a template whose messages are routed
// through per-class tables.
#pragma once

#include <windows.h>

#include <cstddef>

class ModelessDialog {
public:
    ModelessDialog() = default;
    virtual ~ModelessDialog() = default;
    ModelessDialog(const ModelessDialog&) = delete;
    ModelessDialog& operator=(const ModelessDialog&) = delete;

    // Creates the window from the dialog template; WM_INITDIALOG reaches OnInitDialog.
    BOOL Create(UINT templateId, HWND parent);
    virtual BOOL DestroyWindow();
    HWND GetSafeHwnd() const { return m_hWnd; }

protected:
    virtual BOOL OnInitDialog() { return TRUE; }
    // Called once the window is gone, after its last message.
    virtual void PostNcDestroy() {}
    // The class's message table: true when the message was handled, with its result.
    virtual bool routeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) = 0;

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
};

// One entry of a class's message table. A registered message is named by the variable
// that holds its id, since the id is known only at run time.
template <typename Owner>
struct MessageRoute {
    UINT message;
    const UINT* registeredMessage;
    LRESULT (Owner::*handler)(WPARAM, LPARAM);
};

template <typename Owner, std::size_t Count>
bool routeThrough(Owner* owner, const MessageRoute<Owner> (&routes)[Count], UINT message,
                  WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const MessageRoute<Owner>& route : routes) {
        const UINT id = route.registeredMessage ? *route.registeredMessage : route.message;
        if (id != 0 && id == message) {
            result = (owner->*route.handler)(wParam, lParam);
            return true;
        }
    }
    return false;
}

class WinApp {
public:
    WinApp();
    virtual ~WinApp();
    WinApp(const WinApp&) = delete;
    WinApp& operator=(const WinApp&) = delete;

    // TRUE keeps the process in the message loop.
    virtual BOOL InitInstance() = 0;
    // The process exit code.
    virtual int ExitInstance() { return exitCode_; }
    // The message loop; ends when the main window is gone.
    int Run();

    static WinApp* current() { return current_; }

    ModelessDialog* m_pMainWnd = nullptr;

protected:
    int exitCode_ = 0;

private:
    static WinApp* current_;
};

// What the program's entry point runs: InitInstance, the loop, ExitInstance.
int runApplication(WinApp& application);
