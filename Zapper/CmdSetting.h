// The button table's store: the machine-wide master under HKEY_LOCAL_MACHINE and the user's
// copy under HKEY_CURRENT_USER, which is made from the master on first use and refreshed
// whenever the master carries a newer version. Only the user's copy is loaded.
#pragma once

#include "Model.h"
#include "UniqueHandle.h"

#include <string>
#include <vector>

constexpr wchar_t kZapperRoot[] = L"SOFTWARE\\KESTREL\\Zapper";

// Result codes of the store.
constexpr HRESULT kSettingsReadFailed = static_cast<HRESULT>(0x80000101);
constexpr HRESULT kSettingsCreateFailed = static_cast<HRESULT>(0x80000102);
constexpr HRESULT kSettingsWriteFailed = static_cast<HRESULT>(0x80000103);

class CmdSetting {
public:
    CmdSetting() = default;
    virtual ~CmdSetting() = default;
    CmdSetting(const CmdSetting&) = delete;
    CmdSetting& operator=(const CmdSetting&) = delete;

    // Brings the user copy up to date and collects the active sets; the user key stays open.
    [[nodiscard]] HRESULT open();
    // Appends the lines of every active set, in set order.
    [[nodiscard]] HRESULT loadButtonTable(ButtonTable& table);
    void close() noexcept { userKey_.reset(); }

    // 1 when the machine version is newer, -1 when the user version is, 0 when equal.
    static int VersionCompare(const wchar_t* machineVersion, const wchar_t* userVersion);

    const std::vector<std::wstring>& setNames() const { return setNames_; }

private:
    HRESULT copyMachineSettings();
    HRESULT collectSetNames();
    HRESULT loadSet(HKEY setKey, ButtonTable& table);

    UniqueRegKey userKey_;
    std::vector<std::wstring> setNames_;
};

// Parses one button line into `button`; false when the line is to be dropped.
bool parseButtonLine(const std::wstring& line, ButtonInfo& button);
