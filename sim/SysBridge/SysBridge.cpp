// A stand-in for the maker's hardware library. Its answers come from "SysBridge.ini"
// beside the DLL, and every call is recorded in "SysBridge.calls.txt" beside it, one line
// per call, so that tests can script the firmware and see what they were asked.
//
// SysBridge.ini, section [SysBridge] (numbers decimal or 0x hex):
//   WakeupCode=0x63      the pending wake-up code; without it the firmware reports code 0
//   WakeupNotReady=2     the first N reads of the wake-up code answer "not ready" (0)
//   WakeupResult=1       what a read answers once ready (default 1)
//   ManufactureID=, MachineID=
//   InstantTVError=0x8000, InstantTVService=0x12
//   BrightnessLevel=5, BrightnessGetResult=1, BrightnessSetResult=1
//   SleepButtonMode=0, RemoteControllerStatus=0
//   Change3DResult=1
//   Missing=SYSBRIDGE_GetInstantTVParam,SYSBRIDGE_Change3DState
// The file is read when the library loads and again whenever it changes; a change starts
// the scripted firmware afresh. Clearing the wake-up code makes later reads answer code 0.
// "Missing" takes effect at load: those exports cannot be found by name.
//
// SysBridge.calls.txt: "LOAD", "UNLOAD", and for each call
//   NAME(input arguments) = result [output=value ...]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

HMODULE self = nullptr;
wchar_t scriptPath[MAX_PATH];
wchar_t recordPath[MAX_PATH];
CRITICAL_SECTION lock;

struct Firmware {
    FILETIME scriptTime;
    DWORD scriptSize;
    bool hasWakeupCode;
    WORD wakeupCode;
    int notReadyLeft;
    BOOL wakeupResult;
    WORD manufactureId;
    WORD machineId;
    WORD instantTvError;
    WORD instantTvService;
    WORD brightness;
    BOOL brightnessGetResult;
    BOOL brightnessSetResult;
    DWORD sleepButtonMode;
    WORD remoteStatus;
    BOOL change3dResult;
};
Firmware firmware;

void besideSelf(const wchar_t* name, wchar_t (&path)[MAX_PATH]) {
    ::GetModuleFileNameW(self, path, MAX_PATH);
    wchar_t* slash = std::wcsrchr(path, L'\\');
    if (slash) {
        slash[1] = L'\0';
    }
    std::wcsncat(path, name, MAX_PATH - std::wcslen(path) - 1);
}

long readNumber(const wchar_t* key, long fallback) {
    wchar_t text[64] = {};
    ::GetPrivateProfileStringW(L"SysBridge", key, L"", text, 64, scriptPath);
    if (text[0] == L'\0') {
        return fallback;
    }
    return static_cast<long>(std::wcstoul(text, nullptr, 0));
}

bool scriptChanged(FILETIME& time, DWORD& size) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(scriptPath, GetFileExInfoStandard, &data)) {
        std::memset(&time, 0, sizeof time);
        size = 0xFFFFFFFF;
    } else {
        time = data.ftLastWriteTime;
        size = data.nFileSizeLow;
    }
    return CompareFileTime(&time, &firmware.scriptTime) != 0 || size != firmware.scriptSize;
}

void loadScript() {
    FILETIME time;
    DWORD size;
    scriptChanged(time, size);
    firmware = Firmware{};
    firmware.scriptTime = time;
    firmware.scriptSize = size;
    const long code = readNumber(L"WakeupCode", -1);
    firmware.hasWakeupCode = code >= 0;
    firmware.wakeupCode = static_cast<WORD>(code >= 0 ? code : 0);
    firmware.notReadyLeft = static_cast<int>(readNumber(L"WakeupNotReady", 0));
    firmware.wakeupResult = static_cast<BOOL>(readNumber(L"WakeupResult", 1));
    firmware.manufactureId = static_cast<WORD>(readNumber(L"ManufactureID", 0));
    firmware.machineId = static_cast<WORD>(readNumber(L"MachineID", 0));
    firmware.instantTvError = static_cast<WORD>(readNumber(L"InstantTVError", 0));
    firmware.instantTvService = static_cast<WORD>(readNumber(L"InstantTVService", 0));
    firmware.brightness = static_cast<WORD>(readNumber(L"BrightnessLevel", 5));
    firmware.brightnessGetResult = static_cast<BOOL>(readNumber(L"BrightnessGetResult", 1));
    firmware.brightnessSetResult = static_cast<BOOL>(readNumber(L"BrightnessSetResult", 1));
    firmware.sleepButtonMode = static_cast<DWORD>(readNumber(L"SleepButtonMode", 0));
    firmware.remoteStatus = static_cast<WORD>(readNumber(L"RemoteControllerStatus", 0));
    firmware.change3dResult = static_cast<BOOL>(readNumber(L"Change3DResult", 1));
}

// Every call starts here: the script is reloaded when it changed.
class Call {
public:
    Call() {
        ::EnterCriticalSection(&lock);
        FILETIME time;
        DWORD size;
        if (scriptChanged(time, size)) {
            loadScript();
        }
    }
    ~Call() { ::LeaveCriticalSection(&lock); }
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
};

void record(const char* format, ...) {
    char line[256] = {};
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(line, sizeof line - 2, format, args);
    va_end(args);
    if (length < 0) {
        return;
    }
    std::strcat(line, "\r\n");
    const HANDLE file = ::CreateFileW(recordPath, FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    ::WriteFile(file, line, static_cast<DWORD>(std::strlen(line)), &written, nullptr);
    ::CloseHandle(file);
}

// Makes the listed exports impossible to find by name: the last character of each name is
// changed in the loaded image, which keeps the names' sort order for the loader's search.
void hideMissingExports() {
    wchar_t missing[1024] = {};
    ::GetPrivateProfileStringW(L"SysBridge", L"Missing", L"", missing, 1024, scriptPath);
    if (missing[0] == L'\0') {
        return;
    }
    auto* base = reinterpret_cast<BYTE*>(self);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* exports = reinterpret_cast<IMAGE_EXPORT_DIRECTORY*>(base + directory.VirtualAddress);
    auto* names = reinterpret_cast<DWORD*>(base + exports->AddressOfNames);
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
        char* name = reinterpret_cast<char*>(base + names[i]);
        wchar_t wide[64] = {};
        ::MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 63);
        // Whole-word match within the comma-separated list.
        const size_t length = std::wcslen(wide);
        for (const wchar_t* at = std::wcsstr(missing, wide); at; at = std::wcsstr(at + 1, wide)) {
            const bool startsWord = at == missing || at[-1] == L',' || at[-1] == L' ';
            const bool endsWord = at[length] == L'\0' || at[length] == L',' || at[length] == L' ';
            if (startsWord && endsWord) {
                DWORD old = 0;
                char* last = name + std::strlen(name) - 1;
                ::VirtualProtect(last, 1, PAGE_READWRITE, &old);
                *last = '#';
                ::VirtualProtect(last, 1, old, &old);
                break;
            }
        }
    }
}

} // namespace

extern "C" {

BOOL WINAPI SYSBRIDGE_GetWakeupCode(WORD* code) {
    Call call;
    BOOL result = firmware.wakeupResult;
    WORD value = firmware.hasWakeupCode ? firmware.wakeupCode : 0;
    if (firmware.notReadyLeft > 0) {
        --firmware.notReadyLeft;
        result = 0;
        value = 0;
    }
    if (code) {
        *code = value;
    }
    record("SYSBRIDGE_GetWakeupCode() = %d code=0x%02x", result, value);
    return result;
}

BOOL WINAPI SYSBRIDGE_ClearWakeupCode() {
    Call call;
    firmware.hasWakeupCode = false;
    record("SYSBRIDGE_ClearWakeupCode() = 1");
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_GetRemoteControllerStatus(WORD* status) {
    Call call;
    if (status) {
        *status = firmware.remoteStatus;
    }
    record("SYSBRIDGE_GetRemoteControllerStatus() = 1 status=%u", firmware.remoteStatus);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_SetRemoteControllerStatus(WORD status) {
    Call call;
    firmware.remoteStatus = status;
    record("SYSBRIDGE_SetRemoteControllerStatus(%u) = 1", status);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_GetBrightnessLevel(WORD* level) {
    Call call;
    if (level) {
        *level = firmware.brightness;
    }
    record("SYSBRIDGE_GetBrightnessLevel() = %d level=%u", firmware.brightnessGetResult,
           firmware.brightness);
    return firmware.brightnessGetResult;
}

BOOL WINAPI SYSBRIDGE_SetBrightnessLevel(WORD level) {
    Call call;
    if (firmware.brightnessSetResult == 1) {
        firmware.brightness = level;
    }
    record("SYSBRIDGE_SetBrightnessLevel(%u) = %d", level, firmware.brightnessSetResult);
    return firmware.brightnessSetResult;
}

BOOL WINAPI SYSBRIDGE_GetSleepButtonMode(DWORD* mode) {
    Call call;
    if (mode) {
        *mode = firmware.sleepButtonMode;
    }
    record("SYSBRIDGE_GetSleepButtonMode() = 1 mode=%lu", firmware.sleepButtonMode);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_SetSleepButtonMode(DWORD mode) {
    Call call;
    firmware.sleepButtonMode = mode;
    record("SYSBRIDGE_SetSleepButtonMode(%lu) = 1", mode);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_GetMachineID(WORD* id) {
    Call call;
    if (id) {
        *id = firmware.machineId;
    }
    record("SYSBRIDGE_GetMachineID() = 1 id=0x%04x", firmware.machineId);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_GetManufactureID(WORD* id) {
    Call call;
    if (id) {
        *id = firmware.manufactureId;
    }
    record("SYSBRIDGE_GetManufactureID() = 1 id=0x%04x", firmware.manufactureId);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_GetInstantTVParam(WORD* errorCode, WORD* serviceId) {
    Call call;
    if (errorCode) {
        *errorCode = firmware.instantTvError;
    }
    if (serviceId) {
        *serviceId = firmware.instantTvService;
    }
    record("SYSBRIDGE_GetInstantTVParam() = 1 error=0x%04x service=0x%04x", firmware.instantTvError,
           firmware.instantTvService);
    return TRUE;
}

BOOL WINAPI SYSBRIDGE_Change3DState() {
    Call call;
    record("SYSBRIDGE_Change3DState() = %d", firmware.change3dResult);
    return firmware.change3dResult;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
        ::InitializeCriticalSection(&lock);
        besideSelf(L"SysBridge.ini", scriptPath);
        besideSelf(L"SysBridge.calls.txt", recordPath);
        loadScript();
        hideMissingExports();
        record("LOAD");
    } else if (reason == DLL_PROCESS_DETACH) {
        record("UNLOAD");
        ::DeleteCriticalSection(&lock);
    }
    return TRUE;
}

} // extern "C"
