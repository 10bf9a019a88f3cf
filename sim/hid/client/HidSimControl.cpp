#include "HidSimControl.h"

#include <cstring>

namespace hidsim {

DWORD Control::open() noexcept {
    handle_.reset(::CreateFileW(KHS_CONTROL_PATH, GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
    return handle_.valid() ? ERROR_SUCCESS : ::GetLastError();
}

DWORD Control::call(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) noexcept {
    if (!handle_.valid()) {
        return ERROR_INVALID_HANDLE;
    }
    DWORD returned = 0;
    if (!::DeviceIoControl(handle_.get(), code, in, inSize, out, outSize, &returned, nullptr)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

DWORD Control::inject(khs_device_index device, const std::uint8_t* data,
                      std::size_t length) noexcept {
    if (length > KHS_MAX_REPORT_LENGTH) {
        return ERROR_INVALID_PARAMETER;
    }
    khs_input_report report = {};
    report.device = device;
    report.length = static_cast<unsigned int>(length);
    std::memcpy(report.data, data, length);
    return call(KHS_IOCTL_INJECT_INPUT, &report, sizeof report, nullptr, 0);
}

DWORD Control::outputReports(khs_output_log& log) noexcept {
    return call(KHS_IOCTL_GET_OUTPUT_REPORTS, nullptr, 0, &log, sizeof log);
}

DWORD Control::clearOutputReports() noexcept {
    return call(KHS_IOCTL_CLEAR_OUTPUT_REPORTS, nullptr, 0, nullptr, 0);
}

DWORD Control::status(khs_status& out) noexcept {
    const DWORD error = call(KHS_IOCTL_GET_STATUS, nullptr, 0, &out, sizeof out);
    if (error == ERROR_SUCCESS && out.protocol_version != KHS_PROTOCOL_VERSION) {
        return ERROR_REVISION_MISMATCH;
    }
    return error;
}

bool allDevicesReady(const khs_status& status) noexcept {
    for (unsigned int i = 0; i < KHS_DEVICE_COUNT; ++i) {
        if (!status.devices[i].started || !status.devices[i].read_pending) {
            return false;
        }
    }
    return true;
}

bool waitUntilSettled(DWORD timeoutMs) noexcept {
    Control control;
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    for (;;) {
        khs_status status = {};
        if ((control.isOpen() || control.open() == ERROR_SUCCESS) &&
            control.status(status) == ERROR_SUCCESS) {
            bool settled = true;
            for (const khs_device_status& device : status.devices) {
                settled = settled && device.read_pending && !device.queued;
            }
            if (settled) {
                return true;
            }
        }
        if (::GetTickCount64() >= deadline) {
            return false;
        }
        ::Sleep(10);
    }
}

std::wstring errorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length ? std::wstring(buffer, length) : L"error " + std::to_wstring(error);
    if (buffer) {
        ::LocalFree(buffer);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace hidsim
