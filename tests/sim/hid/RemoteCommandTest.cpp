// The `remote` command line and the reports its buttons make, without the devices.
#include "RemoteCommand.h"

#include <gtest/gtest.h>

#include <set>

using namespace hidsim;

TEST(RemoteButtons, NamesAndCodes) {
    struct Case {
        const wchar_t* text;
        khs_device_index device;
        unsigned code;
    };
    const Case cases[] = {
        {L"Play", KHS_REMOTE_CONSUMER, 0xB0},
        {L"play", KHS_REMOTE_CONSUMER, 0xB0},
        {L"VOLUMEDOWN", KHS_REMOTE_CONSUMER, 0xEA},
        {L"Back", KHS_REMOTE_CONSUMER, 0x224},
        {L"Start", KHS_REMOTE_FFBC, 0x0D},
        {L"Guide", KHS_REMOTE_FFBC, 0x8D},
        {L"3D", KHS_REMOTE_FF00, 0x90},
        {L"Sleep", KHS_REMOTE_SYSTEM, 0x82},
        {L"consumer:0xB0", KHS_REMOTE_CONSUMER, 0xB0},
        {L"Consumer:176", KHS_REMOTE_CONSUMER, 0xB0},
        {L"ffbc:0x8D", KHS_REMOTE_FFBC, 0x8D},
        {L"ffbc:0xFFFF", KHS_REMOTE_FFBC, 0xFFFF},
        {L"ff00:0x90", KHS_REMOTE_FF00, 0x90},
        {L"ff00:255", KHS_REMOTE_FF00, 0xFF},
        {L"other:0x05", KHS_REMOTE_SYSTEM, 0x05},
        {L"system:0x81", KHS_REMOTE_SYSTEM, 0x81},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto button = parseButton(c.text);
        ASSERT_TRUE(button.has_value());
        EXPECT_EQ(c.device, button->device);
        EXPECT_EQ(c.code, button->code);
    }
}

TEST(RemoteButtons, RefusedButtons) {
    const wchar_t* const refused[] = {
        L"",
        L"Nothing",
        L"consumer",
        L"consumer:",
        L"consumer:0",
        L"ffbc:0x10000",
        L"ff00:0x100",
        L"other:256",
        L"launcher:1",
        L"tv:0x10",
        L"ffbc:0xZZ",
        L"ffbc:-1",
        L"consumer:0x1:2",
        L":0x10",
    };
    for (const wchar_t* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseButton(text).has_value());
    }
}

TEST(RemoteButtons, NamesAreUniqueAndValid) {
    std::set<std::wstring> seen;
    for (const NamedButton& button : namedButtons()) {
        std::wstring name = button.name;
        for (wchar_t& c : name) {
            c = static_cast<wchar_t>(towlower(c));
        }
        EXPECT_TRUE(seen.insert(name).second) << "twice: " << testing::PrintToString(name);
        EXPECT_NE(0, button.code);
        EXPECT_NE(KHS_LAUNCHER, button.device);
    }
}

// Where each collection carries the code, as Zapper reads it: bytes 1-2 little-endian on
// 0xFFBC and consumer, byte 5 on 0xFF00; a release is the same report with the code 0.
TEST(RemoteButtons, ReportLayouts) {
    struct Case {
        Button button;
        Report press;
        Report release;
    };
    const Case cases[] = {
        {{KHS_REMOTE_FFBC, 0x8D}, {0x01, 0x8D, 0x00}, {0x01, 0x00, 0x00}},
        {{KHS_REMOTE_FFBC, 0x1234}, {0x01, 0x34, 0x12}, {0x01, 0x00, 0x00}},
        {{KHS_REMOTE_CONSUMER, 0x224}, {0x02, 0x24, 0x02}, {0x02, 0x00, 0x00}},
        {{KHS_REMOTE_FF00, 0x90},
         {0x03, 0x00, 0x00, 0x00, 0x00, 0x90, 0x00, 0x00},
         {0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}},
        {{KHS_REMOTE_SYSTEM, 0x82}, {0x04, 0x82}, {0x04, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(deviceName(c.button.device));
        EXPECT_EQ(c.press, pressReport(c.button));
        EXPECT_EQ(c.release, releaseReport(c.button.device));
        EXPECT_EQ(khs_devices[c.button.device].input_report_length, c.press.size());
    }
}

TEST(RemoteButtons, HexBytes) {
    EXPECT_EQ((Report{0x03, 0x00, 0x90}), parseHex(L"03-00-90"));
    EXPECT_EQ((Report{0x03, 0xAB, 0x90}), parseHex(L"03ab90"));
    EXPECT_EQ((Report{0x01, 0x02}), parseHex(L"01:02"));
    EXPECT_EQ((Report{0x01, 0x02}), parseHex(L"01,02"));
    const wchar_t* const refused[] = {L"", L"0", L"0-12", L"123", L"0x12", L"gg", L"01 02"};
    for (const wchar_t* text : refused) {
        SCOPED_TRACE(text);
        EXPECT_FALSE(parseHex(text).has_value());
    }
    const std::uint8_t bytes[] = {0x04, 0x01, 0xAF};
    EXPECT_EQ(L"04 01 AF", formatHex(bytes, sizeof bytes));
}

TEST(RemoteCommandLine, Sequences) {
    const Command command =
        parseCommandLine({L"-v",       L"click", L"Play",     L"wait",           L"200",
                          L"hold",     L"Guide", L"0x10",     L"press",          L"3D",
                          L"release",  L"ff00",  L"release",  L"Mute",           L"raw",
                          L"launcher", L"01-07", L"launcher", L"launcher-clear", L"status",
                          L"list"});
    ASSERT_TRUE(command.error.empty()) << testing::PrintToString(command.error);
    EXPECT_TRUE(command.verbose);
    ASSERT_EQ(11u, command.steps.size());
    const Action actions[] = {Action::Click,  Action::Wait,     Action::Hold,
                              Action::Press,  Action::Release,  Action::Release,
                              Action::Raw,    Action::Launcher, Action::LauncherClear,
                              Action::Status, Action::List};
    for (size_t i = 0; i < command.steps.size(); ++i) {
        EXPECT_EQ(actions[i], command.steps[i].action) << "step " << i;
    }
    EXPECT_EQ(0xB0, command.steps[0].button.code);
    EXPECT_EQ(200u, command.steps[1].milliseconds);
    EXPECT_EQ(KHS_REMOTE_FFBC, command.steps[2].button.device);
    EXPECT_EQ(16u, command.steps[2].milliseconds);
    EXPECT_EQ(KHS_REMOTE_FF00, command.steps[4].button.device);
    EXPECT_EQ(KHS_REMOTE_CONSUMER, command.steps[5].button.device);
    EXPECT_EQ(KHS_LAUNCHER, command.steps[6].button.device);
    EXPECT_EQ((Report{0x01, 0x07}), command.steps[6].bytes);
}

TEST(RemoteCommandLine, Mistakes) {
    const std::vector<std::vector<std::wstring>> mistakes = {
        {},
        {L"-v"},
        {L"push", L"Play"},
        {L"click"},
        {L"click", L"Nothing"},
        {L"click", L"Play", L"hold", L"Play"},
        {L"hold", L"Play", L"soon"},
        {L"wait", L"700000"},
        {L"release", L"launcher"},
        {L"raw", L"ffbc"},
        {L"raw", L"tv", L"01"},
        {L"raw", L"ffbc", std::wstring(130, L'0')},
    };
    for (const auto& arguments : mistakes) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const Command command = parseCommandLine(arguments);
        EXPECT_FALSE(command.error.empty());
        EXPECT_TRUE(command.steps.empty());
    }
}
