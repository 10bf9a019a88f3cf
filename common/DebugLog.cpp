#include "DebugLog.h"

#include "LogLine.h"
#include "LogProfile.h"

#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <share.h>

namespace {

constexpr wchar_t kSection[] = L"LOG";

// "DbgLog.ini" in the program's own folder; empty when the program path is unknown,
// and then every setting keeps its default.
const wchar_t* settingsPath() noexcept {
    static wchar_t path[MAX_PATH] = {};
    static const bool located = [] {
        wchar_t module[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) {
            return false;
        }
        wchar_t* lastBackslash = std::wcsrchr(module, L'\\');
        const size_t folderLength = lastBackslash ? lastBackslash - module + 1 : 0;
        if (folderLength + std::wcslen(L"DbgLog.ini") >= MAX_PATH) {
            return false;
        }
        std::wmemcpy(path, module, folderLength);
        std::wcscpy(path + folderLength, L"DbgLog.ini");
        return true;
    }();
    return located ? path : L"";
}

int readSetting(const wchar_t* key, int fallback) noexcept {
    const wchar_t* path = settingsPath();
    if (*path == L'\0') {
        return fallback;
    }
    return static_cast<int>(::GetPrivateProfileIntW(kSection, key, fallback, path));
}

// Each setting is read once, on first need; the mapping is applied on every use.
int destination() noexcept {
    static const int raw = readSetting(L"Destination", logProfile().defaultDestination);
    return mapLogDestination(raw, logProfile());
}

int level() noexcept {
    static const int raw = readSetting(L"Level", 0);
    return mapLogLevel(raw);
}

int timeDateFormat() noexcept {
    static const int raw = readSetting(L"TimeDateFormat", 1);
    return mapTimeDateFormat(raw);
}

bool fullSourcePath() noexcept {
    static const int raw = readSetting(L"SourceFileFormat", 0);
    return mapFullSourcePath(raw);
}

bool flushEachLine() noexcept {
    static const int raw = readSetting(L"Flush", 0);
    return mapFlush(raw);
}

const wchar_t* logFileSetting() noexcept {
    static wchar_t file[MAX_PATH] = {};
    static const bool read = [] {
        const wchar_t* path = settingsPath();
        if (*path == L'\0') {
            std::wcsncpy(file, logProfile().defaultLogFile, MAX_PATH - 1);
        } else {
            ::GetPrivateProfileStringW(kSection, L"LogFile", logProfile().defaultLogFile, file,
                                       MAX_PATH, path);
        }
        return true;
    }();
    (void)read;
    return file;
}

void formatTimeStamp(wchar_t* out, int outChars) noexcept {
    out[0] = L'\0';
    const int form = timeDateFormat();
    if (form == 0) {
        return;
    }
    if (form == 3) {
        static const DWORD base = ::GetTickCount();
        const DWORD elapsed = ::GetTickCount() - base;
        _snwprintf(out, outChars - 1, L"%d.%03d: ", static_cast<int>(elapsed / 1000),
                   static_cast<int>(elapsed % 1000));
        return;
    }
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    int used = 0;
    if (form == 2) {
        const int written =
            ::GetDateFormatW(LOCALE_USER_DEFAULT, 0, &now, logProfile().datePicture, out, outChars);
        used = written > 0 ? written - 1 : 0;
    }
    const int written =
        ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, L"HH:mm:ss", out + used, outChars - used);
    used += written > 0 ? written - 1 : 0;
    out[used] = L'\0';
    _snwprintf(out + used, outChars - used - 1, L".%03d: ", static_cast<int>(now.wMilliseconds));
}

// Creates every missing folder on the way to `folder`.
void createFolderChain(const wchar_t* folder) noexcept {
    wchar_t partial[MAX_PATH] = {};
    const size_t length = std::wcslen(folder);
    for (size_t i = 0; i < length && i < MAX_PATH - 1; ++i) {
        partial[i] = folder[i];
        const bool atSeparator =
            folder[i + 1] == L'\\' || folder[i + 1] == L'/' || folder[i + 1] == 0;
        if (atSeparator && folder[i] != L':' && folder[i] != L'\\' && folder[i] != L'/') {
            ::CreateDirectoryW(partial, nullptr);
        }
    }
}

FILE* openLogFile(const wchar_t* mode) noexcept {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::ExpandEnvironmentStringsW(logFileSetting(), path, MAX_PATH);
    if (length == 0 || length > MAX_PATH) {
        return nullptr;
    }
    // Not shared while open: nobody else reads or writes the file meanwhile.
    FILE* stream = _wfsopen(path, mode, _SH_DENYRW);
    if (!stream && errno == ENOENT) {
        wchar_t drive[_MAX_DRIVE] = {};
        wchar_t folder[_MAX_DIR] = {};
        if (_wsplitpath_s(path, drive, _MAX_DRIVE, folder, _MAX_DIR, nullptr, 0, nullptr, 0) == 0) {
            wchar_t chain[MAX_PATH] = {};
            _snwprintf(chain, MAX_PATH - 1, L"%s%s", drive, folder);
            createFolderChain(chain);
            stream = _wfsopen(path, mode, _SH_DENYRW);
        }
    }
    return stream;
}

struct KeptOpenLog {
    FILE* stream;
    bool flush;
};

KeptOpenLog keptOpenLog = {nullptr, false};

void closeKeptOpenLog() {
    if (keptOpenLog.stream) {
        std::fclose(keptOpenLog.stream);
    }
    keptOpenLog = {nullptr, false};
}

// Opened on the first line of the process and never retried.
KeptOpenLog& obtainKeptOpenLog() noexcept {
    static const bool opened = [] {
        keptOpenLog.flush = flushEachLine();
        keptOpenLog.stream = openLogFile(L"w");
        std::atexit(closeKeptOpenLog);
        return true;
    }();
    (void)opened;
    return keptOpenLog;
}

void emit(int target, const wchar_t* line) noexcept {
    switch (target) {
    case 1:
        ::OutputDebugStringW(line);
        break;
    case 2: {
        KeptOpenLog& log = obtainKeptOpenLog();
        if (log.stream) {
            std::fputws(line, log.stream);
            if (log.flush) {
                std::fflush(log.stream);
            }
        }
        break;
    }
    case 3:
        if (FILE* stream = openLogFile(L"a")) {
            std::fputws(line, stream);
            std::fclose(stream);
        }
        break;
    case 4:
        std::fputws(line, stderr);
        break;
    default:
        break;
    }
}

} // namespace

int writeLog(const LogSite& site, const wchar_t* format, ...) {
    const int target = destination();
    if (target == 0 || site.level > level()) {
        return 0;
    }
    wchar_t timeStamp[64];
    formatTimeStamp(timeStamp, sizeof timeStamp / sizeof timeStamp[0]);

    const LogLineParts parts{logProfile().threadIdPrefix,
                             ::GetCurrentThreadId(),
                             timeStamp,
                             site.sourceFile,
                             fullSourcePath(),
                             site.line,
                             site.tag,
                             site.level,
                             site.function};
    wchar_t line[kLogLineChars] = {};
    va_list args;
    va_start(args, format);
    const int length = assembleLogLine(line, parts, format, args);
    va_end(args);

    // The finished line goes out as it is, never as a format.
    emit(target, line);
    return length;
}

LogScope::LogScope(const wchar_t* name, const LogSite& site) noexcept : name_(name), site_(site) {
    writeLog(site_, L"ENTER %s", name_);
}

LogScope::~LogScope() {
    writeLog(site_, L"LEAVE %s", name_);
}
