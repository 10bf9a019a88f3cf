// recorder: a stand-in for any program the suite starts (WinDVD.exe, Startpad.exe, a lumaset
// tool, ...). Tests copy it under the name they need; each start appends one record to
// "<own file name>.log" beside the copy, then the copy exits with the code that tests chose.
//
// Record format (UTF-8, one "key=value" per line, a record ends with "end"):
//
//   record
//   pid=1234
//   bits=32                  32 or 64: the kind of process this copy runs as
//   folder=C:\work           the working folder at start
//   command="C:\x\WinDVD.exe" /play E:
//   foreground=65600         the foreground window at start, as a number (0: none)
//   error=...                only when a setting file below could not be read
//   end
//
// Values are written as received, except that '%', CR and LF are written as %25, %0D and
// %0A so that every value stays on its line.
//
// Settings beside the copy, each optional:
//   <own file name>.exitcode   exit code, decimal or 0x hex (default 0)
//   <own file name>.delay      milliseconds to wait after writing the record (default none)
// A setting file that holds no such number makes the copy exit with kBadSettingExitCode
// (Recorder.h).
//
// No window and no console: the copy runs unseen, as the real programs' stand-in must.
#include "Recorder.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace {

std::wstring ownPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring currentFolder() {
    const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(size, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(size, folder.data());
    folder.resize(length < size ? length : 0);
    return folder;
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) {
        return {};
    }
    const int length = ::WideCharToMultiByte(
        CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), result.data(),
                          length, nullptr, nullptr);
    return result;
}

std::string escaped(const std::string& value) {
    std::string result;
    for (char c : value) {
        switch (c) {
        case '%':
            result += "%25";
            break;
        case '\r':
            result += "%0D";
            break;
        case '\n':
            result += "%0A";
            break;
        default:
            result += c;
        }
    }
    return result;
}

enum class Setting { Absent, Valid, Invalid };

// Reads a small setting file holding one decimal or 0x-hex number.
Setting readNumber(const std::wstring& path, std::uint32_t& value) {
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return Setting::Absent;
    }
    char text[64] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), text, sizeof text - 1, &read, nullptr)) {
        return Setting::Invalid;
    }
    std::string number(text, read);
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!number.empty() && isSpace(number.back())) {
        number.pop_back();
    }
    size_t at = 0;
    while (at < number.size() && isSpace(number[at])) {
        ++at;
    }
    number.erase(0, at);

    unsigned base = 10;
    if (number.size() > 2 && number[0] == '0' && (number[1] == 'x' || number[1] == 'X')) {
        base = 16;
        number.erase(0, 2);
    }
    if (number.empty()) {
        return Setting::Invalid;
    }
    std::uint64_t result = 0;
    for (char c : number) {
        unsigned digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<unsigned>(c - '0');
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = static_cast<unsigned>(c - 'a' + 10);
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = static_cast<unsigned>(c - 'A' + 10);
        } else {
            return Setting::Invalid;
        }
        result = result * base + digit;
        if (result > 0xFFFFFFFFull) {
            return Setting::Invalid;
        }
    }
    value = static_cast<std::uint32_t>(result);
    return Setting::Valid;
}

// Appends in one write, so that records of copies running at once do not interleave.
void appendRecord(const std::wstring& logPath, const std::string& record) {
    UniqueFileHandle log(::CreateFileW(logPath.c_str(), FILE_APPEND_DATA,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!log) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(log.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    const std::wstring self = ownPath();

    std::string errors;
    std::uint32_t exitCode = 0;
    std::uint32_t delayMs = 0;
    bool badSetting = false;
    const struct {
        const wchar_t* suffix;
        std::uint32_t* value;
    } settings[] = {{recorder::kExitCodeSuffix, &exitCode}, {recorder::kDelaySuffix, &delayMs}};
    for (const auto& setting : settings) {
        const std::wstring path = self + setting.suffix;
        if (readNumber(path, *setting.value) == Setting::Invalid) {
            *setting.value = 0;
            badSetting = true;
            errors += "error=" + escaped(toUtf8(path)) + " holds no number\n";
        }
    }

    std::string record = "record\n";
    record += "pid=" + std::to_string(::GetCurrentProcessId()) + "\n";
    record += "bits=" + std::to_string(sizeof(void*) * 8) + "\n";
    record += "folder=" + escaped(toUtf8(currentFolder())) + "\n";
    record += "command=" + escaped(toUtf8(::GetCommandLineW())) + "\n";
    // Window handles are the same number in every process of the session.
    record +=
        "foreground=" + std::to_string(reinterpret_cast<std::uintptr_t>(::GetForegroundWindow())) +
        "\n";
    record += errors;
    record += "end\n";
    appendRecord(self + recorder::kLogSuffix, record);

    if (delayMs > 0) {
        ::Sleep(delayMs);
    }
    return static_cast<int>(badSetting ? recorder::kBadSettingExitCode : exitCode);
}
