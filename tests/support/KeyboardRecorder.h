// Records the keystrokes the whole session sees, through a low-level keyboard hook on a
// thread of its own: what a program synthesizes arrives here as real input.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct KeyStroke {
    DWORD virtualKey;
    bool up;
    bool operator==(const KeyStroke& other) const {
        return virtualKey == other.virtualKey && up == other.up;
    }
};

std::string describe(const std::vector<KeyStroke>& keys);

class KeyboardRecorder {
public:
    KeyboardRecorder();
    ~KeyboardRecorder();
    KeyboardRecorder(const KeyboardRecorder&) = delete;
    KeyboardRecorder& operator=(const KeyboardRecorder&) = delete;

    bool installed() const { return installed_; }
    std::vector<KeyStroke> keys() const;
    void clear();
    // Waits until at least `count` keystrokes were seen, at most `timeoutMs`.
    bool waitForCount(size_t count, DWORD timeoutMs);

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    void run();

    std::thread thread_;
    DWORD threadId_ = 0;
    bool installed_ = false;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<KeyStroke> keys_;
    bool ready_ = false;
};
