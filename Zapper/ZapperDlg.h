// Zapper's only window: a hidden modeless dialog that receives the remote control's raw
// input, power, session and notification messages, and owns the button table, the settings
// store and the hardware library.
#pragma once

#include "AppFramework.h"
#include "CmdSetting.h"
#include "Model.h"
#include "SysBridgeHelper.h"
#include "UniqueHandle.h"

#include <cstdint>

// The id of the tile launcher's registered notification message, set before the main
// window is created.
extern UINT TileNotifyMessage;
constexpr wchar_t kTileNotifyMessageName[] = L"9C41D7B2-3E6A-4F05-B1D8-72A5C0E94F13";

// The message the window posts itself after a resume.
constexpr UINT kResumeMessage = WM_APP + 0x483;

constexpr UINT kMainDialogTemplate = 102;
constexpr int kMainIcon = 128;

// Result codes of the window and the dispatcher.
constexpr HRESULT kRawInputRegistrationFailed = static_cast<HRESULT>(0x8000FF01);
constexpr HRESULT kReleaseNotRepeated = 0x4000FF01;
constexpr HRESULT kNoMatchingLine = 0x4000FF04;
constexpr HRESULT kCommandFailed = 0x4000FF05;
constexpr HRESULT kEmptyRecordSlot = static_cast<HRESULT>(0x8000FF03);
constexpr HRESULT kCommandNotAllocated = static_cast<HRESULT>(0x8000FF04);

class CZapperDlg : public ModelessDialog {
public:
    CZapperDlg();
    ~CZapperDlg() override;

    BOOL DestroyWindow() override;

    // Dispatch of one button event: the first matching line runs its records as a queue.
    HRESULT executeCommand(ButtonEvent event);
    HRESULT getMatchedButtonInfo(const ButtonEvent& event, ButtonInfo*& matched);
    int matchingCondition(CmdInfo* cmdInfo);
    static int isRepeatButton(CmdInfo* cmdInfo);
    HRESULT execCmdInfoList(const std::vector<std::unique_ptr<CmdInfo>>& records);
    static HRESULT execCmdQ(const std::vector<std::unique_ptr<Command>>& queue);

    // Raw input: registration, decoding, and the handler with its press/release bookkeeping.
    HRESULT registerRawInput();
    HRESULT decodeRawInput(HRAWINPUT input, ButtonEvent& event);
    // The decoding of a raw input's bytes from the collection (usagePage, usage).
    HRESULT decodeInput(const std::uint8_t* data, size_t size, std::uint32_t usagePage,
                        std::uint32_t usage, ButtonEvent& event);
    LRESULT OnWmInput(WPARAM wParam, LPARAM lParam);
    // The handler's work once a report is decoded (or could not be).
    void handleDecodedReport(HRESULT decoded, ButtonEvent event);

    // Wake-up codes, power and session events, tile-launcher notifications.
    LRESULT OnPowerBroadcast(WPARAM wParam, LPARAM lParam);
    LRESULT OnSessionChange(WPARAM wParam, LPARAM lParam);
    LRESULT OnResumeWakeup(WPARAM wParam, LPARAM lParam);
    LRESULT OnTileNotify(WPARAM wParam, LPARAM lParam);
    int manageWakeupCode();
    int manageWakeupCodeForTVandREC();
    HRESULT getDelayTimeAfterResumeFromReg(WORD code);

    HRESULT loadSettings();

    // State shared with the rest of the manager.
    ButtonTable& buttonTable() { return buttonTable_; }
    SysBridgeHelper& bridge() { return bridge_; }
    int released() const { return released_; }
    void setReleased(int released) { released_ = released; }
    const ButtonEvent& lastEvent() const { return lastEvent_; }
    HANDLE resumeEvent() const { return resumeEvent_.get(); }
    int sessionLocked() const { return sessionLocked_; }

protected:
    BOOL OnInitDialog() override;
    void PostNcDestroy() override;
    bool routeMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);
    LRESULT OnQueryDragIcon(WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    LRESULT OnClose(WPARAM wParam, LPARAM lParam);
    // Polls the firmware for the wake-up code: false when no code could be read.
    bool pollWakeupCode(WORD& code);

    static const MessageRoute<CZapperDlg> messageRoutes_[];

    HICON icon_ = nullptr;
    DWORD consoleSessionId_ = 0xFFFFFFFF;
    ButtonTable buttonTable_;
    CmdSetting settings_;
    SysBridgeHelper bridge_;
    int sessionLocked_ = 0;
    int wakeBusy_ = 0;
    UniqueHandle resumeEvent_;
    int released_ = 0;
    ButtonEvent lastEvent_ = {};
    bool sessionNotifications_ = false;
};
