#include "MachineTable.h"

#include <cwchar>

int machineListed = 0;

namespace {

HRESULT lookupInList(WORD id, const wchar_t* sectionFormat, const wchar_t* key,
                     const wchar_t* iniPath) {
    if (id == 0) {
        return 1;
    }
    for (unsigned number = 1;; ++number) {
        wchar_t section[32] = {};
        _snwprintf(section, 31, sectionFormat, number);
        const UINT listed = ::GetPrivateProfileIntW(section, key, 0, iniPath);
        if (listed == 0) {
            return E_FAIL;
        }
        if (listed == id) {
            return S_OK;
        }
    }
}

} // namespace

HRESULT lookupManufacturer(WORD id, const wchar_t* iniPath) {
    return lookupInList(id, L"Manufacture%03u", L"ManufactureID", iniPath);
}

HRESULT lookupMachine(WORD id, int& listed, const wchar_t* iniPath) {
    const HRESULT result = lookupInList(id, L"MACHINE%03u", L"MachineID", iniPath);
    if (result == S_OK) {
        listed = 1;
    }
    return result;
}

void machineTablePath(wchar_t (&path)[MAX_PATH]) {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    wchar_t* lastBackslash = std::wcsrchr(module, L'\\');
    if (lastBackslash) {
        lastBackslash[1] = L'\0';
    }
    _snwprintf(path, MAX_PATH - 1, L"%sConfigInfo.ini", module);
    path[MAX_PATH - 1] = L'\0';
}

void deriveMachineListed(WORD manufacturerId, WORD machineId, const wchar_t* iniPath) {
    if (FAILED(lookupManufacturer(manufacturerId, iniPath))) {
        return;
    }
    int listed = 0;
    lookupMachine(machineId, listed, iniPath);
    machineListed = listed;
}
