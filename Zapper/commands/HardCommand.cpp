#include "HardCommand.h"

#include "MachineTable.h"
#include "SysBridgeHelper.h"
#include "UniqueHandle.h"

#include <shellapi.h>

#include <cwchar>

namespace {

constexpr DWORD kQuerySupportedBrightness = 0x230494;
constexpr DWORD kQueryDisplayBrightness = 0x230498;
constexpr DWORD kSetDisplayBrightness = 0x23049C;

struct DisplayBrightness {
    UCHAR policy; // 1 AC, 2 DC, 3 both
    UCHAR acLevel;
    UCHAR dcLevel;
};
static_assert(sizeof(DisplayBrightness) == 3, "the platform's record is three bytes");

bool runningUnderWow64() {
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto isWow64Process = reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32"), "IsWow64Process")));
    BOOL wow64 = FALSE;
    return isWow64Process && isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

} // namespace

HRESULT HardCommand::setCmdInfo(CmdInfo* cmdInfo) {
    cmdInfo_ = cmdInfo;
    return S_OK;
}

int HardCommand::execute() {
    if (!cmdInfo_ || !(cmdInfo_->dwCmdType & 0x10)) {
        return 1;
    }
    return FAILED(stepBrightness((cmdInfo_->dwCmdType & 0x1) != 0)) ? 0 : 1;
}

HRESULT HardCommand::stepBrightness(bool up) {
    if (!machineListed) {
        return stepLcdBrightness(up);
    }
    const bool wow64 = runningUnderWow64();
    const HRESULT result = runLumaset(up, wow64);
    if (result == 2) {
        ::OutputDebugStringW(wow64 ? L"[Juniper] X64 The LPX is not installed\n"
                                   : L"[Juniper] X32 The LPX is not installed\n");
        return stepBridgeBrightness(up);
    }
    ::OutputDebugStringW(wow64 ? L"[Juniper] X64 The LPX is installed\n"
                               : L"[Juniper] X32 The LPX is installed\n");
    wchar_t text[64] = {};
    _snwprintf(text, 63, L"[Juniper] The app return value: %d", static_cast<int>(result));
    ::OutputDebugStringW(text);
    return result;
}

HRESULT HardCommand::runLumaset(bool up, bool wow64) {
    wchar_t program[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    wchar_t* lastBackslash = std::wcsrchr(program, L'\\');
    const size_t folderLength = lastBackslash ? lastBackslash - program : 0;
    program[folderLength] = L'\0';
    const wchar_t* name = wow64 ? L"native64lumaset.exe" : L"native32lumaset.exe";
    if (folderLength + 1 + std::wcslen(name) >= MAX_PATH) {
        return E_FAIL;
    }
    std::wcscat(program, L"\\");
    std::wcscat(program, name);

    wchar_t parameters[16] = {};
    _snwprintf(parameters, 15, L"%d %d", 1, up ? 1 : 0);

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    // No error box when the program is missing: it would block the only thread, and no part
    // of the manager shows anything to the user.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = program;
    info.lpParameters = parameters;
    info.nShow = SW_HIDE;
    if (!::ShellExecuteExW(&info) || !info.hProcess) {
        return E_FAIL;
    }
    UniqueHandle process(info.hProcess);
    // Waiting on the handle, with a bound: an exit code of 259 must not read as "still
    // running", and a program that hangs must not hang the manager.
    if (::WaitForSingleObject(process.get(), kLumasetTimeoutMs) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.get(), 1);
        return E_FAIL;
    }
    DWORD exitCode = 0;
    if (!::GetExitCodeProcess(process.get(), &exitCode)) {
        return E_FAIL;
    }
    return static_cast<HRESULT>(exitCode);
}

HRESULT HardCommand::stepBridgeBrightness(bool up) {
    WORD level = 0;
    if (!bridge_ || !bridge_->SYSBRIDGE_GetBrightnessLevel ||
        bridge_->SYSBRIDGE_GetBrightnessLevel(&level) != 1) {
        return kBrightnessNotReadable;
    }
    if (up) {
        if (level >= 8) {
            return S_OK;
        }
        ++level;
    } else {
        if (level <= 1) {
            return S_OK;
        }
        --level;
    }
    if (!bridge_->SYSBRIDGE_SetBrightnessLevel ||
        bridge_->SYSBRIDGE_SetBrightnessLevel(level) != 1) {
        return kBrightnessNotAccepted;
    }
    return S_OK;
}

HRESULT HardCommand::stepLcdBrightness(bool up) {
    UniqueFileHandle lcd(::CreateFileW(L"\\\\.\\LCD", GENERIC_READ | GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                       0, nullptr));
    if (!lcd) {
        return kLcdNotOpened;
    }
    UCHAR levels[256] = {};
    DWORD levelCount = 0;
    if (!::DeviceIoControl(lcd.get(), kQuerySupportedBrightness, nullptr, 0, levels, sizeof levels,
                           &levelCount, nullptr)) {
        return kLcdLevelsNotReadable;
    }
    DisplayBrightness current = {};
    DWORD returned = 0;
    if (!::DeviceIoControl(lcd.get(), kQueryDisplayBrightness, nullptr, 0, &current, sizeof current,
                           &returned, nullptr)) {
        return kBrightnessNotReadable;
    }
    if (levelCount == 0) {
        return S_OK;
    }
    const UCHAR level = current.policy == 1   ? current.acLevel
                        : current.policy == 2 ? current.dcLevel
                                              : 0;
    DWORD index = 0;
    for (DWORD i = 0; i < levelCount; ++i) {
        if (levels[i] == level) {
            index = i;
            break;
        }
    }
    if (up) {
        if (index + 1 >= levelCount) {
            return S_OK;
        }
        ++index;
    } else {
        if (index == 0) {
            return S_OK;
        }
        --index;
    }
    DisplayBrightness wanted = {3, levels[index], levels[index]};
    if (!::DeviceIoControl(lcd.get(), kSetDisplayBrightness, &wanted, sizeof wanted, nullptr, 0,
                           &returned, nullptr)) {
        return kBrightnessNotAccepted;
    }
    return S_OK;
}
