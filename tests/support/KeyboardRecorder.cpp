#include "KeyboardRecorder.h"

#include <cstdio>

namespace {
KeyboardRecorder* activeRecorder = nullptr;
std::mutex activeMutex;
} // namespace

std::string describe(const std::vector<KeyStroke>& keys) {
    std::string text;
    for (const KeyStroke& key : keys) {
        char item[16];
        std::snprintf(item, sizeof item, "%s%02lX%s", text.empty() ? "" : " ", key.virtualKey,
                      key.up ? "^" : "v");
        text += item;
    }
    return text;
}

KeyboardRecorder::KeyboardRecorder() {
    thread_ = std::thread([this] { run(); });
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
}

KeyboardRecorder::~KeyboardRecorder() {
    ::PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
}

void KeyboardRecorder::run() {
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // gives the thread its queue
    HHOOK handle = ::SetWindowsHookExW(WH_KEYBOARD_LL, &KeyboardRecorder::hook,
                                       ::GetModuleHandleW(nullptr), 0);
    {
        std::lock_guard<std::mutex> active(activeMutex);
        activeRecorder = this;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        threadId_ = ::GetCurrentThreadId();
        installed_ = handle != nullptr;
        ready_ = true;
    }
    changed_.notify_all();
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    if (handle) {
        ::UnhookWindowsHookEx(handle);
    }
    std::lock_guard<std::mutex> active(activeMutex);
    activeRecorder = nullptr;
}

LRESULT CALLBACK KeyboardRecorder::hook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        std::lock_guard<std::mutex> active(activeMutex);
        if (activeRecorder) {
            {
                std::lock_guard<std::mutex> lock(activeRecorder->mutex_);
                activeRecorder->keys_.push_back(
                    {info->vkCode, wParam == WM_KEYUP || wParam == WM_SYSKEYUP});
            }
            activeRecorder->changed_.notify_all();
        }
        // Synthesized keys stop here, so that they do not reach whatever window has focus.
        return 1;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<KeyStroke> KeyboardRecorder::keys() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return keys_;
}

void KeyboardRecorder::clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    keys_.clear();
}

bool KeyboardRecorder::waitForCount(size_t count, DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return keys_.size() >= count; });
}
