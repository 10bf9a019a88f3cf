#include "RecordingKeySender.h"

#include "KeySender.h"

#include <mutex>

namespace {
std::mutex callsMutex;
std::vector<std::vector<KeyStroke>> calls;
} // namespace

UINT sendKeyInputs(UINT count, INPUT* inputs) {
    std::vector<KeyStroke> call;
    for (UINT i = 0; i < count; ++i) {
        call.push_back({inputs[i].ki.wVk, (inputs[i].ki.dwFlags & KEYEVENTF_KEYUP) != 0});
    }
    {
        std::lock_guard<std::mutex> lock(callsMutex);
        calls.push_back(call);
    }
    return ::SendInput(count, inputs, sizeof(INPUT));
}

std::vector<std::vector<KeyStroke>> sentKeyCalls() {
    std::lock_guard<std::mutex> lock(callsMutex);
    return calls;
}

void clearSentKeyCalls() {
    std::lock_guard<std::mutex> lock(callsMutex);
    calls.clear();
}
