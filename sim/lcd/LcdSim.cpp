#include "LcdSim.h"

#include <ntddvdeo.h>

namespace lcdsim {

namespace {

UniqueFileHandle openDevice(const wchar_t* path, DWORD& error) noexcept {
    UniqueFileHandle device(::CreateFileW(path, GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    error = device ? ERROR_SUCCESS : ::GetLastError();
    return device;
}

DWORD deviceControl(const UniqueFileHandle& device, DWORD code, const void* input, DWORD inputSize,
                    void* output, DWORD outputSize, DWORD* returned = nullptr) noexcept {
    if (!device) {
        return ERROR_INVALID_HANDLE;
    }
    DWORD bytes = 0;
    if (!::DeviceIoControl(device.get(), code, const_cast<void*>(input), inputSize, output,
                           outputSize, &bytes, nullptr)) {
        return ::GetLastError();
    }
    if (returned) {
        *returned = bytes;
    }
    return ERROR_SUCCESS;
}

} // namespace

Client Client::open() noexcept {
    Client client;
    client.device_ = openDevice(LCDSIM_PUBLIC_PATH, client.openError_);
    return client;
}

DWORD Client::querySupported(std::vector<std::uint8_t>& levels) const noexcept {
    std::uint8_t buffer[LCDSIM_MAX_LEVELS] = {};
    DWORD returned = 0;
    const DWORD error = deviceControl(device_, IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS, nullptr, 0,
                                      buffer, sizeof buffer, &returned);
    if (error == ERROR_SUCCESS) {
        levels.assign(buffer, buffer + returned);
    }
    return error;
}

DWORD Client::queryCurrent(Brightness& current) const noexcept {
    DISPLAY_BRIGHTNESS record{};
    DWORD returned = 0;
    const DWORD error = deviceControl(device_, IOCTL_VIDEO_QUERY_DISPLAY_BRIGHTNESS, nullptr, 0,
                                      &record, sizeof record, &returned);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (returned != sizeof record) {
        return ERROR_INVALID_DATA;
    }
    current = {record.ucDisplayPolicy, record.ucACBrightness, record.ucDCBrightness};
    return ERROR_SUCCESS;
}

DWORD Client::set(const Brightness& record) const noexcept {
    const DISPLAY_BRIGHTNESS sent{record.policy, record.ac, record.dc};
    return deviceControl(device_, IOCTL_VIDEO_SET_DISPLAY_BRIGHTNESS, &sent, sizeof sent, nullptr,
                         0);
}

Controller Controller::open() noexcept {
    Controller controller;
    controller.device_ = openDevice(LCDSIM_CONTROL_PATH, controller.openError_);
    return controller;
}

DWORD Controller::control(DWORD code, const void* input, DWORD inputSize, void* output,
                          DWORD outputSize, DWORD* returned) const noexcept {
    return deviceControl(device_, code, input, inputSize, output, outputSize, returned);
}

DWORD Controller::reset() const noexcept {
    return control(SIM_IOCTL_RESET, nullptr, 0, nullptr, 0);
}

DWORD Controller::setLevels(const std::vector<std::uint8_t>& levels) const noexcept {
    return control(LCDSIM_IOCTL_SET_LEVELS, levels.data(), static_cast<DWORD>(levels.size()),
                   nullptr, 0);
}

DWORD Controller::setCurrent(const Brightness& current) const noexcept {
    const LCDSIM_BRIGHTNESS record{current.policy, current.ac, current.dc};
    return control(LCDSIM_IOCTL_SET_CURRENT, &record, sizeof record, nullptr, 0);
}

DWORD Controller::setFailure(Request request, LONG status) const noexcept {
    const LCDSIM_FAILURE failure{static_cast<ULONG>(request), status};
    return control(LCDSIM_IOCTL_SET_FAILURE, &failure, sizeof failure, nullptr, 0);
}

DWORD Controller::setPresent(bool present) const noexcept {
    const ULONG value = present ? 1 : 0;
    return control(SIM_IOCTL_SET_PRESENT, &value, sizeof value, nullptr, 0);
}

DWORD Controller::readState(State& state) const noexcept {
    SIM_INFO info{};
    DWORD returned = 0;
    DWORD error = control(SIM_IOCTL_GET_INFO, nullptr, 0, &info, sizeof info, &returned);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (returned != sizeof info || info.version != SIM_INFO_VERSION) {
        return ERROR_INVALID_DATA;
    }
    LCDSIM_STATE lcd{};
    error = control(LCDSIM_IOCTL_GET_STATE, nullptr, 0, &lcd, sizeof lcd, &returned);
    if (error != ERROR_SUCCESS) {
        return error;
    }
    if (returned != sizeof lcd || lcd.levelCount > LCDSIM_MAX_LEVELS) {
        return ERROR_INVALID_DATA;
    }
    info.image[SIM_NAME_SIZE - 1] = '\0';
    state.image = info.image;
    state.present = info.present != 0;
    state.levels.assign(lcd.levels, lcd.levels + lcd.levelCount);
    state.current = {lcd.current.policy, lcd.current.ac, lcd.current.dc};
    state.lastSet = {lcd.lastSet.policy, lcd.lastSet.ac, lcd.lastSet.dc};
    state.setCount = lcd.setCount;
    state.setRequests = lcd.setRequests;
    for (int i = 0; i < LCDSIM_REQUEST_COUNT; ++i) {
        state.failures[i] = lcd.failures[i];
    }
    return ERROR_SUCCESS;
}

} // namespace lcdsim
