#include "Conditions.h"

#include "DebugLog.h"
#include "SysBridgeHelper.h"

namespace {
constexpr WORD kNoInstantTV = 0x8000;
constexpr WORD kInstantTVInactive = 0x8D50;
} // namespace

HRESULT InstantTVCondition::setCmdInfo(CmdInfo* cmdInfo) {
    if (!cmdInfo) {
        return kConditionNoRecord;
    }
    cmdInfo_ = cmdInfo;
    return S_OK;
}

int InstantTVCondition::isMatch() {
    if (!cmdInfo_ || !bridge_) {
        return 0;
    }
    WORD errorCode = 0;
    WORD serviceId = 0;
    if (bridge_->SYSBRIDGE_GetInstantTVParam) {
        bridge_->SYSBRIDGE_GetInstantTVParam(&errorCode, &serviceId);
    }
    LOG_INF(L"[Zapper] Get Rozuroz IV event from BIOS, ErrorCode: 0x%04x; Service ID: 0x%04x\n",
            errorCode, serviceId);
    const DWORD bits = cmdInfo_->Condition;
    if ((bits & 0x1) && errorCode == kNoInstantTV) {
        LOG_INF(L"Rozuroz IV condition is match: no Rozuroz IV\n");
        return 1;
    }
    if ((bits & 0x2) && errorCode == kInstantTVInactive) {
        LOG_INF(L"Rozuroz IV condition is match: Rozuroz IV is not active\n");
        return 1;
    }
    if ((bits & 0x4) && errorCode != kNoInstantTV && errorCode != kInstantTVInactive) {
        LOG_INF(L" Rozuroz IV condition is match: Rozuroz IV is active\n");
        return 1;
    }
    return 0;
}
