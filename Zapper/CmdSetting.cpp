#include "CmdSetting.h"

#include "DebugLog.h"
#include "MachineTable.h"

#include <cwchar>
#include <new>

namespace {

constexpr DWORD kNameChars = 64;  // value and subkey names: 63 characters and the terminator
constexpr DWORD kDataBytes = 512; // value data
constexpr DWORD kVersionBytes = 128;

// Reads "CurrentVersion" into a zeroed buffer; a missing value leaves it empty.
void readVersion(HKEY key, wchar_t (&version)[kVersionBytes / sizeof(wchar_t)]) {
    DWORD size = kVersionBytes - sizeof(wchar_t);
    std::fill(std::begin(version), std::end(version), L'\0');
    if (::RegQueryValueExW(key, L"CurrentVersion", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(version), &size) != ERROR_SUCCESS) {
        version[0] = L'\0';
    }
}

bool hasValue(HKEY key, const wchar_t* name) {
    return ::RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// One value of an enumeration: its name, type and data. Data gets one spare terminator
// so that text stored without its own still ends.
struct EnumeratedValue {
    wchar_t name[kNameChars];
    DWORD type;
    BYTE data[kDataBytes + sizeof(wchar_t)];
    DWORD size;
};

// ERROR_SUCCESS, ERROR_NO_MORE_ITEMS, or a failure (a name or data over the limits).
LONG enumerateValue(HKEY key, DWORD index, EnumeratedValue& value) {
    std::fill(std::begin(value.name), std::end(value.name), L'\0');
    std::fill(std::begin(value.data), std::end(value.data), BYTE{0});
    DWORD nameChars = kNameChars;
    value.size = kDataBytes;
    return ::RegEnumValueW(key, index, value.name, &nameChars, nullptr, &value.type, value.data,
                           &value.size);
}

// Copies the values and, recursively, the subkeys of one machine key into the user's tree.
HRESULT copyKey(HKEY destination, HKEY source, const std::wstring& path) {
    EnumeratedValue value;
    for (DWORD index = 0;; ++index) {
        const LONG error = enumerateValue(source, index, value);
        if (error == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (error != ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsReadFailed);
            return kSettingsReadFailed;
        }
        if (::RegSetValueExW(destination, value.name, 0, value.type, value.data, value.size) !=
            ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsWriteFailed);
            return kSettingsWriteFailed;
        }
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[kNameChars] = {};
        DWORD nameChars = kNameChars;
        const LONG error =
            ::RegEnumKeyExW(source, index, name, &nameChars, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_NO_MORE_ITEMS) {
            return S_OK;
        }
        if (error != ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsReadFailed);
            return kSettingsReadFailed;
        }
        const std::wstring childPath = path + L"\\" + name;
        UniqueRegKey machineChild;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, childPath.c_str(), 0, KEY_READ,
                            machineChild.put()) != ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsReadFailed);
            return kSettingsReadFailed;
        }
        UniqueRegKey userChild;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, childPath.c_str(), 0, nullptr,
                              REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, userChild.put(),
                              nullptr) != ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsCreateFailed);
            return kSettingsCreateFailed;
        }
        const HRESULT result = copyKey(userChild.get(), machineChild.get(), childPath);
        if (FAILED(result)) {
            return result;
        }
    }
}

// A number field: hexadecimal without prefix; empty or not hexadecimal reads as 0.
DWORD readHex(const std::wstring& field) {
    unsigned int value = 0;
    if (std::swscanf(field.c_str(), L"%X", &value) != 1) {
        return 0;
    }
    return value;
}

// Copies a text field into its fixed-size record field; text that does not fit refuses
// the line rather than running a cut-down parameter.
template <size_t N>
bool copyText(const std::wstring& text, wchar_t (&target)[N]) {
    if (text.size() >= N) {
        return false;
    }
    std::wmemcpy(target, text.c_str(), text.size());
    target[text.size()] = L'\0';
    return true;
}

bool parseRecord(CmdContext& records, CmdInfo& record) {
    std::wstring fields[8];
    for (std::wstring& field : fields) {
        if (FAILED(records.getNextToken(field))) {
            return false;
        }
    }
    record.OSType = readHex(fields[0]);
    record.reserved = readHex(fields[1]);
    record.Condition = readHex(fields[2]);
    record.ConditionMode = readHex(fields[3]);
    if (!copyText(fields[4], record.ConditionParam)) {
        LOG_ERR(L"ConditionParam longer than %d characters: %s",
                static_cast<int>(kConditionParamChars - 1), fields[4].c_str());
        return false;
    }
    record.delay = readHex(fields[5]);
    record.dwCmdType = readHex(fields[6]);
    if (!copyText(fields[7], record.CmdParam)) {
        LOG_ERR(L"CmdParam longer than %d characters: %s", static_cast<int>(kCmdParamChars - 1),
                fields[7].c_str());
        return false;
    }
    return true;
}

} // namespace

bool parseButtonLine(const std::wstring& line, ButtonInfo& button) {
    if (line.empty()) {
        return false;
    }
    ButtonContext fields;
    fields.line = line;
    std::wstring field[4];
    for (std::wstring& value : field) {
        if (FAILED(fields.getNextToken(value))) {
            return false;
        }
    }
    button.buttonCode = readHex(field[1]);
    button.usagePage = readHex(field[2]);
    button.usage = readHex(field[3]);

    CmdContext records;
    records.line = fields.line;
    if (records.line.empty()) {
        return false; // a button needs at least one record
    }
    while (!records.line.empty()) {
        std::unique_ptr<CmdInfo> record(new (std::nothrow) CmdInfo);
        if (!record || !parseRecord(records, *record)) {
            return false;
        }
        button.cmdInfoList.push_back(std::move(record));
    }
    return true;
}

HRESULT CmdSetting::open() {
    LOG_SCOPE(L"CmdSetting::open");
    const LONG userError =
        ::RegOpenKeyExW(HKEY_CURRENT_USER, kZapperRoot, 0, KEY_READ, userKey_.put());
    if (userError == ERROR_FILE_NOT_FOUND) {
        const HRESULT result = copyMachineSettings();
        if (FAILED(result)) {
            return result;
        }
        return collectSetNames();
    }
    if (userError != ERROR_SUCCESS) {
        LOG_ERROR_CODE(kSettingsReadFailed);
        return kSettingsReadFailed;
    }

    UniqueRegKey machineKey;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kZapperRoot, 0, KEY_READ, machineKey.put()) !=
        ERROR_SUCCESS) {
        LOG_ERROR_CODE(kSettingsReadFailed);
        return kSettingsReadFailed;
    }
    wchar_t userVersion[kVersionBytes / sizeof(wchar_t)];
    wchar_t machineVersion[kVersionBytes / sizeof(wchar_t)];
    readVersion(userKey_.get(), userVersion);
    readVersion(machineKey.get(), machineVersion);
    const bool machineHasVersion = hasValue(machineKey.get(), L"CurrentVersion");
    machineKey.reset();

    LOG_INF(L"Current user version is:%s;Local machine version is:%s", userVersion, machineVersion);
    if (VersionCompare(machineVersion, userVersion) == 1) {
        const HRESULT result = copyMachineSettings();
        if (FAILED(result)) {
            return result;
        }
    }
    // A master without a version is copied on every start.
    if (!machineHasVersion) {
        const HRESULT result = copyMachineSettings();
        if (FAILED(result)) {
            return result;
        }
    }
    return collectSetNames();
}

HRESULT CmdSetting::copyMachineSettings() {
    UniqueRegKey machineKey;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kZapperRoot, 0, KEY_READ, machineKey.put()) !=
        ERROR_SUCCESS) {
        LOG_ERROR_CODE(kSettingsReadFailed);
        return kSettingsReadFailed;
    }
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kZapperRoot, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, userKey_.put(), nullptr) != ERROR_SUCCESS) {
        LOG_ERROR_CODE(kSettingsCreateFailed);
        return kSettingsCreateFailed;
    }
    return copyKey(userKey_.get(), machineKey.get(), kZapperRoot);
}

HRESULT CmdSetting::collectSetNames() {
    setNames_.clear();
    EnumeratedValue value;
    for (DWORD index = 0;; ++index) {
        const LONG error = enumerateValue(userKey_.get(), index, value);
        if (error == ERROR_NO_MORE_ITEMS) {
            return S_OK;
        }
        if (error != ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsReadFailed);
            return kSettingsReadFailed;
        }
        // Only the first data byte counts, whatever the value's type.
        if (std::wcsstr(value.name, L"Setting") && value.size > 0 && value.data[0] == 1) {
            setNames_.emplace_back(value.name);
        }
    }
}

HRESULT CmdSetting::loadButtonTable(ButtonTable& table) {
    if (!userKey_) {
        LOG_ERROR_CODE(kSettingsReadFailed);
        return kSettingsReadFailed;
    }
    for (const std::wstring& name : setNames_) {
        const std::wstring path = std::wstring(kZapperRoot) + L"\\" + name;
        UniqueRegKey setKey;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, setKey.put()) !=
            ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsReadFailed);
            return kSettingsReadFailed;
        }
        const HRESULT result = loadSet(setKey.get(), table);
        if (FAILED(result)) {
            return result;
        }
    }
    return S_OK;
}

HRESULT CmdSetting::loadSet(HKEY setKey, ButtonTable& table) {
    EnumeratedValue value;
    for (DWORD index = 0;; ++index) {
        const LONG error = enumerateValue(setKey, index, value);
        if (error == ERROR_NO_MORE_ITEMS) {
            return S_OK;
        }
        if (error != ERROR_SUCCESS) {
            LOG_ERROR_CODE(kSettingsReadFailed);
            return kSettingsReadFailed;
        }
        const std::wstring line(reinterpret_cast<const wchar_t*>(value.data));
        ButtonContext first;
        first.line = line;
        std::wstring name;
        first.getNextToken(name);
        if (machineListed && ::lstrcmpiW(name.c_str(), L"ContentsSelect") == 0) {
            continue;
        }
        std::unique_ptr<ButtonInfo> button(new (std::nothrow) ButtonInfo);
        if (button && parseButtonLine(line, *button)) {
            table.push_back(std::move(button));
        }
    }
}

int CmdSetting::VersionCompare(const wchar_t* machineVersion, const wchar_t* userVersion) {
    LOG_SCOPE(L"CmdSetting::VersionCompare");
    int machineParts[4] = {};
    int userParts[4] = {};
    const wchar_t* machineRest = machineVersion ? machineVersion : L"";
    const wchar_t* userRest = userVersion ? userVersion : L"";
    // Splits off the next part at "."; parts beyond the fourth are ignored.
    auto nextPart = [](const wchar_t*& rest, std::wstring& part) {
        const wchar_t* dot = std::wcschr(rest, L'.');
        if (dot) {
            part.assign(rest, dot);
            rest = dot + 1;
        } else {
            part.assign(rest);
            rest += part.size();
        }
    };
    for (int index = 0; index < 4; ++index) {
        std::wstring machinePart;
        std::wstring userPart;
        nextPart(machineRest, machinePart);
        nextPart(userRest, userPart);
        LOG_INF(L"Token : LM [%s] CU [%s]", machinePart.c_str(), userPart.c_str());
        machineParts[index] = _wtoi(machinePart.c_str());
        userParts[index] = _wtoi(userPart.c_str());
    }
    int result = 0;
    for (int index = 0; index < 4 && result == 0; ++index) {
        LOG_INF(L"Index [%d] LocalVersion[%d] CurrentVersion[%d]", index, machineParts[index],
                userParts[index]);
        if (machineParts[index] > userParts[index]) {
            LOG_INF(L"Index [%d] LocalVersion[%d]is larger than CurrentVersion[%d]", index,
                    machineParts[index], userParts[index]);
            result = 1;
        } else if (machineParts[index] < userParts[index]) {
            LOG_INF(L"Index [%d] LocalVersion[%d]is less than CurrentVersion[%d]", index,
                    machineParts[index], userParts[index]);
            result = -1;
        }
    }
    LOG_INF(L"Compare result : %d", result);
    return result;
}
