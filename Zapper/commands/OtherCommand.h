// Actions that are neither keystrokes, programs nor brightness steps: ejecting the disc
// through the platform's media-control window on the "cdaudio" device.
#pragma once

#include "Model.h"

constexpr HRESULT kMediaWindowNotCreated = static_cast<HRESULT>(0x80000F01);

class OtherCommand : public Command {
public:
    explicit OtherCommand(HWND owner) : owner_(owner) {}

    int execute() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;

    static HRESULT ejectDisc(HWND owner);

private:
    HWND owner_;
};
