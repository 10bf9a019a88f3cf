// Listens to the debugger output of every process in the session (the DBWIN protocol
// behind OutputDebugString), as a debug-output viewer does. Only one listener can run in
// a session at a time.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>
#include <condition_variable>

struct DebugLine {
    DWORD processId;
    std::wstring text;
};

class DebugOutputListener {
public:
    DebugOutputListener() = default;
    ~DebugOutputListener();
    DebugOutputListener(const DebugOutputListener&) = delete;
    DebugOutputListener& operator=(const DebugOutputListener&) = delete;

    // False when another listener already runs in this session or the shared objects
    // cannot be made.
    bool start();
    void stop();

    std::vector<DebugLine> lines() const;
    // Waits until `done` holds for the lines seen so far, at most `timeoutMs`.
    bool waitFor(const std::function<bool(const std::vector<DebugLine>&)>& done, DWORD timeoutMs);
    // Receives each line as it arrives, on the listener's thread.
    void onLine(std::function<void(const DebugLine&)> callback);

private:
    void run();

    HANDLE bufferReady_ = nullptr;
    HANDLE dataReady_ = nullptr;
    HANDLE mapping_ = nullptr;
    const char* view_ = nullptr;
    HANDLE stopEvent_ = nullptr;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<DebugLine> lines_;
    std::function<void(const DebugLine&)> callback_;
};
