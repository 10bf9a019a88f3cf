#include "TestSupport.h"

#include <atomic>
#include <cstring>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

namespace testing_support {

std::wstring windowsPath(const std::string& unixPath) {
    std::wstring result = L"Z:";
    for (char c : unixPath) {
        result.push_back(c == '/' ? L'\\' : static_cast<wchar_t>(c));
    }
    return result;
}

std::wstring binPath(const std::wstring& name) {
    return windowsPath(SUITE_BIN_DIR) + L"\\" + name;
}

std::wstring bin64Path(const std::wstring& name) {
    return windowsPath(SUITE_BIN64_DIR) + L"\\" + name;
}

std::filesystem::path programFolder() {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    return std::filesystem::path(module).parent_path();
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    path_ = std::filesystem::path(temp) / (L"suite-" + std::to_wstring(::GetCurrentProcessId()) +
                                           L"-" + std::to_wstring(counter++));
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool copyInto(const std::wstring& source, const std::filesystem::path& target) {
    return ::CopyFileW(source.c_str(), target.wstring().c_str(), FALSE) != 0;
}

bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition()) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(stepMs));
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        terminate();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    terminate();
}

ChildProcess ChildProcess::start(const std::wstring& program, const std::wstring& arguments,
                                 const std::wstring& workingFolder) {
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!arguments.empty()) {
        commandLine += L" " + arguments;
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ChildProcess child;
    if (::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                         workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                         &info)) {
        ::CloseHandle(info.hThread);
        child.process_ = info.hProcess;
        child.id_ = info.dwProcessId;
    }
    return child;
}

bool ChildProcess::running() const {
    return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ChildProcess::wait(DWORD timeoutMs) {
    if (!process_ || ::WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process_, &code);
    return code;
}

void ChildProcess::terminate() {
    if (!process_) {
        return;
    }
    if (running()) {
        ::TerminateProcess(process_, 0xDEAD);
        ::WaitForSingleObject(process_, 5000);
    }
    ::CloseHandle(process_);
    process_ = nullptr;
    id_ = 0;
}

std::optional<DWORD> runProgram(const std::wstring& program, const std::wstring& arguments,
                                DWORD timeoutMs) {
    ChildProcess child = ChildProcess::start(program, arguments);
    return child.wait(timeoutMs);
}

namespace reg {

void deleteTree(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) {
        return;
    }
    ::RegDeleteTreeW(key, nullptr);
    ::RegCloseKey(key);
    const size_t slash = path.rfind(L'\\');
    if (slash == std::wstring::npos) {
        ::RegDeleteKeyExW(root, path.c_str(), view, 0);
        return;
    }
    HKEY parent = nullptr;
    if (::RegOpenKeyExW(root, path.substr(0, slash).c_str(), 0, KEY_ALL_ACCESS | view, &parent) ==
        ERROR_SUCCESS) {
        ::RegDeleteKeyExW(parent, path.substr(slash + 1).c_str(), view, 0);
        ::RegCloseKey(parent);
    }
}

bool keyExists(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

void deleteKeyIfEmpty(HKEY root, const std::wstring& path, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD subkeys = 0;
    DWORD values = 0;
    const bool empty =
        ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                           nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0;
    ::RegCloseKey(key);
    if (empty) {
        ::RegDeleteKeyExW(root, path.c_str(), view, 0);
    }
}

namespace {
void setValue(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type,
              const void* data, DWORD size, REGSAM view) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                          nullptr) != ERROR_SUCCESS) {
        return;
    }
    ::RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, type,
                     static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
}

std::optional<std::vector<std::uint8_t>> getValue(HKEY root, const std::wstring& path,
                                                  const std::wstring& name, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    DWORD size = 0;
    std::optional<std::vector<std::uint8_t>> result;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        std::vector<std::uint8_t> data(size + 2);
        if (::RegQueryValueExW(key, name.c_str(), nullptr, nullptr, data.data(), &size) ==
            ERROR_SUCCESS) {
            data.resize(size);
            result = std::move(data);
        }
    }
    ::RegCloseKey(key);
    return result;
}
} // namespace

void setString(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::wstring& value, REGSAM view) {
    setValue(root, path, name, REG_SZ, value.c_str(),
             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), view);
}

void setDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value,
              REGSAM view) {
    setValue(root, path, name, REG_DWORD, &value, sizeof value, view);
}

void setBinary(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::vector<std::uint8_t>& data, DWORD type, REGSAM view) {
    setValue(root, path, name, type, data.data(), static_cast<DWORD>(data.size()), view);
}

std::optional<std::wstring> getString(HKEY root, const std::wstring& path, const std::wstring& name,
                                      REGSAM view) {
    auto data = getValue(root, path, name, view);
    if (!data) {
        return std::nullopt;
    }
    std::wstring text(reinterpret_cast<const wchar_t*>(data->data()),
                      data->size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

std::optional<DWORD> getDword(HKEY root, const std::wstring& path, const std::wstring& name,
                              REGSAM view) {
    auto data = getValue(root, path, name, view);
    if (!data || data->size() < sizeof(DWORD)) {
        return std::nullopt;
    }
    DWORD value = 0;
    std::memcpy(&value, data->data(), sizeof value);
    return value;
}

} // namespace reg

} // namespace testing_support
