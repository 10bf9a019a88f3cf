// Runs a real Zapper.exe from a folder of its own, with the stand-in hardware library and
// whatever files a test puts beside it, and reads what the stand-ins recorded.
#pragma once

#include "TestSupport.h"

#include <string>
#include <utility>
#include <vector>

constexpr wchar_t kZapperMachineRoot[] = L"SOFTWARE\\KESTREL\\Zapper";

// The button table in the registry: the machine master (32-bit view) and the user copy.
namespace zapper_registry {
void reset();
// Writes the master: "CurrentVersion" (when not empty), each set active by a value named
// like it, and its lines as values "Line1", "Line2", ... in order.
void writeMaster(const std::wstring& version,
                 const std::vector<std::pair<std::wstring, std::vector<std::wstring>>>& sets);
} // namespace zapper_registry

class ZapperInstall {
public:
    // `withBridge`: put the stand-in SysBridge.dll beside Zapper.
    explicit ZapperInstall(bool withBridge = true);
    ~ZapperInstall();

    const testing_support::TempFolder& folder() const { return folder_; }
    std::wstring program() const { return folder_.file(L"Zapper.exe"); }

    void bridgeScript(const std::string& entries) const;
    void machineTable(const std::string& ini) const;
    void debugLog(const std::string& entries) const;
    // Copies a build output (32-bit) beside Zapper under the given name.
    void addProgram(const std::wstring& builtName, const std::wstring& installedName) const;

    testing_support::ChildProcess start(const std::wstring& arguments = L"") const;
    // The running instance's window once its initialisation has ended, or null.
    static HWND waitUntilReady(DWORD timeoutMs);
    static HWND mainWindow();
    // Starts Zapper with "/exit" and waits for `running` to end; true when it ended.
    bool stop(testing_support::ChildProcess& running, DWORD timeoutMs = 15000) const;

    // The stand-in library's record, one call per line.
    std::vector<std::string> bridgeCalls() const;
    void clearBridgeCalls() const;
    bool waitForBridgeCall(const std::string& prefix, DWORD timeoutMs) const;
    // How many recorded calls begin with `prefix`.
    size_t countBridgeCalls(const std::string& prefix) const {
        return countCalls(bridgeCalls(), prefix);
    }
    static size_t countCalls(const std::vector<std::string>& calls, const std::string& prefix);

private:
    testing_support::TempFolder folder_;
};
