// A step of the display brightness, up or down, by the machine's route: the lumaset
// program beside the manager and then the hardware library on listed machines, the
// platform's LCD brightness control elsewhere.
#pragma once

#include "Model.h"

class SysBridgeHelper;

constexpr HRESULT kBrightnessNotReadable = static_cast<HRESULT>(0x80000C01);
constexpr HRESULT kBrightnessNotAccepted = static_cast<HRESULT>(0x80000C02);
constexpr HRESULT kLcdNotOpened = static_cast<HRESULT>(0x80000C03);
constexpr HRESULT kLcdLevelsNotReadable = static_cast<HRESULT>(0x80000C04);

// How long the lumaset program may run before it is stopped and the step fails.
constexpr DWORD kLumasetTimeoutMs = 10000;

class HardCommand : public Command {
public:
    explicit HardCommand(SysBridgeHelper* bridge) : bridge_(bridge) {}

    int execute() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;

    HRESULT stepBrightness(bool up);
    static HRESULT runLumaset(bool up, bool wow64);
    HRESULT stepBridgeBrightness(bool up);
    static HRESULT stepLcdBrightness(bool up);

private:
    SysBridgeHelper* bridge_; // not owned
};
