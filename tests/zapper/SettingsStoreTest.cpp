// The button table's store against the prefix's real registry: the machine master in the
// 32-bit view of HKEY_LOCAL_MACHINE, the user's copy under HKEY_CURRENT_USER.
#include "CmdSetting.h"
#include "LogCapture.h"
#include "MachineTable.h"
#include "TestSupport.h"
#include "ZapperHarness.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const std::wstring kRoot = kZapperMachineRoot;
constexpr REGSAM k32 = KEY_WOW64_32KEY;

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        zapper_registry::reset();
        machineListed = 0;
    }
    void TearDown() override {
        zapper_registry::reset();
        machineListed = 0;
    }

    // Opens the store and loads the table; the result of whichever failed first.
    HRESULT load(ButtonTable& table) {
        CmdSetting settings;
        HRESULT result = settings.open();
        if (SUCCEEDED(result)) {
            result = settings.loadButtonTable(table);
        }
        return result;
    }

    std::vector<DWORD> loadedCodes() {
        ButtonTable table;
        EXPECT_EQ(S_OK, load(table));
        std::vector<DWORD> codes;
        for (const auto& button : table) {
            codes.push_back(button->buttonCode);
        }
        clearButtonTable(table);
        return codes;
    }

    static std::wstring line(DWORD code) {
        wchar_t text[64];
        swprintf(text, 64, L"B%X,%X,C,1,0,0,0,0,,0,200,41", code, code);
        return text;
    }
};

} // namespace

TEST(VersionCompare, DottedVersionsPartByPart) {
    struct Case {
        const wchar_t* machine;
        const wchar_t* user;
        int expected;
    };
    const Case cases[] = {
        {L"3.0.1015", L"3.0.1014", 1},   {L"3.0.1014", L"3.0.1015", -1}, {L"3.0", L"3.0.0.0", 0},
        {L"1.2.3.4.9", L"1.2.3.4.1", 0}, {L"10.0", L"9.9", 1},           {L"", L"", 0},
        {L"", L"0.0.0.1", -1},           {L" 2.x", L"2.0", 0},           {L"-1", L"0", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.machine, c.machine + wcslen(c.machine)) + " vs " +
                     std::string(c.user, c.user + wcslen(c.user)));
        EXPECT_EQ(c.expected, CmdSetting::VersionCompare(c.machine, c.user));
    }
}

TEST_F(SettingsStore, WithoutUserKeyTheWholeMasterIsCopiedThenLoaded) {
    zapper_registry::writeMaster(L"3.0.1014", {{L"TVSetting", {line(0xB0)}}});
    reg::setDword(HKEY_LOCAL_MACHINE, kRoot + L"\\TVSetting\\Deeper", L"Kept", 7, k32);
    EXPECT_EQ(std::vector<DWORD>{0xB0}, loadedCodes());
    EXPECT_EQ(L"3.0.1014", reg::getString(HKEY_CURRENT_USER, kRoot, L"CurrentVersion"));
    EXPECT_EQ(7u, reg::getDword(HKEY_CURRENT_USER, kRoot + L"\\TVSetting\\Deeper", L"Kept"));
}

TEST_F(SettingsStore, NewerMasterIsCopiedOlderIsNot) {
    struct Case {
        const wchar_t* machine;
        const wchar_t* user;
        bool copied;
    };
    const Case cases[] = {
        {L"3.0.1015", L"3.0.1014", true},
        {L"3.0.1014", L"3.0.1015", false},
        {L"3.0", L"3.0.0.0", false},
        {L"1.2.3.4.9", L"1.2.3.4.1", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.machine, c.machine + wcslen(c.machine)));
        zapper_registry::reset();
        zapper_registry::writeMaster(c.machine, {{L"TVSetting", {line(0xB1)}}});
        reg::setString(HKEY_CURRENT_USER, kRoot, L"CurrentVersion", c.user);
        reg::setDword(HKEY_CURRENT_USER, kRoot, L"TVSetting", 1);
        reg::setString(HKEY_CURRENT_USER, kRoot + L"\\TVSetting", L"Line1", line(0xB0));
        EXPECT_EQ(std::vector<DWORD>{c.copied ? 0xB1u : 0xB0u}, loadedCodes());
    }
}

TEST_F(SettingsStore, MasterWithoutVersionIsCopiedOnEveryStart) {
    zapper_registry::writeMaster(L"", {{L"TVSetting", {line(0xB1)}}});
    EXPECT_EQ(std::vector<DWORD>{0xB1}, loadedCodes());
    reg::setString(HKEY_CURRENT_USER, kRoot + L"\\TVSetting", L"Line1", line(0xB0));
    EXPECT_EQ(std::vector<DWORD>{0xB1}, loadedCodes());
}

TEST_F(SettingsStore, ValuesAndSetsOnlyInTheUserCopySurviveTheCopy) {
    zapper_registry::writeMaster(L"2", {{L"TVSetting", {line(0xB1)}}});
    reg::setString(HKEY_CURRENT_USER, kRoot, L"CurrentVersion", L"1");
    reg::setDword(HKEY_CURRENT_USER, kRoot, L"MySetting", 1);
    reg::setString(HKEY_CURRENT_USER, kRoot + L"\\MySetting", L"Mine", line(0xB5));
    reg::setString(HKEY_CURRENT_USER, kRoot + L"\\TVSetting", L"Extra", line(0xB6));
    auto codes = loadedCodes();
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ((std::vector<DWORD>{0xB1, 0xB5, 0xB6}), codes);
    EXPECT_EQ(L"2", reg::getString(HKEY_CURRENT_USER, kRoot, L"CurrentVersion"));
}

TEST_F(SettingsStore, ActiveSetsByNameAndFirstDataByte) {
    zapper_registry::writeMaster(L"1", {});
    struct Set {
        const wchar_t* name;
        std::vector<std::uint8_t> data;
        DWORD type;
        DWORD code;
        bool active;
    };
    const Set sets[] = {
        {L"TVSetting", {1, 0, 0, 0}, REG_DWORD, 0xB0, true},
        {L"setting1", {1, 0, 0, 0}, REG_DWORD, 0xB1, false},
        {L"Setting2", {0, 0, 0, 0}, REG_DWORD, 0xB2, false},
        {L"WideSetting", {1, 1, 0, 0}, REG_DWORD, 0xB3, true}, // 0x101: only the first byte counts
        {L"BinarySetting", {1}, REG_BINARY, 0xB4, true},       // the type is not examined
        {L"SettingEmpty", {}, REG_BINARY, 0xB5, false},
    };
    for (const Set& set : sets) {
        reg::setBinary(HKEY_LOCAL_MACHINE, kRoot, set.name, set.data, set.type, k32);
        reg::setString(HKEY_LOCAL_MACHINE, kRoot + L"\\" + set.name, L"Line", line(set.code), k32);
    }
    auto codes = loadedCodes();
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ((std::vector<DWORD>{0xB0, 0xB3, 0xB4}), codes);
}

TEST_F(SettingsStore, ExampleLineLoadsAsOneButtonWithOneKeyRecord) {
    zapper_registry::writeMaster(L"1", {{L"TVSetting", {L"Play,B0,C,1,0,0,0,0,,0,200,B3"}}});
    ButtonTable table;
    ASSERT_EQ(S_OK, load(table));
    ASSERT_EQ(1u, table.size());
    const ButtonInfo& button = *table[0];
    EXPECT_EQ(0xB0u, button.buttonCode);
    EXPECT_EQ(0x000Cu, button.usagePage);
    EXPECT_EQ(0x0001u, button.usage);
    ASSERT_EQ(1u, button.cmdInfoList.size());
    const CmdInfo& record = *button.cmdInfoList[0];
    EXPECT_EQ(0u, record.OSType);
    EXPECT_EQ(0u, record.reserved);
    EXPECT_EQ(0u, record.Condition);
    EXPECT_EQ(0u, record.ConditionMode);
    EXPECT_STREQ(L"", record.ConditionParam);
    EXPECT_EQ(0u, record.delay);
    EXPECT_EQ(0x200u, record.dwCmdType);
    EXPECT_STREQ(L"B3", record.CmdParam);
    clearButtonTable(table);
}

TEST_F(SettingsStore, RecordsAndFieldsOfALongerLine) {
    zapper_registry::writeMaster(
        L"1", {{L"TVSetting",
                {L"Guide,8D,FFBC,88,100,7,401,1,\"Cls,Title\",1F4,300,\"Tunerdesk.exe /Guide\","
                 L"0,0,0,0,,zz,400"}}});
    ButtonTable table;
    ASSERT_EQ(S_OK, load(table));
    ASSERT_EQ(1u, table.size());
    ASSERT_EQ(2u, table[0]->cmdInfoList.size());
    const CmdInfo& first = *table[0]->cmdInfoList[0];
    EXPECT_EQ(0x100u, first.OSType);
    EXPECT_EQ(7u, first.reserved);
    EXPECT_EQ(0x401u, first.Condition);
    EXPECT_EQ(1u, first.ConditionMode);
    EXPECT_STREQ(L"Cls,Title", first.ConditionParam);
    EXPECT_EQ(500u, first.delay);
    EXPECT_EQ(0x300u, first.dwCmdType);
    EXPECT_STREQ(L"Tunerdesk.exe /Guide", first.CmdParam);
    // A record that runs out of text early gets empty fields; "zz" is not hexadecimal.
    const CmdInfo& second = *table[0]->cmdInfoList[1];
    EXPECT_EQ(0u, second.delay);
    EXPECT_EQ(0x400u, second.dwCmdType);
    EXPECT_STREQ(L"", second.CmdParam);
    clearButtonTable(table);
}

TEST_F(SettingsStore, UnparsableLinesAreDroppedAndTheRestLoads) {
    LogCapture log;
    const std::wstring tooLongCondition(64, L'c');
    const std::wstring tooLongCommand(180, L'k');
    zapper_registry::writeMaster(
        L"1", {{L"TVSetting",
                {line(0xB0), L"Play,B1,C,1", L"", L"Play,B2,C,1,\"open,0,0,0,,0,200,41",
                 L"Play,B3,C,1,0,0,0,0," + tooLongCondition + L",0,200,41",
                 L"Play,B4,C,1,0,0,0,0,,0,200," + tooLongCommand,
                 L"Play,B5,C,1,0,0,0,0," + std::wstring(63, L'c') + L",0,200,41",
                 L"Play,B6,C,1,0,0,0,0,,0,200," + std::wstring(179, L'k')}}});
    EXPECT_EQ((std::vector<DWORD>{0xB0, 0xB5, 0xB6}), loadedCodes());
    EXPECT_EQ(2u, log.errors().size());
}

TEST_F(SettingsStore, ContentsSelectIsSkippedOnlyOnListedMachines) {
    zapper_registry::writeMaster(
        L"1", {{L"TVSetting", {L"contentsselect,B0,C,1,0,0,0,0,,0,200,41", line(0xB1)}}});
    EXPECT_EQ((std::vector<DWORD>{0xB0, 0xB1}), loadedCodes());
    machineListed = 1;
    EXPECT_EQ((std::vector<DWORD>{0xB1}), loadedCodes());
}

TEST_F(SettingsStore, SetsLoadInEnumerationOrderAndLinesWithin) {
    zapper_registry::writeMaster(
        L"1", {{L"ASetting", {line(0xB0), line(0xB1)}}, {L"BSetting", {line(0xB2)}}});
    EXPECT_EQ((std::vector<DWORD>{0xB0, 0xB1, 0xB2}), loadedCodes());
}

TEST_F(SettingsStore, AnythingBeyondTheLimitsFailsTheWholeLoad) {
    struct Case {
        const char* what;
        void (*arrange)();
    };
    const Case cases[] = {
        {"line value name of 64 characters",
         [] {
             reg::setString(HKEY_LOCAL_MACHINE, kRoot + L"\\TVSetting", std::wstring(64, L'n'),
                            line(0xB1), k32);
         }},
        {"line data over 512 bytes",
         [] {
             reg::setString(HKEY_LOCAL_MACHINE, kRoot + L"\\TVSetting", L"Long",
                            line(0xB1) + std::wstring(250, L'x'), k32);
         }},
        {"root value name over the limit in the copied tree",
         [] { reg::setDword(HKEY_LOCAL_MACHINE, kRoot, std::wstring(70, L'n'), 1, k32); }},
        {"subkey name over the limit in the copied tree",
         [] {
             reg::setDword(HKEY_LOCAL_MACHINE, kRoot + L"\\" + std::wstring(70, L'k'), L"v", 1,
                           k32);
         }},
        {"an active set without its subkey",
         [] { reg::setDword(HKEY_LOCAL_MACHINE, kRoot, L"GhostSetting", 1, k32); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zapper_registry::reset();
        zapper_registry::writeMaster(L"1", {{L"TVSetting", {line(0xB0)}}});
        c.arrange();
        ButtonTable table;
        EXPECT_EQ(kSettingsReadFailed, load(table));
        clearButtonTable(table);
    }
}

TEST_F(SettingsStore, LineDataOfExactly512BytesWithoutTerminatorEndsCleanly) {
    zapper_registry::writeMaster(L"1", {{L"TVSetting", {line(0xB1)}}});
    ButtonTable first;
    ASSERT_EQ(S_OK, load(first)); // the user copy exists and is current from here on
    clearButtonTable(first);

    // 512 bytes of text with no terminator; the registry call is kept from adding one by
    // a non-zero character right after the counted data.
    std::wstring text = L"Play,B0,C,1,0,0,0,0,,0,200,41,";
    text.resize(256, L' ');
    text.push_back(L'X');
    HKEY set = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_CURRENT_USER, (kRoot + L"\\TVSetting").c_str(), 0,
                                             KEY_SET_VALUE, &set));
    ::RegDeleteValueW(set, L"Line1");
    ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(set, L"Full", 0, REG_SZ,
                                              reinterpret_cast<const BYTE*>(text.data()), 512));
    ::RegCloseKey(set);

    ButtonTable table;
    ASSERT_EQ(S_OK, load(table));
    ASSERT_EQ(1u, table.size());
    ASSERT_EQ(2u, table[0]->cmdInfoList.size());
    // The second record is the blanks up to the end of the data, nothing after them.
    EXPECT_EQ(0u, table[0]->cmdInfoList[1]->OSType);
    EXPECT_STREQ(L"", table[0]->cmdInfoList[1]->CmdParam);
    clearButtonTable(table);
}

TEST_F(SettingsStore, NoMasterAndNoUserCopyFails) {
    ButtonTable table;
    EXPECT_EQ(kSettingsReadFailed, load(table));
}
