// A hidden window that registers for HID collections with RIDEV_INPUTSINK, as Zapper does, and
// records the WM_INPUT it receives. It runs on a thread of its own, so that tests can start
// programs and wait while it keeps receiving.
#pragma once

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace hidtest {

struct Collection {
    USHORT usagePage;
    USHORT usage;
};

struct RawHidInput {
    USHORT usagePage = 0; // of the sending device, from GetRawInputDeviceInfoW
    USHORT usage = 0;
    DWORD reportSize = 0; // dwSizeHid
    DWORD reportCount = 0;
    std::vector<std::uint8_t> report; // the first report
    std::chrono::steady_clock::time_point received;
};

class RawInputReceiver {
public:
    explicit RawInputReceiver(std::vector<Collection> collections);
    ~RawInputReceiver();
    RawInputReceiver(const RawInputReceiver&) = delete;
    RawInputReceiver& operator=(const RawInputReceiver&) = delete;

    // Whether the window exists and RegisterRawInputDevices succeeded.
    bool registered() const { return registered_; }

    std::vector<RawHidInput> inputs() const;
    void clear();
    // Waits until at least `count` inputs arrived; false on time-out.
    bool waitForInputs(size_t count, DWORD timeoutMs) const;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void run();
    void record(HRAWINPUT handle);

    std::vector<Collection> collections_;
    std::thread thread_;
    HWND window_ = nullptr;
    bool registered_ = false;
    bool started_ = false;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<RawHidInput> inputs_;
};

} // namespace hidtest
