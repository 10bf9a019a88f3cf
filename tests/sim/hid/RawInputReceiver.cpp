#include "RawInputReceiver.h"

#include <atomic>
#include <string>

namespace hidtest {

RawInputReceiver::RawInputReceiver(std::vector<Collection> collections)
    : collections_(std::move(collections)) {
    thread_ = std::thread([this] { run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return started_; });
}

RawInputReceiver::~RawInputReceiver() {
    if (window_) {
        ::PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    thread_.join();
}

std::vector<RawHidInput> RawInputReceiver::inputs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return inputs_;
}

void RawInputReceiver::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    inputs_.clear();
}

bool RawInputReceiver::waitForInputs(size_t count, DWORD timeoutMs) const {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return inputs_.size() >= count; });
}

void RawInputReceiver::record(HRAWINPUT handle) {
    UINT size = 0;
    ::GetRawInputData(handle, RID_INPUT, nullptr, &size, sizeof(RAWINPUTHEADER));
    std::vector<std::uint8_t> buffer(size);
    if (!size || ::GetRawInputData(handle, RID_INPUT, buffer.data(), &size,
                                   sizeof(RAWINPUTHEADER)) != size) {
        return;
    }
    const auto* raw = reinterpret_cast<const RAWINPUT*>(buffer.data());
    if (raw->header.dwType != RIM_TYPEHID) {
        return;
    }
    RawHidInput input;
    input.received = std::chrono::steady_clock::now();
    input.reportSize = raw->data.hid.dwSizeHid;
    input.reportCount = raw->data.hid.dwCount;
    const std::uint8_t* first = raw->data.hid.bRawData;
    input.report.assign(first, first + input.reportSize);

    RID_DEVICE_INFO info = {};
    info.cbSize = sizeof info;
    UINT infoSize = sizeof info;
    if (::GetRawInputDeviceInfoW(raw->header.hDevice, RIDI_DEVICEINFO, &info, &infoSize) !=
            static_cast<UINT>(-1) &&
        info.dwType == RIM_TYPEHID) {
        input.usagePage = info.hid.usUsagePage;
        input.usage = info.hid.usUsage;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    inputs_.push_back(std::move(input));
    changed_.notify_all();
}

LRESULT CALLBACK RawInputReceiver::windowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
    auto* self = reinterpret_cast<RawInputReceiver*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_INPUT:
        if (self) {
            self->record(reinterpret_cast<HRAWINPUT>(lParam));
        }
        break;
    case WM_CLOSE:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RawInputReceiver::run() {
    static std::atomic<int> counter{0};
    const std::wstring className = L"HidTestReceiver" + std::to_wstring(counter++);
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className.c_str();
    ::RegisterClassW(&windowClass);
    // Never shown, as Zapper's window.
    HWND window = ::CreateWindowExW(0, className.c_str(), L"", WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                                    nullptr, nullptr, windowClass.hInstance, nullptr);
    bool registered = false;
    if (window) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        std::vector<RAWINPUTDEVICE> devices;
        for (const Collection& collection : collections_) {
            devices.push_back({collection.usagePage, collection.usage, RIDEV_INPUTSINK, window});
        }
        registered = ::RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()),
                                               sizeof(RAWINPUTDEVICE)) != FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        window_ = window;
        registered_ = registered;
        started_ = true;
    }
    changed_.notify_all();
    if (!window) {
        return;
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (registered) {
        std::vector<RAWINPUTDEVICE> devices;
        for (const Collection& collection : collections_) {
            devices.push_back({collection.usagePage, collection.usage, RIDEV_REMOVE, nullptr});
        }
        ::RegisterRawInputDevices(devices.data(), static_cast<UINT>(devices.size()),
                                  sizeof(RAWINPUTDEVICE));
    }
    ::UnregisterClassW(className.c_str(), windowClass.hInstance);
}

} // namespace hidtest
