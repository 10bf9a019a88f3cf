#include "RecorderLog.h"

#include "Recorder.h"
#include "TestSupport.h"

#include <sstream>

namespace testing_support {

namespace {

std::wstring fromUtf8(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(),
                          length);
    return result;
}

// Undoes the recorder's %25, %0D and %0A.
std::string unescaped(const std::string& value) {
    std::string result;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '%' && i + 2 < value.size()) {
            const std::string code = value.substr(i + 1, 2);
            if (code == "25" || code == "0D" || code == "0A") {
                result += code == "25" ? '%' : code == "0D" ? '\r' : '\n';
                i += 2;
                continue;
            }
        }
        result += value[i];
    }
    return result;
}

std::filesystem::path withSuffix(const std::filesystem::path& program, const wchar_t* suffix) {
    return std::filesystem::path(program.wstring() + suffix);
}

} // namespace

std::vector<RecorderRecord> parseRecorderLog(const std::string& text) {
    std::vector<RecorderRecord> records;
    std::istringstream in(text);
    std::string line;
    RecorderRecord record;
    bool open = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line == "record") {
            record = RecorderRecord{};
            open = true;
            continue;
        }
        if (!open) {
            continue;
        }
        if (line == "end") {
            records.push_back(record);
            open = false;
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string::npos) {
            continue;
        }
        const std::string key = line.substr(0, equals);
        const std::string value = unescaped(line.substr(equals + 1));
        if (key == "pid") {
            record.processId = static_cast<DWORD>(std::stoul(value));
        } else if (key == "bits") {
            record.bits = std::stoi(value);
        } else if (key == "folder") {
            record.folder = fromUtf8(value);
        } else if (key == "command") {
            record.commandLine = fromUtf8(value);
        } else if (key == "foreground") {
            record.foreground = static_cast<std::uintptr_t>(std::stoull(value));
        } else if (key == "error") {
            record.errors.push_back(fromUtf8(value));
        }
    }
    return records;
}

std::vector<RecorderRecord> recorderRecords(const std::filesystem::path& program) {
    return parseRecorderLog(readFile(withSuffix(program, recorder::kLogSuffix)));
}

bool placeRecorder(const std::filesystem::path& program, int bits) {
    return copyInto(bits == 64 ? bin64Path(L"recorder.exe") : binPath(L"recorder.exe"), program);
}

void setRecorderExitCode(const std::filesystem::path& program, DWORD code) {
    writeFile(withSuffix(program, recorder::kExitCodeSuffix), std::to_string(code));
}

void setRecorderDelay(const std::filesystem::path& program, DWORD milliseconds) {
    writeFile(withSuffix(program, recorder::kDelaySuffix), std::to_string(milliseconds));
}

} // namespace testing_support
