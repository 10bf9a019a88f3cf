// The owner of a device-installation set (SetupDi), for the programs that enumerate devices.
#pragma once

#include "UniqueHandle.h"

#include <setupapi.h>

struct DevInfoTraits {
    static HDEVINFO invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(HDEVINFO set) noexcept { ::SetupDiDestroyDeviceInfoList(set); }
};

using UniqueDevInfo = UniqueResource<HDEVINFO, DevInfoTraits>;
