#include "RunCommand.h"

#include "DebugLog.h"
#include "PathHelper.h"
#include "SysBridgeHelper.h"
#include "UniqueHandle.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cwchar>
#include <cwctype>

namespace {

constexpr wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr wchar_t kVerdantKey[] = L"SOFTWARE\\Kestrel\\verdant Utility";

bool keyOpens(const std::wstring& path, REGSAM access) {
    UniqueRegKey key;
    return ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key.put()) == ERROR_SUCCESS;
}

// The player's version keys, newest supported last: DVD10 ... DVD15.
std::wstring winDvdKey(int version) {
    wchar_t path[64] = {};
    _snwprintf(path, 63, L"%s%d", L"SOFTWARE\\Corel\\DVD", version);
    return path;
}

bool moduleFilePath(const wchar_t* fileName, std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    if (FAILED(PathHelper::makeFullPathWithModuleDir(full, fileName))) {
        return false;
    }
    path = full;
    return true;
}

} // namespace

HRESULT RunCommand::setCmdInfo(CmdInfo* cmdInfo) {
    cmdInfo_ = cmdInfo;
    return S_OK;
}

void RunCommand::splitAlternative(const std::wstring& alternative) {
    Context words;
    words.separator = L" ";
    words.line = alternative;
    words.getNextToken(executable_);
    const size_t start = words.line.find_first_not_of(L' ');
    arguments_ = start == std::wstring::npos ? std::wstring() : words.line.substr(start);
}

template <typename Prepare>
bool RunCommand::findInstalled(Prepare prepare) {
    if (!cmdInfo_) {
        return false;
    }
    Context alternatives;
    alternatives.line = cmdInfo_->CmdParam;
    for (;;) {
        std::wstring alternative;
        const HRESULT read = alternatives.getNextToken(alternative);
        if (read == kTokenUnclosed) {
            return false;
        }
        splitAlternative(alternative);
        if (prepare() && IsInstalled(executable_)) {
            return true;
        }
        if (read == kTokenLast) {
            return false;
        }
    }
}

bool RunCommand::setInstalledApplication() {
    LOG_SCOPE(L"RunCommand::setInstalledApplication");
    return findInstalled([] { return true; });
}

bool RunCommand::setInstalledApplicationForInstantTV() {
    LOG_SCOPE(L"RunCommand::setInstalledApplicationForInstantTV");
    if (!bridge_ || !cmdInfo_) {
        return false;
    }
    WORD errorCode = 0;
    WORD serviceId = 0;
    if (bridge_->SYSBRIDGE_GetInstantTVParam) {
        bridge_->SYSBRIDGE_GetInstantTVParam(&errorCode, &serviceId);
    }
    LOG_INF(L"Get Rozuroz IV event from BIOS, ErrorCode: 0x%04x; Service ID: 0x%04x\n", errorCode,
            serviceId);
    const bool active = errorCode == 0;
    const bool wantsServiceId = (cmdInfo_->Condition & 0x4) != 0;
    return findInstalled([&] {
        if (!wantsServiceId) {
            return true;
        }
        if (!active) {
            return false;
        }
        wchar_t suffix[16] = {};
        _snwprintf(suffix, 15, L" %04x", serviceId);
        for (wchar_t* c = suffix; *c; ++c) {
            *c = static_cast<wchar_t>(std::towupper(*c));
        }
        arguments_ += suffix;
        LOG_INF(L" service id is:%d", serviceId);
        LOG_INF(L"option is:%s", arguments_.c_str());
        return true;
    });
}

bool RunCommand::IsInstalled(const std::wstring& executable) {
    LOG_SCOPE(L"RunCommand::IsInstalled");
    if (executable == L"WinDVD.exe") {
        for (int version = 10; version <= 15; ++version) {
            if (keyOpens(winDvdKey(version), KEY_READ)) {
                return true;
            }
        }
    }
    if (executable == L"Verdant.exe" && keyOpens(kVerdantKey, KEY_READ | KEY_WOW64_64KEY)) {
        return true;
    }
    std::wstring path;
    if (executable == L"Startpad.exe" && moduleFilePath(L"Startpad.exe", path)) {
        LOG_INF(L"Startpad.exe exist:%s", path.c_str());
        return true;
    }
    if (executable == L"Tunerdesk.exe" && moduleFilePath(L"Tunerdesk.exe", path)) {
        LOG_INF(L"Tunerdesk.exe exist:%s", path.c_str());
        return true;
    }
    return keyOpens(std::wstring(kAppPaths) + L"\\" + executable, KEY_READ);
}

void RunCommand::ActivateWnd(HWND window) {
    LOG_SCOPE(L"RunCommand::ActivateWnd");
    const DWORD windowThread = ::GetWindowThreadProcessId(window, nullptr);
    const DWORD foregroundThread = ::GetWindowThreadProcessId(::GetForegroundWindow(), nullptr);
    ::AttachThreadInput(windowThread, foregroundThread, TRUE);
    ::SetForegroundWindow(window);
    ::AttachThreadInput(windowThread, foregroundThread, FALSE);
}

bool RunCommand::getWinDVDExePath(std::wstring& path) {
    LOG_SCOPE(L"RunCommand::getWinDVDExePath");
    if (executable_ != L"WinDVD.exe") {
        return false;
    }
    for (int version = 10; version <= 15; ++version) {
        UniqueRegKey key;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, winDvdKey(version).c_str(), 0, KEY_READ,
                            key.put()) != ERROR_SUCCESS) {
            continue;
        }
        wchar_t folder[MAX_PATH + 1] = {};
        DWORD size = MAX_PATH * sizeof(wchar_t);
        if (::RegQueryValueExW(key.get(), L"Path", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(folder), &size) != ERROR_SUCCESS) {
            return false;
        }
        std::wstring result = std::wstring(folder) + L"WinDVD.exe";
        if (result.size() > MAX_PATH - 1) {
            return false;
        }
        path = result;
        return true;
    }
    return false;
}

bool RunCommand::getVerdantUtilityExePath(std::wstring& path) {
    LOG_SCOPE(L"RunCommand::getVerdantUtilityExePath");
    if (executable_ != L"Verdant.exe") {
        return false;
    }
    wchar_t programFiles[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT,
                                  programFiles))) {
        return false;
    }
    // The utility is 64-bit: its folder is the native Program Files, not the 32-bit one.
    std::wstring folder = programFiles;
    for (size_t at; (at = folder.find(L" (x86)")) != std::wstring::npos;) {
        folder.erase(at, 6);
    }
    path = folder + L"\\KESTREL\\VERDANT\\" + L"Verdant.exe";
    return true;
}

bool RunCommand::getMCEButtonAppPath(std::wstring& path) {
    LOG_SCOPE(L"RunCommand::getMCEButtonAppPath");
    if (executable_ != L"Startpad.exe" || !moduleFilePath(L"Startpad.exe", path)) {
        return false;
    }
    LOG_INF(L"Startpad.exe  path:%s", path.c_str());
    return true;
}

bool RunCommand::getTunerdeskAppPath(std::wstring& path) {
    LOG_SCOPE(L"RunCommand::getTunerdeskAppPath");
    if (executable_ != L"Tunerdesk.exe" || !moduleFilePath(L"Tunerdesk.exe", path)) {
        return false;
    }
    LOG_INF(L"Tunerdesk.exe  path:%s", path.c_str());
    return true;
}

int RunCommand::execute() {
    LOG_SCOPE(L"RunCommand::execute");
    if (!cmdInfo_) {
        return 0;
    }
    const bool found = (cmdInfo_->Condition & 0x800) ? setInstalledApplicationForInstantTV()
                                                     : setInstalledApplication();
    if (!found) {
        return 0;
    }
    if (cmdInfo_->dwCmdType != 0x101) {
        LOG_INF(L"ActivateWnd start ");
        ActivateWnd(owner_);
    }
    std::wstring path;
    if (getWinDVDExePath(path)) {
        executable_ = path;
    }
    if (getVerdantUtilityExePath(path)) {
        executable_ = path;
    }
    if (getMCEButtonAppPath(path)) {
        executable_ = path;
    }
    if (getTunerdeskAppPath(path)) {
        executable_ = path;
    }
    LOG_INF(L"execute : %s %s\n", executable_.c_str(), arguments_.c_str());
    const HINSTANCE started = ::ShellExecuteW(nullptr, nullptr, executable_.c_str(),
                                              arguments_.c_str(), nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32 ? 1 : 0;
}
