// Button matching and the command queue: the first line whose button matches and whose
// first record's condition holds runs its records, in order, until a command fails.
#include "ZapperDlg.h"

#include "Conditions.h"
#include "DebugLog.h"
#include "HardCommand.h"
#include "KeyCommand.h"
#include "OtherCommand.h"
#include "RunCommand.h"

#include <cwchar>
#include <new>

HRESULT CZapperDlg::executeCommand(ButtonEvent event) {
    LOG_SCOPE(L"CZapperDlg::executeCommand");
    ButtonInfo* matched = nullptr;
    const HRESULT result = getMatchedButtonInfo(event, matched);
    if (result != S_OK) {
        return result;
    }
    return execCmdInfoList(matched->cmdInfoList);
}

HRESULT CZapperDlg::getMatchedButtonInfo(const ButtonEvent& event, ButtonInfo*& matched) {
    LOG_SCOPE(L"CZapperDlg::getMatchedButtonInfo");
    LOG_INF(L" ev Page:0x%04lx, Usage:0x%04lx, Button:0x%04lx\n",
            static_cast<unsigned long>(event.usagePage), static_cast<unsigned long>(event.usage),
            static_cast<unsigned long>(event.buttonCode));
    for (const auto& line : buttonTable_) {
        if (line->usagePage != event.usagePage || line->usage != event.usage ||
            line->buttonCode != event.buttonCode) {
            continue;
        }
        CmdInfo* first = line->cmdInfoList.empty() ? nullptr : line->cmdInfoList.front().get();
        // A release runs only a hold line; the first candidate decides.
        if (released_ == 1 && (!first || !isRepeatButton(first))) {
            return kReleaseNotRepeated;
        }
        if (matchingCondition(first) == 1) {
            matched = line.get();
            return S_OK;
        }
    }
    return kNoMatchingLine;
}

int CZapperDlg::matchingCondition(CmdInfo* cmdInfo) {
    LOG_SCOPE(L"CZapperDlg::matchingCondition");
    if (!cmdInfo) {
        return 0;
    }
    LOG_INF(L"OSType is: 0x%04lx,Condition is:0x%04lx", cmdInfo->OSType, cmdInfo->Condition);
    if (cmdInfo->OSType == 0 && cmdInfo->Condition == 0) {
        return 1;
    }
    if (cmdInfo->OSType & 0x100) {
        // Attached, never asked: the operating system does not restrict a line.
        OsCondition os;
        os.setCmdInfo(cmdInfo);
    }
    if (cmdInfo->Condition & 0x200) {
        MediaCondition media;
        media.setCmdInfo(cmdInfo);
        if (media.isMatch() == 0) {
            return 0;
        }
    }
    if (cmdInfo->Condition & 0x400) {
        ApplicationCondition application;
        if (application.setCmdInfo(cmdInfo) != S_OK || application.isMatch() == 0) {
            return 0;
        }
    }
    if (cmdInfo->Condition & 0x800) {
        InstantTVCondition instantTV(&bridge_);
        instantTV.setCmdInfo(cmdInfo);
        if (instantTV.isMatch() == 0) {
            return 0;
        }
    }
    return 1;
}

int CZapperDlg::isRepeatButton(CmdInfo* cmdInfo) {
    const int repeat =
        cmdInfo && (cmdInfo->dwCmdType & 0x200) && (cmdInfo->dwCmdType & 0x1) ? 1 : 0;
    wchar_t text[64] = {};
    _snwprintf(text, 63, L"isRepeatButton = %d, %d", repeat,
               cmdInfo ? static_cast<int>(cmdInfo->dwCmdType) : 0);
    ::OutputDebugStringW(text);
    return repeat;
}

HRESULT CZapperDlg::execCmdInfoList(const std::vector<std::unique_ptr<CmdInfo>>& records) {
    LOG_SCOPE(L"CZapperDlg::execCmdInfoList");
    std::vector<std::unique_ptr<Command>> queue;
    auto append = [&](Command* command, CmdInfo* record) {
        if (!command) {
            return false;
        }
        command->setCmdInfo(record);
        queue.emplace_back(command);
        return true;
    };
    for (const auto& slot : records) {
        CmdInfo* record = slot.get();
        if (!record) {
            LOG_ERROR_CODE(kEmptyRecordSlot);
            return kEmptyRecordSlot;
        }
        LOG_INF(L"dwCmdType is  :0x%04lx", record->dwCmdType);
        bool built = true;
        if (record->dwCmdType & 0x100) {
            LOG_INF(L"Run   Command IN");
            built = built && append(new (std::nothrow) RunCommand(m_hWnd, &bridge_), record);
        }
        if (record->dwCmdType & 0x200) {
            record->isRepeat = isRepeatButton(record);
            record->released = released_;
            built = built && append(new (std::nothrow) KeyCommand, record);
        }
        if (record->dwCmdType & 0x400) {
            built = built && append(new (std::nothrow) HardCommand(&bridge_), record);
        }
        if (record->dwCmdType & 0x800) {
            built = built && append(new (std::nothrow) OtherCommand(m_hWnd), record);
        }
        if (!built) {
            LOG_ERROR_CODE(kCommandNotAllocated);
            return kCommandNotAllocated;
        }
    }
    LOG_INF(L"execCmdQ IN");
    return execCmdQ(queue);
}

HRESULT CZapperDlg::execCmdQ(const std::vector<std::unique_ptr<Command>>& queue) {
    LOG_SCOPE(L"CZapperDlg::execCmdQ");
    for (const auto& command : queue) {
        const CmdInfo* record = command->cmdInfo();
        // The delay belongs to the record: it is slept before each of its commands.
        if (record && record->delay != 0) {
            ::Sleep(record->delay);
        }
        LOG_INF(L"execute start");
        if (command->execute() == 0) {
            return kCommandFailed;
        }
    }
    return S_OK;
}
