#include "Conditions.h"

HRESULT OsCondition::setCmdInfo(CmdInfo* cmdInfo) {
    cmdInfo_ = cmdInfo;
    return S_OK;
}
