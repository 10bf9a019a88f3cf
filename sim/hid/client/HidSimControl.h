// The user-mode end of the simulated HID devices' control channel.
#pragma once

#include <windows.h>

#include "KestrelHidSim.h"
#include "UniqueHandle.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace hidsim {

// An open handle on the driver's control device. Every call returns a Win32 error code,
// ERROR_SUCCESS when it worked.
class Control {
public:
    [[nodiscard]] DWORD open() noexcept;
    [[nodiscard]] bool isOpen() const noexcept { return handle_.valid(); }

    // Queues an input report (report id first) on a device.
    [[nodiscard]] DWORD inject(khs_device_index device, const std::uint8_t* data,
                               std::size_t length) noexcept;
    [[nodiscard]] DWORD outputReports(khs_output_log& log) noexcept;
    [[nodiscard]] DWORD clearOutputReports() noexcept;
    [[nodiscard]] DWORD status(khs_status& out) noexcept;

private:
    [[nodiscard]] DWORD call(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) noexcept;

    UniqueFileHandle handle_;
};

// Every device started and waiting for its next input report.
bool allDevicesReady(const khs_status& status) noexcept;

// Every device has handed its reports to the HID class, which has sent them on as raw input
// and waits for the next one: whatever was injected so far is in the receivers' message
// queues, ahead of anything injected later. Waits at most `timeoutMs`.
bool waitUntilSettled(DWORD timeoutMs) noexcept;

// The system's text for an error code, without the trailing line break.
std::wstring errorText(DWORD error);

} // namespace hidsim
