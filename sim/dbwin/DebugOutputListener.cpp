#include "DebugOutputListener.h"

namespace {
constexpr DWORD kBufferSize = 4096;

void closeIfSet(HANDLE& handle) {
    if (handle) {
        ::CloseHandle(handle);
        handle = nullptr;
    }
}
} // namespace

DebugOutputListener::~DebugOutputListener() {
    stop();
}

bool DebugOutputListener::start() {
    if (thread_.joinable()) {
        return true;
    }
    bufferReady_ = ::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
    if (!bufferReady_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        stop();
        return false;
    }
    dataReady_ = ::CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
    mapping_ = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize,
                                    L"DBWIN_BUFFER");
    view_ =
        mapping_
            ? static_cast<const char*>(::MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, kBufferSize))
            : nullptr;
    stopEvent_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!dataReady_ || !view_ || !stopEvent_) {
        stop();
        return false;
    }
    thread_ = std::thread([this] { run(); });
    return true;
}

void DebugOutputListener::stop() {
    if (thread_.joinable()) {
        ::SetEvent(stopEvent_);
        thread_.join();
    }
    if (view_) {
        ::UnmapViewOfFile(view_);
        view_ = nullptr;
    }
    closeIfSet(mapping_);
    closeIfSet(dataReady_);
    closeIfSet(bufferReady_);
    closeIfSet(stopEvent_);
}

void DebugOutputListener::run() {
    const HANDLE waits[] = {dataReady_, stopEvent_};
    for (;;) {
        ::SetEvent(bufferReady_);
        if (::WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
            return;
        }
        DebugLine line;
        line.processId = *reinterpret_cast<const DWORD*>(view_);
        const char* text = view_ + sizeof(DWORD);
        const int length = static_cast<int>(strnlen(text, kBufferSize - sizeof(DWORD)));
        const int wide = ::MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
        line.text.resize(static_cast<size_t>(wide));
        ::MultiByteToWideChar(CP_ACP, 0, text, length, line.text.data(), wide);
        std::function<void(const DebugLine&)> callback;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back(line);
            callback = callback_;
        }
        changed_.notify_all();
        if (callback) {
            callback(line);
        }
    }
}

std::vector<DebugLine> DebugOutputListener::lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

bool DebugOutputListener::waitFor(const std::function<bool(const std::vector<DebugLine>&)>& done,
                                  DWORD timeoutMs) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [&] { return done(lines_); });
}

void DebugOutputListener::onLine(std::function<void(const DebugLine&)> callback) {
    std::lock_guard<std::mutex> lock(mutex_);
    callback_ = std::move(callback);
}
