// The simulated remote as a program sees it: reports that `remote` injects travel through the
// driver, Wine's HID class and raw input, and arrive as WM_INPUT at a hidden window registered
// like Zapper's. The reports are read the way Zapper decodes them.
#include "HidSimControl.h"
#include "KestrelHidSim.h"
#include "RawInputReceiver.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <optional>
#include <string>

using namespace testing_support;
using hidtest::Collection;
using hidtest::RawHidInput;
using hidtest::RawInputReceiver;

namespace {

constexpr DWORD kArrivalTimeoutMs = 10000;

// The three collections Zapper registers.
const std::vector<Collection> kZapperCollections = {{0xFFBC, 0x88}, {0x000C, 0x01}, {0xFF00, 0x01}};

std::optional<DWORD> runRemote(const std::wstring& arguments) {
    return runProgram(binPath(L"remote.exe"), arguments, 30000);
}

// Zapper's decoding: the button code of a report, 0 for a release, nothing for reports of
// other collections. It keeps the first 16 bytes only.
std::optional<unsigned> zapperCode(const RawHidInput& input) {
    std::vector<std::uint8_t> bytes(
        input.report.begin(), input.report.begin() + std::min<size_t>(input.report.size(), 16));
    bytes.resize(16, 0);
    if ((input.usagePage == 0xFFBC && input.usage == 0x88) ||
        (input.usagePage == 0x000C && input.usage == 0x01)) {
        return bytes[1] + 256u * bytes[2];
    }
    if (input.usagePage == 0xFF00 && input.usage == 0x01) {
        return bytes[5];
    }
    return std::nullopt;
}

struct Expected {
    USHORT usagePage;
    USHORT usage;
    std::uint8_t reportId;
    size_t reportLength;
};

const Expected kFfbc = {0xFFBC, 0x88, KHS_FFBC_REPORT_ID, KHS_FFBC_REPORT_LENGTH};
const Expected kConsumer = {0x000C, 0x01, KHS_CONSUMER_REPORT_ID, KHS_CONSUMER_REPORT_LENGTH};
const Expected kFf00 = {0xFF00, 0x01, KHS_FF00_REPORT_ID, KHS_FF00_REPORT_LENGTH};

void expectInput(const RawHidInput& input, const Expected& expected, unsigned code) {
    EXPECT_EQ(expected.usagePage, input.usagePage);
    EXPECT_EQ(expected.usage, input.usage);
    EXPECT_EQ(1u, input.reportCount);
    ASSERT_EQ(expected.reportLength, input.report.size());
    EXPECT_EQ(expected.reportId, input.report[0]);
    EXPECT_EQ(code, zapperCode(input).value_or(0xFFFFFFFF));
}

class RemoteInput : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(receiver_.registered()); }

    RawInputReceiver receiver_{kZapperCollections};
};

} // namespace

TEST_F(RemoteInput, PressAndReleaseOfEachCollection) {
    struct Case {
        const wchar_t* button;
        Expected expected;
        unsigned code;
    };
    const Case cases[] = {
        {L"Guide", kFfbc, 0x8D},
        {L"Start", kFfbc, 0x0D},
        {L"ffbc:0x1234", kFfbc, 0x1234},
        {L"Play", kConsumer, 0xB0},
        {L"consumer:0xEA", kConsumer, 0xEA},
        {L"Back", kConsumer, 0x224},
        {L"3D", kFf00, 0x90},
        {L"ff00:0xFE", kFf00, 0xFE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        receiver_.clear();
        ASSERT_EQ(0u, runRemote(std::wstring(L"press ") + c.button).value_or(99));
        ASSERT_TRUE(receiver_.waitForInputs(1, kArrivalTimeoutMs));
        ASSERT_EQ(0u, runRemote(std::wstring(L"release ") + c.button).value_or(99));
        ASSERT_TRUE(receiver_.waitForInputs(2, kArrivalTimeoutMs));
        const auto inputs = receiver_.inputs();
        ASSERT_EQ(2u, inputs.size());
        expectInput(inputs[0], c.expected, c.code);
        expectInput(inputs[1], c.expected, 0);
        // A release leaves every byte but the report id 0.
        for (size_t i = 1; i < inputs[1].report.size(); ++i) {
            EXPECT_EQ(0, inputs[1].report[i]) << "byte " << i;
        }
    }
}

// Reports of one device arrive in the order sent; each device has its own path through the
// HID class, so the order between devices is not kept.
TEST_F(RemoteInput, StepsOfOneCommandArriveInOrder) {
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0u, runRemote(L"click Play press Pause release consumer hold Stop 50 click Guide")
                      .value_or(99));
    ASSERT_TRUE(receiver_.waitForInputs(8, kArrivalTimeoutMs));
    std::vector<RawHidInput> consumer;
    std::vector<RawHidInput> ffbc;
    for (const RawHidInput& input : receiver_.inputs()) {
        (input.usagePage == kConsumer.usagePage ? consumer : ffbc).push_back(input);
    }
    ASSERT_EQ(6u, consumer.size());
    ASSERT_EQ(2u, ffbc.size());
    const unsigned consumerCodes[] = {0xB0, 0, 0xB1, 0, 0xB7, 0};
    for (size_t i = 0; i < consumer.size(); ++i) {
        SCOPED_TRACE(i);
        expectInput(consumer[i], kConsumer, consumerCodes[i]);
    }
    expectInput(ffbc[0], kFfbc, 0x8D);
    expectInput(ffbc[1], kFfbc, 0);
    // The hold keeps the button down for its time.
    EXPECT_GE(consumer[5].received - consumer[4].received, std::chrono::milliseconds(50));

    const auto firstArrival =
        std::chrono::duration_cast<std::chrono::milliseconds>(consumer[0].received - start);
    std::cout << "remote started -> first WM_INPUT: " << firstArrival.count() << " ms\n";
    RecordProperty("remote_start_to_wm_input_ms", static_cast<int>(firstArrival.count()));
}

// The fourth collection (system control) is a real device too, but a window registered for
// the other three does not hear it.
TEST_F(RemoteInput, UnregisteredCollectionReachesNobody) {
    ASSERT_EQ(0u, runRemote(L"click Sleep click other:0x05").value_or(99));
    ASSERT_TRUE(hidsim::waitUntilSettled(kArrivalTimeoutMs));
    ASSERT_EQ(0u, runRemote(L"click Play").value_or(99));
    ASSERT_TRUE(receiver_.waitForInputs(2, kArrivalTimeoutMs));
    const auto inputs = receiver_.inputs();
    ASSERT_EQ(2u, inputs.size());
    expectInput(inputs[0], kConsumer, 0xB0);
    expectInput(inputs[1], kConsumer, 0);
}

TEST(RemoteSystemCollection, ArrivesWhenRegistered) {
    RawInputReceiver receiver({{0x0001, 0x80}});
    ASSERT_TRUE(receiver.registered());
    ASSERT_EQ(0u, runRemote(L"click Sleep").value_or(99));
    ASSERT_TRUE(receiver.waitForInputs(2, kArrivalTimeoutMs));
    const auto inputs = receiver.inputs();
    ASSERT_EQ(2u, inputs.size());
    const std::vector<std::uint8_t> press = {KHS_SYSTEM_REPORT_ID, 0x82};
    const std::vector<std::uint8_t> release = {KHS_SYSTEM_REPORT_ID, 0x00};
    for (const RawHidInput& input : inputs) {
        EXPECT_EQ(0x0001, input.usagePage);
        EXPECT_EQ(0x80, input.usage);
    }
    EXPECT_EQ(press, inputs[0].report);
    EXPECT_EQ(release, inputs[1].report);
}

// Raw reports as given: Wine drops a report shorter than the collection's input report, and
// delivers a full one byte for byte, whatever it holds.
TEST_F(RemoteInput, RawReports) {
    ASSERT_EQ(0u, runRemote(L"raw ffbc 01-8D raw ff00 03-11-22-33-44-90-55-66").value_or(99));
    ASSERT_TRUE(hidsim::waitUntilSettled(kArrivalTimeoutMs));
    ASSERT_EQ(0u, runRemote(L"raw consumer 02-00-00").value_or(99));
    ASSERT_TRUE(receiver_.waitForInputs(2, kArrivalTimeoutMs));
    const auto inputs = receiver_.inputs();
    ASSERT_EQ(2u, inputs.size());
    const std::vector<std::uint8_t> vendor = {0x03, 0x11, 0x22, 0x33, 0x44, 0x90, 0x55, 0x66};
    EXPECT_EQ(vendor, inputs[0].report);
    expectInput(inputs[0], kFf00, 0x90);
    expectInput(inputs[1], kConsumer, 0);
}

TEST(RemoteCommandLine, ExitCodes) {
    struct Case {
        const wchar_t* arguments;
        DWORD exitCode;
    };
    const Case cases[] = {
        {L"list", 0},
        {L"status", 0},
        {L"click NoSuchButton", 1},
        {L"click ff00:0x100", 1},
        {L"hold Play", 1},
        {L"raw launcher zz", 1},
        // Longer than the device's input report: the driver refuses it.
        {L"raw ffbc 01-02-03-04", 3},
        {L"raw launcher 01-02-03", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(c.exitCode, runRemote(c.arguments).value_or(99));
    }
}
