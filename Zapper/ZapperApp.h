// Zapper's application object: one instance per session, "/exit" closes the running one.
#pragma once

#include "AppFramework.h"
#include "UniqueHandle.h"

constexpr wchar_t kInstanceMutexName[] = L"KESTREL_Remote_Controller_Mutex";
constexpr wchar_t kMainWindowClass[] = L"#32770";
constexpr wchar_t kMainWindowCaption[] = L"ZapperHost";
constexpr wchar_t kExitOption[] = L"/exit";

class CZapperApp : public WinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    // Held only by the first instance, which created it.
    UniqueHandle instanceMutex_;
};
