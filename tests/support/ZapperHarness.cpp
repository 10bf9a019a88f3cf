#include "ZapperHarness.h"

#include "BridgeStandIn.h"

using namespace testing_support;

namespace zapper_registry {

void reset() {
    reg::deleteTree(HKEY_LOCAL_MACHINE, kZapperMachineRoot, KEY_WOW64_32KEY);
    reg::deleteTree(HKEY_CURRENT_USER, kZapperMachineRoot);
}

void writeMaster(const std::wstring& version,
                 const std::vector<std::pair<std::wstring, std::vector<std::wstring>>>& sets) {
    HKEY root = HKEY_LOCAL_MACHINE;
    HKEY key = nullptr;
    ::RegCreateKeyExW(root, kZapperMachineRoot, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                      nullptr, &key, nullptr);
    ::RegCloseKey(key);
    if (!version.empty()) {
        reg::setString(root, kZapperMachineRoot, L"CurrentVersion", version, KEY_WOW64_32KEY);
    }
    for (const auto& [name, lines] : sets) {
        reg::setDword(root, kZapperMachineRoot, name, 1, KEY_WOW64_32KEY);
        const std::wstring path = std::wstring(kZapperMachineRoot) + L"\\" + name;
        for (size_t i = 0; i < lines.size(); ++i) {
            reg::setString(root, path, L"Line" + std::to_wstring(i + 1), lines[i], KEY_WOW64_32KEY);
        }
    }
}

} // namespace zapper_registry

ZapperInstall::ZapperInstall(bool withBridge) {
    copyInto(binPath(L"Zapper.exe"), folder_.path() / L"Zapper.exe");
    if (withBridge) {
        copyInto(binPath(L"SysBridge.dll"), folder_.path() / L"SysBridge.dll");
    }
}

ZapperInstall::~ZapperInstall() {
    // Leaves no instance behind for the next test.
    if (const HWND window = mainWindow()) {
        DWORD id = 0;
        ::GetWindowThreadProcessId(window, &id);
        if (HANDLE process = ::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            ::TerminateProcess(process, 0xDEAD);
            ::WaitForSingleObject(process, 5000);
            ::CloseHandle(process);
        }
    }
}

void ZapperInstall::bridgeScript(const std::string& entries) const {
    bridge_standin::writeScript(folder_.path(), entries);
}

void ZapperInstall::machineTable(const std::string& ini) const {
    writeFile(folder_.path() / L"ConfigInfo.ini", ini);
}

void ZapperInstall::debugLog(const std::string& entries) const {
    writeFile(folder_.path() / L"DbgLog.ini", "[LOG]\r\n" + entries);
}

void ZapperInstall::addProgram(const std::wstring& builtName,
                               const std::wstring& installedName) const {
    copyInto(binPath(builtName), folder_.path() / installedName);
}

ChildProcess ZapperInstall::start(const std::wstring& arguments) const {
    return ChildProcess::start(program(), arguments, folder_.path().wstring());
}

HWND ZapperInstall::mainWindow() {
    return ::FindWindowW(L"#32770", L"ZapperHost");
}

HWND ZapperInstall::waitUntilReady(DWORD timeoutMs) {
    HWND window = nullptr;
    if (!waitUntil([&] { return (window = mainWindow()) != nullptr; }, timeoutMs)) {
        return nullptr;
    }
    // The window answers only once its initialisation has returned.
    DWORD_PTR ignored = 0;
    if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &ignored)) {
        return nullptr;
    }
    return window;
}

bool ZapperInstall::stop(ChildProcess& running, DWORD timeoutMs) const {
    ChildProcess closer = start(L"/exit");
    closer.wait(timeoutMs);
    return running.wait(timeoutMs).has_value();
}

std::vector<std::string> ZapperInstall::bridgeCalls() const {
    return bridge_standin::calls(folder_.path());
}

void ZapperInstall::clearBridgeCalls() const {
    bridge_standin::clearCalls(folder_.path());
}

bool ZapperInstall::waitForBridgeCall(const std::string& prefix, DWORD timeoutMs) const {
    return waitUntil([&] { return bridge_standin::count(bridgeCalls(), prefix) > 0; }, timeoutMs);
}

size_t ZapperInstall::countCalls(const std::vector<std::string>& calls, const std::string& prefix) {
    size_t count = 0;
    for (const std::string& call : calls) {
        count += call.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}
