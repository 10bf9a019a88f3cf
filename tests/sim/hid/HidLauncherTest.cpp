// The simulated HID launcher as Tilehop finds and uses it: SetupDi lists the present HID
// interfaces, HidD_GetAttributes tells them apart, HidD_SetOutputReport sends report 4; the
// driver's control channel shows what arrived.
#include <windows.h>

#include <setupapi.h>
// MinGW-w64's HID headers declare the functions without C linkage.
extern "C" {
#include <hidusage.h>
#include <hidpi.h>
#include <hidsdi.h>
}

#include "HidSimControl.h"
#include "KestrelHidSim.h"
#include "TestSupport.h"
#include "UniqueDevInfo.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct HidInterface {
    std::wstring path;
    HIDD_ATTRIBUTES attributes = {};
    HIDP_CAPS caps = {};
};

std::wstring lower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
    return text;
}

// Opened as Tilehop opens them: no access rights, sharing read and write.
UniqueFileHandle openLikeTilehop(const std::wstring& path) {
    return UniqueFileHandle(::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
}

// Every present HID interface whose attributes could be read.
std::vector<HidInterface> presentHidInterfaces() {
    GUID hidGuid;
    ::HidD_GetHidGuid(&hidGuid);
    std::vector<HidInterface> found;
    UniqueDevInfo set(
        ::SetupDiGetClassDevsW(&hidGuid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    EXPECT_TRUE(set.valid());
    SP_DEVICE_INTERFACE_DATA iface = {};
    iface.cbSize = sizeof iface;
    for (DWORD i = 0; ::SetupDiEnumDeviceInterfaces(set.get(), nullptr, &hidGuid, i, &iface); ++i) {
        DWORD size = 0;
        ::SetupDiGetDeviceInterfaceDetailW(set.get(), &iface, nullptr, 0, &size, nullptr);
        std::vector<BYTE> buffer(size);
        auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(buffer.data());
        detail->cbSize = sizeof *detail;
        if (!::SetupDiGetDeviceInterfaceDetailW(set.get(), &iface, detail, size, nullptr,
                                                nullptr)) {
            continue;
        }
        HidInterface hid;
        hid.path = detail->DevicePath;
        UniqueFileHandle device = openLikeTilehop(hid.path);
        hid.attributes.Size = sizeof hid.attributes;
        if (!device || !::HidD_GetAttributes(device.get(), &hid.attributes)) {
            continue;
        }
        PHIDP_PREPARSED_DATA preparsed = nullptr;
        if (::HidD_GetPreparsedData(device.get(), &preparsed)) {
            ::HidP_GetCaps(preparsed, &hid.caps);
            ::HidD_FreePreparsedData(preparsed);
        }
        found.push_back(hid);
    }
    return found;
}

bool isOurs(const HidInterface& hid) {
    return lower(hid.path).find(L"kestrelhidsim") != std::wstring::npos;
}

bool isLauncherIds(const HidInterface& hid) {
    return hid.attributes.VendorID == KHS_LAUNCHER_VENDOR_ID &&
           hid.attributes.ProductID == KHS_LAUNCHER_PRODUCT_ID;
}

std::wstring launcherPath() {
    for (const HidInterface& hid : presentHidInterfaces()) {
        if (isLauncherIds(hid)) {
            return hid.path;
        }
    }
    return {};
}

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), control_.open());
        ASSERT_EQ(static_cast<DWORD>(ERROR_SUCCESS), control_.clearOutputReports());
    }

    khs_output_log outputLog() {
        khs_output_log log = {};
        EXPECT_EQ(static_cast<DWORD>(ERROR_SUCCESS), control_.outputReports(log));
        return log;
    }

    hidsim::Control control_;
};

} // namespace

TEST(HidInterfaces, OneLauncherAndTheRemotesCollections) {
    const auto interfaces = presentHidInterfaces();
    std::vector<HidInterface> ours;
    std::copy_if(interfaces.begin(), interfaces.end(), std::back_inserter(ours), isOurs);
    ASSERT_EQ(static_cast<size_t>(KHS_DEVICE_COUNT), ours.size());

    // Exactly one interface in the whole system answers to the launcher's ids: ours.
    const auto launchers = std::count_if(interfaces.begin(), interfaces.end(), isLauncherIds);
    EXPECT_EQ(1, launchers);

    for (unsigned i = 0; i < KHS_DEVICE_COUNT; ++i) {
        const khs_device_desc& desc = khs_devices[i];
        SCOPED_TRACE(desc.name);
        const std::wstring instance = lower(desc.instance);
        const auto match = std::find_if(ours.begin(), ours.end(), [&](const HidInterface& hid) {
            return lower(hid.path).find(L"#" + instance + L"#") != std::wstring::npos;
        });
        ASSERT_NE(ours.end(), match);
        EXPECT_EQ(desc.vendor_id, match->attributes.VendorID);
        EXPECT_EQ(desc.product_id, match->attributes.ProductID);
        EXPECT_EQ(i == KHS_LAUNCHER, isLauncherIds(*match));
        EXPECT_EQ(desc.usage_page, match->caps.UsagePage);
        EXPECT_EQ(desc.usage, match->caps.Usage);
        EXPECT_EQ(desc.input_report_length, match->caps.InputReportByteLength);
        EXPECT_EQ(desc.output_report_length, match->caps.OutputReportByteLength);
    }
}

TEST_F(Launcher, OutputReportFromTilehopArrives) {
    const std::wstring path = launcherPath();
    ASSERT_FALSE(path.empty());
    UniqueFileHandle device = openLikeTilehop(path);
    ASSERT_TRUE(device.valid());
    BYTE request[] = {0x04, 0x01};
    ASSERT_TRUE(::HidD_SetOutputReport(device.get(), request, sizeof request));

    const khs_output_log log = outputLog();
    EXPECT_EQ(1u, log.total);
    ASSERT_EQ(1u, log.count);
    EXPECT_EQ(static_cast<unsigned>(KHS_LAUNCHER), log.reports[0].device);
    EXPECT_EQ(static_cast<unsigned>(KHS_OUTPUT_SET_REPORT), log.reports[0].kind);
    ASSERT_EQ(2u, log.reports[0].length);
    EXPECT_EQ(0x04, log.reports[0].data[0]);
    EXPECT_EQ(0x01, log.reports[0].data[1]);

    // The tool's clear empties the log.
    ASSERT_EQ(0u, runProgram(binPath(L"remote.exe"), L"launcher-clear").value_or(99));
    EXPECT_EQ(0u, outputLog().total);
}

TEST_F(Launcher, WriteFileReachesTheDeviceAsAnOutputReport) {
    const std::wstring path = launcherPath();
    ASSERT_FALSE(path.empty());
    UniqueFileHandle device(::CreateFileW(path.c_str(), GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(device.valid());
    const BYTE report[] = {0x04, 0x07};
    // The count written is the HID class's business (it takes one off for the report id).
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(device.get(), report, sizeof report, &written, nullptr));

    const khs_output_log log = outputLog();
    ASSERT_EQ(1u, log.count);
    EXPECT_EQ(static_cast<unsigned>(KHS_OUTPUT_WRITE), log.reports[0].kind);
    EXPECT_EQ(0x07, log.reports[0].data[1]);
}

// Reports the devices do not declare fail in the HID class and never reach the driver.
TEST_F(Launcher, UndeclaredOutputReportsAreRefused) {
    struct Case {
        const char* what;
        khs_device_index device;
        std::vector<BYTE> report;
    };
    const Case cases[] = {
        {"unknown report id", KHS_LAUNCHER, {0x05, 0x01}},
        {"short report", KHS_LAUNCHER, {0x04}},
        {"a remote collection", KHS_REMOTE_FF00, {0x03, 0x01}},
    };
    const auto interfaces = presentHidInterfaces();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::wstring instance = lower(khs_devices[c.device].instance);
        const auto match =
            std::find_if(interfaces.begin(), interfaces.end(), [&](const HidInterface& hid) {
                return lower(hid.path).find(L"#" + instance + L"#") != std::wstring::npos;
            });
        ASSERT_NE(interfaces.end(), match);
        UniqueFileHandle device = openLikeTilehop(match->path);
        ASSERT_TRUE(device.valid());
        std::vector<BYTE> report = c.report;
        EXPECT_FALSE(
            ::HidD_SetOutputReport(device.get(), report.data(), static_cast<ULONG>(report.size())));
    }
    EXPECT_EQ(0u, outputLog().total);
}
