// Installs the simulated HID devices into the Wine prefix as Wine installs its own root
// devices: a root device per collection, then the driver from the INF beside this program.
// A 64-bit program, because it writes the system's driver folder and service keys, which a
// 32-bit program would reach only through WOW64's redirection.
//   hidsim-install install | remove | check | status
#include <windows.h>

#include <cfgmgr32.h>
// MinGW-w64's hidsdi.h declares the functions without C linkage.
extern "C" {
#include <hidsdi.h>
}
#include <newdev.h>
#include <setupapi.h>

#include "HidSimControl.h"
#include "KestrelHidSim.h"
#include "UniqueDevInfo.h"
#include "UniqueHandle.h"

#include <chrono>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

namespace {

struct ServiceTraits {
    static SC_HANDLE invalid() noexcept { return nullptr; }
    static void close(SC_HANDLE handle) noexcept { ::CloseServiceHandle(handle); }
};
using UniqueService = UniqueResource<SC_HANDLE, ServiceTraits>;

constexpr DWORD kReadyTimeoutMs = 30000;
constexpr DWORD kStopTimeoutMs = 15000;
constexpr DWORD kPollMs = 20;

void report(const wchar_t* what, DWORD error) {
    std::fwprintf(stderr, L"hidsim-install: %ls: %ls\n", what, hidsim::errorText(error).c_str());
}

std::wstring lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

std::wstring besideProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring result(path, length);
    result.resize(result.rfind(L'\\') + 1);
    return result + name;
}

// Polls until `condition` holds or the time is up.
template <typename Condition>
bool waitFor(Condition condition, DWORD timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        ::Sleep(kPollMs);
    }
}

std::wstring instanceId(const khs_device_desc& device) {
    return std::wstring(KHS_DEVICE_ID) + L"\\" + device.instance;
}

// The instance ids of our root devices that are registered, present or not.
std::vector<std::wstring> registeredDevices() {
    std::vector<std::wstring> found;
    UniqueDevInfo set(::SetupDiGetClassDevsW(nullptr, L"ROOT", nullptr, DIGCF_ALLCLASSES));
    if (!set) {
        return found;
    }
    const std::wstring prefix = lower(std::wstring(KHS_DEVICE_ID) + L"\\");
    SP_DEVINFO_DATA data = {};
    data.cbSize = sizeof data;
    for (DWORD i = 0; ::SetupDiEnumDeviceInfo(set.get(), i, &data); ++i) {
        wchar_t id[MAX_DEVICE_ID_LEN] = {};
        if (::SetupDiGetDeviceInstanceIdW(set.get(), &data, id, MAX_DEVICE_ID_LEN, nullptr) &&
            lower(id).rfind(prefix, 0) == 0) {
            found.emplace_back(id);
        }
    }
    return found;
}

// Present HID interfaces of our devices, as SetupDi lists them to programs.
unsigned presentInterfaces() {
    GUID hidGuid;
    ::HidD_GetHidGuid(&hidGuid);
    UniqueDevInfo set(
        ::SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set) {
        return 0;
    }
    const std::wstring marker = lower(std::wstring(KHS_DEVICE_ID).substr(5)); // "kestrelhidsim"
    unsigned count = 0;
    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; ::SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidGuid, i, &iface); ++i) {
        std::vector<BYTE> buffer(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) +
                                 MAX_PATH * sizeof(wchar_t));
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (::SetupDiGetDeviceInterfaceDetailW(
                set.get(), &iface, detail, static_cast<DWORD>(buffer.size()), nullptr, nullptr) &&
            lower(detail->DevicePath).find(marker) != std::wstring::npos) {
            ++count;
        }
    }
    return count;
}

// Ready: the control device answers, every device waits for input, and programs can find
// every device's HID interface.
bool ready() {
    hidsim::Control control;
    khs_status status = {};
    return control.open() == ERROR_SUCCESS && control.status(status) == ERROR_SUCCESS &&
           hidsim::allDevicesReady(status) && presentInterfaces() == KHS_DEVICE_COUNT;
}

bool registerDevices() {
    UniqueDevInfo set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set) {
        report(L"SetupDiCreateDeviceInfoList", ::GetLastError());
        return false;
    }
    // REG_MULTI_SZ: the id, then an empty string.
    std::wstring hardwareIds = std::wstring(KHS_HARDWARE_ID) + L'\0' + L'\0';
    for (const khs_device_desc& device : khs_devices) {
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof data;
        const std::wstring id = instanceId(device);
        if (!::SetupDiCreateDeviceInfoW(set.get(), id.c_str(), &GUID_NULL, nullptr, nullptr, 0,
                                        &data)) {
            if (::GetLastError() == ERROR_DEVINST_ALREADY_EXISTS) {
                continue;
            }
            report(L"SetupDiCreateDeviceInfo", ::GetLastError());
            return false;
        }
        if (!::SetupDiSetDeviceRegistryPropertyW(
                set.get(), &data, SPDRP_HARDWAREID,
                reinterpret_cast<const BYTE*>(hardwareIds.data()),
                static_cast<DWORD>(hardwareIds.size() * sizeof(wchar_t)))) {
            report(L"SPDRP_HARDWAREID", ::GetLastError());
            return false;
        }
        if (!::SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set.get(), &data)) {
            report(L"DIF_REGISTERDEVICE", ::GetLastError());
            return false;
        }
    }
    return true;
}

// The driver goes to system32\drivers under a new name first: the running one, if any, keeps
// its file, and the rename replaces the name atomically.
bool copyDriver() {
    wchar_t system[MAX_PATH] = {};
    ::GetSystemDirectoryW(system, MAX_PATH);
    const std::wstring target = std::wstring(system) + L"\\drivers\\" + KHS_DRIVER_FILE;
    const std::wstring fresh = target + L".new";
    if (!::CopyFileW(besideProgram(KHS_DRIVER_FILE).c_str(), fresh.c_str(), FALSE)) {
        report(L"copying the driver", ::GetLastError());
        return false;
    }
    if (!::MoveFileExW(fresh.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        report(L"replacing the driver", ::GetLastError());
        return false;
    }
    return true;
}

int installDevices() {
    if (!copyDriver() || !registerDevices()) {
        return 1;
    }
    const std::wstring inf = besideProgram(L"KestrelHidSim.inf");
    BOOL reboot = FALSE;
    // Starts the service, which enumerates the root devices.
    if (!::UpdateDriverForPlugAndPlayDevicesW(nullptr, KHS_HARDWARE_ID, inf.c_str(), 0, &reboot)) {
        report(L"UpdateDriverForPlugAndPlayDevices", ::GetLastError());
        return 1;
    }
    if (!waitFor(ready, kReadyTimeoutMs)) {
        std::fwprintf(stderr, L"hidsim-install: the devices did not become ready\n");
        return 1;
    }
    return 0;
}

bool stopService() {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        report(L"OpenSCManager", ::GetLastError());
        return false;
    }
    UniqueService service(
        ::OpenServiceW(manager.get(), KHS_SERVICE_NAME, SERVICE_STOP | SERVICE_QUERY_STATUS));
    if (!service) {
        return ::GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST;
    }
    SERVICE_STATUS status = {};
    if (!::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) &&
        ::GetLastError() != ERROR_SERVICE_NOT_ACTIVE) {
        report(L"stopping the service", ::GetLastError());
        return false;
    }
    return waitFor(
        [&] {
            return ::QueryServiceStatus(service.get(), &status) &&
                   status.dwCurrentState == SERVICE_STOPPED;
        },
        kStopTimeoutMs);
}

// Removing a root device makes Wine remove it from the running driver; a driver with no device
// left can be stopped and unloaded.
int removeDevices() {
    UniqueDevInfo set(::SetupDiCreateDeviceInfoList(nullptr, nullptr));
    if (!set) {
        report(L"SetupDiCreateDeviceInfoList", ::GetLastError());
        return 1;
    }
    for (const std::wstring& id : registeredDevices()) {
        SP_DEVINFO_DATA data = {};
        data.cbSize = sizeof data;
        if (!::SetupDiOpenDeviceInfoW(set.get(), id.c_str(), nullptr, 0, &data) ||
            !::SetupDiRemoveDevice(set.get(), &data)) {
            report(id.c_str(), ::GetLastError());
            return 1;
        }
    }
    if (!stopService()) {
        std::fwprintf(stderr, L"hidsim-install: the driver did not stop\n");
        return 1;
    }
    return 0;
}

// Quick "no" when nothing is installed; otherwise waits for a driver that is still starting.
int checkDevices() {
    if (registeredDevices().size() != KHS_DEVICE_COUNT) {
        return 1;
    }
    return waitFor(ready, kReadyTimeoutMs) ? 0 : 1;
}

int printStatus() {
    std::wprintf(L"registered root devices: %u of %u\n",
                 static_cast<unsigned>(registeredDevices().size()), KHS_DEVICE_COUNT);
    std::wprintf(L"present HID interfaces: %u\n", presentInterfaces());
    hidsim::Control control;
    khs_status state = {};
    DWORD error = control.open();
    if (error == ERROR_SUCCESS) {
        error = control.status(state);
    }
    if (error != ERROR_SUCCESS) {
        std::wprintf(L"control device: %ls\n", hidsim::errorText(error).c_str());
        return 1;
    }
    for (unsigned i = 0; i < KHS_DEVICE_COUNT; ++i) {
        const khs_device_status& device = state.devices[i];
        std::wprintf(L"%-9hs started %u, read pending %u, queued %u, injected %u, delivered %u\n",
                     khs_devices[i].name, device.started, device.read_pending, device.queued,
                     device.injected, device.delivered);
    }
    return hidsim::allDevicesReady(state) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring action = argc == 2 ? argv[1] : L"";
    if (action == L"install") {
        return installDevices();
    }
    if (action == L"remove") {
        return removeDevices();
    }
    if (action == L"check") {
        return checkDevices();
    }
    if (action == L"status") {
        return printStatus();
    }
    std::fwprintf(stderr, L"usage: hidsim-install install | remove | check | status\n"
                          L"  install  copy the driver, register the devices, start them\n"
                          L"  remove   remove the devices and stop the driver\n"
                          L"  check    exit 0 when the driver and every device are ready\n"
                          L"  status   print the devices' state\n");
    return 2;
}
