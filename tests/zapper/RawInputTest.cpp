// From report bytes to dispatched events: the decoding of each collection's reports and the
// press/release bookkeeping of the main window.
#include "RawReport.h"
#include "RecordingKeySender.h"
#include "TestSupport.h"
#include "ZapperDlg.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace testing_support;

namespace {

struct Collection {
    std::uint32_t usagePage;
    std::uint32_t usage;
};
constexpr Collection kVendorRemote{0xFFBC, 0x88};
constexpr Collection kConsumer{0x000C, 0x01};
constexpr Collection kVendorButtons{0xFF00, 0x01};

// A raw input as the platform hands it over: the 16-byte header, the HID part's report
// size and count, then the report.
std::vector<std::uint8_t> rawInput(std::vector<std::uint8_t> report) {
    std::vector<std::uint8_t> input(kFirstReportOffset + report.size(), 0);
    input[16] = static_cast<std::uint8_t>(report.size());
    input[20] = 1;
    for (size_t i = 0; i < report.size(); ++i) {
        input[kFirstReportOffset + i] = report[i];
    }
    return input;
}

std::wstring besideTestProgram(const wchar_t* name) {
    wchar_t module[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring path = module;
    return path.substr(0, path.rfind(L'\\') + 1) + name;
}

std::vector<std::string> bridgeCalls() {
    std::vector<std::string> lines;
    std::istringstream in(readFile(besideTestProgram(L"SysBridge.calls.txt")));
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("SYSBRIDGE_", 0) == 0) {
            lines.push_back(line.substr(0, line.find(" =")));
        }
    }
    return lines;
}

} // namespace

TEST(ReportDecoding, ButtonCodeAndReleaseByCollection) {
    struct Case {
        const char* what;
        Collection collection;
        std::vector<std::uint8_t> report;
        HRESULT result;
        std::uint32_t reportId;
        std::uint32_t buttonCode;
        int released;
    };
    const Case cases[] = {
        {"consumer 0x35 0x01", kConsumer, {3, 0x35, 0x01}, S_OK, 3, 0x0135, 0},
        {"consumer release", kConsumer, {3, 0, 0}, S_OK, 3, 0, 1},
        {"vendor remote", kVendorRemote, {0, 0x0D, 0}, S_OK, 0, 0x0D, 0},
        {"vendor remote, high byte only", kVendorRemote, {0, 0, 0x01}, S_OK, 0, 0x100, 0},
        {"vendor buttons, byte 5", kVendorButtons, {5, 9, 9, 9, 9, 0x90, 9}, S_OK, 5, 0x90, 0},
        {"vendor buttons release", kVendorButtons, {5, 9, 9, 9, 9, 0, 9}, S_OK, 5, 0, 1},
        {"other collection", {0x0001, 0x06}, {1, 0x35, 0}, kOtherCollection, 1, 0, 0},
        {"consumer, other usage", {0x000C, 0x02}, {1, 0x35, 0}, kOtherCollection, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto input = rawInput(c.report);
        std::uint8_t kept[kKeptRawInputBytes];
        keepRawInput(input.data(), input.size(), kept);
        ButtonEvent event{};
        int released = 0;
        EXPECT_EQ(c.result,
                  decodeReport(kept, c.collection.usagePage, c.collection.usage, event, released));
        EXPECT_EQ(c.reportId, event.reportId);
        if (c.result == S_OK) {
            EXPECT_EQ(c.collection.usagePage, event.usagePage);
            EXPECT_EQ(c.collection.usage, event.usage);
            EXPECT_EQ(c.buttonCode, event.buttonCode);
            EXPECT_EQ(c.released, released);
        }
    }
}

TEST(ReportDecoding, ShortInputReadsMissingBytesAsZero) {
    std::uint8_t kept[kKeptRawInputBytes];
    std::fill(std::begin(kept), std::end(kept), 0xEE);
    // The vendor-buttons report is cut before its byte 5.
    const auto input = rawInput({5, 1, 2});
    keepRawInput(input.data(), input.size(), kept);
    ButtonEvent event{};
    int released = 0;
    EXPECT_EQ(S_OK, decodeReport(kept, 0xFF00, 0x01, event, released));
    EXPECT_EQ(0u, event.buttonCode);
    EXPECT_EQ(1, released);
    for (size_t i = input.size(); i < kKeptRawInputBytes; ++i) {
        EXPECT_EQ(0, kept[i]) << "byte " << i;
    }
}

TEST(ReportDecoding, LongInputKeepsItsFirstFortyBytes) {
    std::vector<std::uint8_t> report(64, 0x11);
    report[0] = 3;
    const auto input = rawInput(report);
    std::uint8_t kept[kKeptRawInputBytes];
    keepRawInput(input.data(), input.size(), kept);
    EXPECT_EQ(0x11, kept[kKeptRawInputBytes - 1]);
    EXPECT_EQ(3, kept[kFirstReportOffset]);
}

class PressAndRelease : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(besideTestProgram(L"SysBridge.ini"), "[SysBridge]\r\n");
        writeFile(besideTestProgram(L"SysBridge.calls.txt"), "");
        clearSentKeyCalls();
        addLine(L"Play,B0,C,1,0,0,0,0,,0,201,41");
        addLine(L"Vendor,B0,FF00,1,0,0,0,0,,0,201,42");
        addLine(L"ThreeD,90,FF00,1,0,0,0,0,,0,200,43");
    }

    void addLine(const std::wstring& line) {
        auto button = std::make_unique<ButtonInfo>();
        ASSERT_TRUE(parseButtonLine(line, *button));
        window_->buttonTable().push_back(std::move(button));
    }

    // What OnWmInput does once the platform has handed over the bytes.
    void report(Collection collection, std::vector<std::uint8_t> bytes) {
        const auto input = rawInput(std::move(bytes));
        ButtonEvent event{};
        const HRESULT decoded = window_->decodeInput(input.data(), input.size(),
                                                     collection.usagePage, collection.usage, event);
        window_->handleDecodedReport(decoded, event);
        EXPECT_EQ(0, window_->released());
    }

    std::string calls() {
        std::string text;
        for (const auto& call : sentKeyCalls()) {
            text += "[" + describe(call) + "]";
        }
        return text;
    }

    KeyboardRecorder keyboard_;
    std::unique_ptr<CZapperDlg> window_ = std::make_unique<CZapperDlg>();
};

TEST_F(PressAndRelease, ReleaseRedispatchesTheLastPressAlsoTwice) {
    report(kConsumer, {3, 0xB0, 0});
    report(kConsumer, {3, 0, 0});
    report(kConsumer, {3, 0, 0});
    EXPECT_EQ("[41v][41^][41^]", calls());
    EXPECT_EQ(0xB0u, window_->lastEvent().buttonCode);
}

TEST_F(PressAndRelease, ReleaseThatDoesNotFitTheLastPressDoesNothing) {
    report(kConsumer, {3, 0, 0}); // no press yet
    EXPECT_EQ("", calls());
    report(kConsumer, {3, 0xB0, 0});
    report(kVendorButtons, {3, 0, 0, 0, 0, 0}); // another collection
    report(kConsumer, {4, 0, 0});               // another report id
    EXPECT_EQ("[41v]", calls());
}

TEST_F(PressAndRelease, ReportsOfOtherCollectionsAreDropped) {
    report({0x0001, 0x06}, {1, 0xB0, 0});
    EXPECT_EQ("", calls());
    EXPECT_EQ(0u, window_->lastEvent().buttonCode);
}

TEST_F(PressAndRelease, ThreeDButtonTogglesOnThePressOnlyAndIsDispatched) {
    ASSERT_EQ(1, window_->bridge().load());
    report(kVendorButtons, {5, 0, 0, 0, 0, 0x90});
    report(kVendorButtons, {5, 0, 0, 0, 0, 0});
    EXPECT_EQ((std::vector<std::string>{"SYSBRIDGE_Change3DState()"}), bridgeCalls());
    EXPECT_EQ("[43v 43^]", calls()); // its release finds no hold line
}

TEST_F(PressAndRelease, ThreeDButtonWithoutTheExportIsStillDispatched) {
    window_->bridge().unload();
    report(kVendorButtons, {5, 0, 0, 0, 0, 0x90});
    EXPECT_EQ("[43v 43^]", calls());
    EXPECT_TRUE(bridgeCalls().empty());
}
