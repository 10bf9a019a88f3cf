// Binds the maker's hardware library, SysBridge.dll, at run time. Every caller tests the entry
// pointer first: a missing library or export skips the call, and out values stay zero.
#pragma once

#include "UniqueHandle.h"

#include <windows.h>

class SysBridgeHelper {
public:
    using GetWakeupCodeFn = BOOL(WINAPI*)(WORD* code);
    using ClearWakeupCodeFn = BOOL(WINAPI*)();
    using GetRemoteControllerStatusFn = BOOL(WINAPI*)(WORD* status);
    using SetRemoteControllerStatusFn = BOOL(WINAPI*)(WORD status);
    using GetBrightnessLevelFn = BOOL(WINAPI*)(WORD* level);
    using SetBrightnessLevelFn = BOOL(WINAPI*)(WORD level);
    using GetSleepButtonModeFn = BOOL(WINAPI*)(DWORD* mode);
    using SetSleepButtonModeFn = BOOL(WINAPI*)(DWORD mode);
    using GetMachineIDFn = BOOL(WINAPI*)(WORD* id);
    using GetManufactureIDFn = BOOL(WINAPI*)(WORD* id);
    using GetInstantTVParamFn = BOOL(WINAPI*)(WORD* errorCode, WORD* serviceId);
    using Change3DStateFn = BOOL(WINAPI*)();

    SysBridgeHelper() = default;
    virtual ~SysBridgeHelper() = default;
    SysBridgeHelper(const SysBridgeHelper&) = delete;
    SysBridgeHelper& operator=(const SysBridgeHelper&) = delete;

    // Loads "SysBridge.dll" by name if not loaded yet and resolves every export still
    // unresolved. 1 on success, 0 when the library cannot be loaded.
    int load();
    // Forgets the library and every export.
    void unload();
    bool loaded() const { return library_.valid(); }

    GetWakeupCodeFn SYSBRIDGE_GetWakeupCode = nullptr;
    ClearWakeupCodeFn SYSBRIDGE_ClearWakeupCode = nullptr;
    GetRemoteControllerStatusFn SYSBRIDGE_GetRemoteControllerStatus = nullptr;
    SetRemoteControllerStatusFn SYSBRIDGE_SetRemoteControllerStatus = nullptr;
    GetBrightnessLevelFn SYSBRIDGE_GetBrightnessLevel = nullptr;
    SetBrightnessLevelFn SYSBRIDGE_SetBrightnessLevel = nullptr;
    GetSleepButtonModeFn SYSBRIDGE_GetSleepButtonMode = nullptr;
    SetSleepButtonModeFn SYSBRIDGE_SetSleepButtonMode = nullptr;
    GetMachineIDFn SYSBRIDGE_GetMachineID = nullptr;
    GetManufactureIDFn SYSBRIDGE_GetManufactureID = nullptr;
    GetInstantTVParamFn SYSBRIDGE_GetInstantTVParam = nullptr;
    Change3DStateFn SYSBRIDGE_Change3DState = nullptr;

private:
    template <typename Function>
    void resolve(Function& entry, const char* name);

    UniqueModule library_;
};
