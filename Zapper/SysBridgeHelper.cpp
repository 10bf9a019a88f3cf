#include "SysBridgeHelper.h"

template <typename Function>
void SysBridgeHelper::resolve(Function& entry, const char* name) {
    if (!entry) {
        entry = reinterpret_cast<Function>(
            reinterpret_cast<void*>(::GetProcAddress(library_.get(), name)));
    }
}

int SysBridgeHelper::load() {
    if (!library_) {
        library_.reset(::LoadLibraryW(L"SysBridge.dll"));
        if (!library_) {
            return 0;
        }
    }
    resolve(SYSBRIDGE_GetWakeupCode, "SYSBRIDGE_GetWakeupCode");
    resolve(SYSBRIDGE_ClearWakeupCode, "SYSBRIDGE_ClearWakeupCode");
    resolve(SYSBRIDGE_GetRemoteControllerStatus, "SYSBRIDGE_GetRemoteControllerStatus");
    resolve(SYSBRIDGE_SetRemoteControllerStatus, "SYSBRIDGE_SetRemoteControllerStatus");
    resolve(SYSBRIDGE_GetBrightnessLevel, "SYSBRIDGE_GetBrightnessLevel");
    resolve(SYSBRIDGE_SetBrightnessLevel, "SYSBRIDGE_SetBrightnessLevel");
    resolve(SYSBRIDGE_GetSleepButtonMode, "SYSBRIDGE_GetSleepButtonMode");
    resolve(SYSBRIDGE_SetSleepButtonMode, "SYSBRIDGE_SetSleepButtonMode");
    resolve(SYSBRIDGE_GetMachineID, "SYSBRIDGE_GetMachineID");
    resolve(SYSBRIDGE_GetManufactureID, "SYSBRIDGE_GetManufactureID");
    resolve(SYSBRIDGE_GetInstantTVParam, "SYSBRIDGE_GetInstantTVParam");
    resolve(SYSBRIDGE_Change3DState, "SYSBRIDGE_Change3DState");
    return 1;
}

void SysBridgeHelper::unload() {
    SYSBRIDGE_GetWakeupCode = nullptr;
    SYSBRIDGE_ClearWakeupCode = nullptr;
    SYSBRIDGE_GetRemoteControllerStatus = nullptr;
    SYSBRIDGE_SetRemoteControllerStatus = nullptr;
    SYSBRIDGE_GetBrightnessLevel = nullptr;
    SYSBRIDGE_SetBrightnessLevel = nullptr;
    SYSBRIDGE_GetSleepButtonMode = nullptr;
    SYSBRIDGE_SetSleepButtonMode = nullptr;
    SYSBRIDGE_GetMachineID = nullptr;
    SYSBRIDGE_GetManufactureID = nullptr;
    SYSBRIDGE_GetInstantTVParam = nullptr;
    SYSBRIDGE_Change3DState = nullptr;
    library_.reset();
}
