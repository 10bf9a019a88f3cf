#include "RawReport.h"

#include <algorithm>
#include <cstring>

void keepRawInput(const std::uint8_t* data, size_t size, std::uint8_t (&kept)[kKeptRawInputBytes]) {
    std::memset(kept, 0, sizeof kept);
    if (data) {
        std::memcpy(kept, data, std::min(size, sizeof kept));
    }
}

HRESULT decodeReport(const std::uint8_t (&kept)[kKeptRawInputBytes], std::uint32_t usagePage,
                     std::uint32_t usage, ButtonEvent& event, int& released) {
    const std::uint8_t* report = kept + kFirstReportOffset;
    event.reportId = report[0];
    event.usagePage = usagePage;
    event.usage = usage;
    if ((usagePage == 0xFFBC && usage == 0x88) || (usagePage == 0x000C && usage == 0x0001)) {
        event.buttonCode = report[1] + 256u * report[2];
        released = report[1] == 0 && report[2] == 0 ? 1 : 0;
        return S_OK;
    }
    if (usagePage == 0xFF00 && usage == 0x0001) {
        event.buttonCode = report[5];
        released = report[5] == 0 ? 1 : 0;
        return S_OK;
    }
    return kOtherCollection;
}
