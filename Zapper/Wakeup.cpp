// Buttons that switched the machine on or woke it, the session lock that the resume path
// waits for, and the tile launcher's notifications.
#include "ZapperDlg.h"

#include "DebugLog.h"
#include "DebugTrace.h"
#include "RegConfig.h"

#include <wtsapi32.h>

namespace {

constexpr DWORD kFirstPollDelayMs = 3000;
constexpr int kPolls = 6;
constexpr DWORD kPollIntervalMs = 3000;
constexpr DWORD kInstantTVDispatchDelayMs = 3000;

struct WakeupEntry {
    WORD code;
    ButtonEvent event;
};

// The wake-up codes acted on; every other code stays pending in the firmware.
constexpr WakeupEntry kWakeupTable[] = {
    {0x63, {3, 0x000C, 0x0001, 0x00B2}}, // the consumer usage Record
    {0x66, {5, 0xFF00, 0x0001, 0x0066}}, {0x67, {5, 0xFF00, 0x0001, 0x0067}},
    {0x89, {5, 0xFF00, 0x0001, 0x0089}}, {0x8C, {5, 0xFF00, 0x0001, 0x008C}},
    {0x90, {0, 0xFFBC, 0x0088, 0x006F}},
};

const WakeupEntry* findWakeup(WORD code) {
    for (const WakeupEntry& entry : kWakeupTable) {
        if (entry.code == code) {
            return &entry;
        }
    }
    return nullptr;
}

constexpr WORD kTileNotifyTV = 0x0D63;
constexpr WORD kTileNotifyRecord = 0x0D67;

} // namespace

LRESULT CZapperDlg::OnPowerBroadcast(WPARAM wParam, LPARAM lParam) {
    if (wParam == PBT_APMSUSPEND) {
        ::ResetEvent(resumeEvent_.get());
    } else if (wParam == PBT_APMRESUMECRITICAL || wParam == PBT_APMRESUMESUSPEND) {
        if (::WTSGetActiveConsoleSessionId() == consoleSessionId_) {
            ::PostMessageW(m_hWnd, kResumeMessage, reinterpret_cast<WPARAM>(m_hWnd), 0);
            if (bridge_.SYSBRIDGE_SetSleepButtonMode) {
                bridge_.SYSBRIDGE_SetSleepButtonMode(0);
            }
        }
    }
    return ::DefWindowProcW(m_hWnd, WM_POWERBROADCAST, wParam, lParam);
}

LRESULT CZapperDlg::OnSessionChange(WPARAM wParam, LPARAM) {
    if (wParam == WTS_SESSION_LOCK) {
        sessionLocked_ = 1;
    } else if (wParam == WTS_SESSION_UNLOCK) {
        sessionLocked_ = 0;
        ::SetEvent(resumeEvent_.get());
    }
    return 0;
}

LRESULT CZapperDlg::OnResumeWakeup(WPARAM wParam, LPARAM) {
    if (reinterpret_cast<HWND>(wParam) != m_hWnd || wakeBusy_ == 1) {
        return 0;
    }
    wakeBusy_ = 1;
    if (manageWakeupCodeForTVandREC()) {
        wakeBusy_ = 0;
        return 0;
    }
    if (sessionLocked_ == 1) {
        // Wait for the unlock while messages keep flowing: button presses, session and
        // power messages are handled meanwhile.
        for (;;) {
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    // The window may be gone by now: hand the quit on and touch nothing.
                    ::PostQuitMessage(static_cast<int>(message.wParam));
                    return 1;
                }
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            const HANDLE resume = resumeEvent_.get();
            if (::MsgWaitForMultipleObjects(1, &resume, FALSE, INFINITE, QS_ALLINPUT) ==
                WAIT_OBJECT_0) {
                break;
            }
        }
    }
    manageWakeupCode();
    wakeBusy_ = 0;
    return 0;
}

LRESULT CZapperDlg::OnTileNotify(WPARAM wParam, LPARAM) {
    debugTrace(L"[Zapper] Quick Tile notification occur, Event Code:0x%04x!\n",
               static_cast<unsigned>(wParam));
    if (wParam == kTileNotifyTV || wParam == kTileNotifyRecord) {
        executeCommand(findWakeup(static_cast<WORD>(wParam & 0xFF))->event);
    }
    return 0;
}

bool CZapperDlg::pollWakeupCode(WORD& code) {
    ::Sleep(kFirstPollDelayMs);
    BOOL result = 0;
    for (int poll = 0; poll < kPolls; ++poll) {
        code = 0;
        result = bridge_.SYSBRIDGE_GetWakeupCode ? bridge_.SYSBRIDGE_GetWakeupCode(&code) : 0;
        if (result == 1) {
            break;
        }
        ::Sleep(kPollIntervalMs);
    }
    return result != 0;
}

int CZapperDlg::manageWakeupCode() {
    LOG_INF(L"manageWakeupCode start");
    WORD code = 0;
    if (!pollWakeupCode(code)) {
        return 0;
    }
    const WakeupEntry* entry = findWakeup(code);
    if (!entry) {
        return 0;
    }
    debugTrace(L"[Zapper] CZapperDlg::manageWakeupCode wCode: 0x%04x", code);
    const ButtonEvent event = entry->event;
    if (bridge_.SYSBRIDGE_ClearWakeupCode) {
        bridge_.SYSBRIDGE_ClearWakeupCode();
    }
    getDelayTimeAfterResumeFromReg(code);
    executeCommand(event);
    return 1;
}

int CZapperDlg::manageWakeupCodeForTVandREC() {
    LOG_SCOPE(L"CZapperDlg::manageWakeupCodeForTVandREC");
    WORD code = 0;
    if (!pollWakeupCode(code)) {
        return 0;
    }
    if (code != 0x63 && code != 0x67) {
        return 0;
    }
    if (bridge_.SYSBRIDGE_GetInstantTVParam) {
        WORD errorCode = 0;
        WORD serviceId = 0;
        bridge_.SYSBRIDGE_GetInstantTVParam(&errorCode, &serviceId);
        if (errorCode != 0) {
            return 0;
        }
    }
    const ButtonEvent event = findWakeup(code)->event;
    if (bridge_.SYSBRIDGE_ClearWakeupCode) {
        bridge_.SYSBRIDGE_ClearWakeupCode();
    }
    ::Sleep(kInstantTVDispatchDelayMs);
    executeCommand(event);
    return 1;
}

HRESULT CZapperDlg::getDelayTimeAfterResumeFromReg(WORD code) {
    LOG_SCOPE(L"CZapperDlg::getDelayTimeAfterResumeFromReg");
    if (code != 0x63 && code != 0x67 && code != 0x89 && code != 0x8C) {
        return S_OK;
    }
    RegConfigAccess machineRoot;
    HRESULT result = machineRoot.Open(kZapperRoot);
    if (FAILED(result)) {
        LOG_ERROR_CODE(result);
        return result;
    }
    DWORD seconds = 0;
    result = machineRoot.GetValue(L"DelayAfterResume", seconds);
    if (FAILED(result)) {
        LOG_ERROR_CODE(result);
        machineRoot.Close();
        return result;
    }
    LOG_INF(L"delay time is:%d s", static_cast<int>(seconds));
    ::Sleep(seconds * 1000);
    LOG_INF(L"work around :%d s", static_cast<int>(seconds));
    machineRoot.Close();
    return S_OK;
}
