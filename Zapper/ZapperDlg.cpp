#include "ZapperDlg.h"

#include "DebugLog.h"
#include "MachineTable.h"
#include "RawReport.h"

#include <wtsapi32.h>

#include <algorithm>
#include <cstring>
#include <vector>

UINT TileNotifyMessage = 0;

const MessageRoute<CZapperDlg> CZapperDlg::messageRoutes_[] = {
    {WM_PAINT, nullptr, &CZapperDlg::OnPaint},
    {WM_QUERYDRAGICON, nullptr, &CZapperDlg::OnQueryDragIcon},
    {WM_COMMAND, nullptr, &CZapperDlg::OnCommand},
    {WM_CLOSE, nullptr, &CZapperDlg::OnClose},
    {WM_INPUT, nullptr, &CZapperDlg::OnWmInput},
    {WM_POWERBROADCAST, nullptr, &CZapperDlg::OnPowerBroadcast},
    {WM_WTSSESSION_CHANGE, nullptr, &CZapperDlg::OnSessionChange},
    {kResumeMessage, nullptr, &CZapperDlg::OnResumeWakeup},
    {0, &TileNotifyMessage, &CZapperDlg::OnTileNotify},
};

CZapperDlg::CZapperDlg() {
    icon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainIcon));
}

CZapperDlg::~CZapperDlg() {
    clearButtonTable(buttonTable_);
}

bool CZapperDlg::routeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_COMMAND && LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL) {
        return false;
    }
    return routeThrough(this, messageRoutes_, message, wParam, lParam, result);
}

BOOL CZapperDlg::OnInitDialog() {
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    ::SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    consoleSessionId_ = ::WTSGetActiveConsoleSessionId();
    resumeEvent_.reset(::CreateEventW(nullptr, TRUE, TRUE, nullptr));
    sessionNotifications_ =
        ::WTSRegisterSessionNotification(m_hWnd, NOTIFY_FOR_THIS_SESSION) != FALSE;

    if (FAILED(registerRawInput())) {
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return TRUE;
    }

    bridge_.load();
    WORD manufacturerId = 0;
    WORD machineId = 0;
    if (bridge_.SYSBRIDGE_GetManufactureID) {
        bridge_.SYSBRIDGE_GetManufactureID(&manufacturerId);
    }
    if (bridge_.SYSBRIDGE_GetMachineID) {
        bridge_.SYSBRIDGE_GetMachineID(&machineId);
    }
    wchar_t machineTable[MAX_PATH];
    machineTablePath(machineTable);
    deriveMachineListed(manufacturerId, machineId, machineTable);

    if (FAILED(loadSettings())) {
        ::PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        return TRUE;
    }
    if (bridge_.SYSBRIDGE_SetSleepButtonMode) {
        bridge_.SYSBRIDGE_SetSleepButtonMode(0);
    }
    // A machine switched on by a remote-control button performs that button's action.
    manageWakeupCode();
    return TRUE;
}

HRESULT CZapperDlg::loadSettings() {
    HRESULT result = settings_.open();
    if (SUCCEEDED(result)) {
        result = settings_.loadButtonTable(buttonTable_);
    }
    settings_.close();
    return result;
}

HRESULT CZapperDlg::registerRawInput() {
    RAWINPUTDEVICE devices[3] = {
        {0xFFBC, 0x0088, RIDEV_INPUTSINK, m_hWnd},
        {0x000C, 0x0001, RIDEV_INPUTSINK, m_hWnd},
        {0xFF00, 0x0001, RIDEV_INPUTSINK, m_hWnd},
    };
    if (!::RegisterRawInputDevices(devices, 3, sizeof(RAWINPUTDEVICE))) {
        LOG_ERROR_CODE(kRawInputRegistrationFailed);
        return kRawInputRegistrationFailed;
    }
    return S_OK;
}

HRESULT CZapperDlg::decodeRawInput(HRAWINPUT input, ButtonEvent& event) {
    UINT size = 0;
    if (::GetRawInputData(input, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER)) != 0) {
        return kRawInputUnreadable;
    }
    std::uint8_t local[kKeptRawInputBytes] = {};
    std::vector<std::uint8_t> large;
    std::uint8_t* data = local;
    if (size > kKeptRawInputBytes) {
        large.resize(size);
        data = large.data();
    }
    if (::GetRawInputData(input, RID_INPUT, data, &size, sizeof(RAWINPUTHEADER)) ==
        static_cast<UINT>(-1)) {
        return kRawInputUnreadable;
    }
    // A read shorter than the header leaves the rest of the local buffer zero.
    RAWINPUTHEADER header;
    std::memcpy(&header, data, sizeof header);
    RID_DEVICE_INFO info = {};
    info.cbSize = sizeof info;
    UINT infoSize = sizeof info;
    const UINT copied = ::GetRawInputDeviceInfoW(header.hDevice, RIDI_DEVICEINFO, &info, &infoSize);
    if (copied == 0 || copied == static_cast<UINT>(-1)) {
        return kDeviceInfoUnreadable;
    }
    if (info.dwType != RIM_TYPEHID) {
        return kOtherCollection;
    }
    return decodeInput(data, size, info.hid.usUsagePage, info.hid.usUsage, event);
}

HRESULT CZapperDlg::decodeInput(const std::uint8_t* data, size_t size, std::uint32_t usagePage,
                                std::uint32_t usage, ButtonEvent& event) {
    std::uint8_t kept[kKeptRawInputBytes];
    keepRawInput(data, size, kept);
    return decodeReport(kept, usagePage, usage, event, released_);
}

LRESULT CZapperDlg::OnWmInput(WPARAM, LPARAM lParam) {
    LOG_SCOPE(L"CZapperDlg::OnWmInput");
    ButtonEvent event = {};
    const HRESULT decoded = decodeRawInput(reinterpret_cast<HRAWINPUT>(lParam), event);
    handleDecodedReport(decoded, event);
    return 0;
}

void CZapperDlg::handleDecodedReport(HRESULT decoded, ButtonEvent event) {
    if (decoded != S_OK) {
        released_ = 0;
        return;
    }
    if (released_ == 1) {
        // A release stands for the last press of the same collection and report id.
        if (lastEvent_.buttonCode == 0 || event.usagePage != lastEvent_.usagePage ||
            event.reportId != lastEvent_.reportId || event.usage != lastEvent_.usage) {
            released_ = 0;
            return;
        }
        event = lastEvent_;
    } else {
        lastEvent_ = event;
    }
    if (event.usagePage == 0xFF00 && event.usage == 1 && event.buttonCode == 0x90 &&
        released_ == 0) {
        const bool toggled = bridge_.SYSBRIDGE_Change3DState && bridge_.SYSBRIDGE_Change3DState();
        ::OutputDebugStringW(toggled ? L"SYSBRIDGE_Change3DState Success!"
                                     : L"SYSBRIDGE_Change3DState Error!");
    }
    LOG_INF(L"execute  Command starts");
    executeCommand(event);
    released_ = 0;
}

LRESULT CZapperDlg::OnPaint(WPARAM, LPARAM) {
    PAINTSTRUCT paint;
    const HDC dc = ::BeginPaint(m_hWnd, &paint);
    if (::IsIconic(m_hWnd)) {
        ::SendMessageW(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client;
        ::GetClientRect(m_hWnd, &client);
        const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        ::DrawIcon(dc, x, y, icon_);
    }
    ::EndPaint(m_hWnd, &paint);
    return 0;
}

LRESULT CZapperDlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(icon_);
}

// OK and Cancel do nothing, so Enter and Escape never close the window.
LRESULT CZapperDlg::OnCommand(WPARAM, LPARAM) {
    return 0;
}

LRESULT CZapperDlg::OnClose(WPARAM, LPARAM) {
    DestroyWindow();
    return 0;
}

BOOL CZapperDlg::DestroyWindow() {
    if (bridge_.SYSBRIDGE_SetSleepButtonMode) {
        bridge_.SYSBRIDGE_SetSleepButtonMode(1);
    }
    bridge_.unload();
    if (sessionNotifications_) {
        ::WTSUnRegisterSessionNotification(m_hWnd);
        sessionNotifications_ = false;
    }
    resumeEvent_.reset();
    clearButtonTable(buttonTable_);
    return ModelessDialog::DestroyWindow();
}

void CZapperDlg::PostNcDestroy() {
    delete this;
}
