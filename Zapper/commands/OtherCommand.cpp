#include "OtherCommand.h"

#include <vfw.h>

namespace {
// WS_CHILD, WS_DISABLED and WS_CAPTION with no error dialogs, mode notifications, every
// control shown and no play bar; the window never shows since its owner is hidden.
constexpr DWORD kMediaWindowStyle = 0x48C04172;
constexpr UINT kOpen = WM_USER + 252;
constexpr UINT kCanEject = WM_USER + 148;
constexpr UINT kEject = WM_USER + 107;
} // namespace

HRESULT OtherCommand::setCmdInfo(CmdInfo* cmdInfo) {
    cmdInfo_ = cmdInfo;
    return S_OK;
}

int OtherCommand::execute() {
    if (!cmdInfo_) {
        return 0;
    }
    if (cmdInfo_->dwCmdType == 0x801) {
        ejectDisc(owner_);
    }
    return 1;
}

HRESULT OtherCommand::ejectDisc(HWND owner) {
    const HWND media =
        ::MCIWndCreateW(owner, ::GetModuleHandleW(nullptr), kMediaWindowStyle, nullptr);
    if (!media) {
        return kMediaWindowNotCreated;
    }
    ::SendMessageW(media, kOpen, 0, reinterpret_cast<LPARAM>(L"cdaudio"));
    if (::SendMessageW(media, kCanEject, 0, 0) != 0) {
        ::SendMessageW(media, kEject, 0, 0);
    }
    ::SendMessageW(media, WM_CLOSE, 0, 0);
    return S_OK;
}
