// The brightness step through the dispatcher, by each of its routes: the LCD stand-in driver
// on machines that are not listed, and on listed ones the lumaset program beside Zapper (here:
// recorder copies beside this program, the 64-bit one as native64lumaset.exe) and then the
// stand-in hardware library. This program runs as a 32-bit process on 64-bit Wine. The step's
// result codes, which the dispatcher only sees as success or failure, are read from the
// hardware command itself.
#include "BridgeStandIn.h"
#include "HardCommand.h"
#include "LcdSim.h"
#include "MachineTable.h"
#include "RecorderLog.h"
#include "TestDispatcher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

constexpr DWORD kUp = 0x411;
constexpr DWORD kDown = 0x410;
constexpr LONG kStatusUnsuccessful = static_cast<LONG>(0xC0000001);
constexpr char kGetLevel[] = "SYSBRIDGE_GetBrightnessLevel";
constexpr char kSetLevel[] = "SYSBRIDGE_SetBrightnessLevel";

const std::vector<std::uint8_t> kElevenLevels = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};

std::wstring quoted(const std::filesystem::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

class BrightnessStep : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(lcd_.valid()) << "the LCD stand-in does not answer, error " << lcd_.openError();
        ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.reset());
        listedBefore_ = machineListed;
        clean();
        ASSERT_TRUE(placeRecorder(lumaset64_, 64));
        ASSERT_TRUE(placeRecorder(lumaset32_, 32));
        bridge_standin::writeScript(programFolder(), "BrightnessLevel=5\r\n");
        ASSERT_EQ(1, dispatcher_.bridge().load());
        bridge_standin::clearCalls(programFolder());
    }

    void TearDown() override {
        machineListed = listedBefore_;
        EXPECT_EQ(DWORD(ERROR_SUCCESS), lcd_.reset());
        dispatcher_.bridge().unload();
        clean();
    }

    void clean() {
        std::error_code ignored;
        for (const auto& program : {lumaset64_, lumaset32_}) {
            for (const wchar_t* suffix : {L"", L".log", L".exitcode", L".delay"}) {
                std::filesystem::remove(program.wstring() + suffix, ignored);
            }
        }
        bridge_standin::remove(programFolder());
    }

    HRESULT press(DWORD cmdType) {
        EXPECT_TRUE(dispatcher_.setTable({tableLine({TestRecord().does(cmdType)})}));
        return dispatcher_.press();
    }

    // The step's own result code, for a record of this type.
    HRESULT step(DWORD cmdType) {
        CmdInfo record;
        record.dwCmdType = cmdType;
        HardCommand command(&dispatcher_.bridge());
        command.setCmdInfo(&record);
        return command.stepBrightness((cmdType & 0x1) != 0);
    }

    lcdsim::State lcdState() const {
        lcdsim::State state;
        EXPECT_EQ(DWORD(ERROR_SUCCESS), lcd_.readState(state));
        return state;
    }

    static std::vector<std::string> bridgeCalls() { return bridge_standin::calls(programFolder()); }

    // The lumaset starts since the last call: the arguments of each, and that each was the
    // 64-bit copy; the 32-bit one must never start here.
    std::vector<std::wstring> lumasetStarts() {
        std::vector<std::wstring> arguments;
        for (const RecorderRecord& record : recorderRecords(lumaset64_)) {
            EXPECT_EQ(64, record.bits);
            const std::wstring prefix = quoted(lumaset64_) + L" ";
            EXPECT_EQ(prefix, record.commandLine.substr(0, prefix.size()));
            arguments.push_back(record.commandLine.substr(prefix.size()));
        }
        EXPECT_TRUE(recorderRecords(lumaset32_).empty());
        std::filesystem::remove(lumaset64_.wstring() + L".log");
        return arguments;
    }

    lcdsim::Controller lcd_ = lcdsim::Controller::open();
    TestDispatcher dispatcher_;
    const std::filesystem::path lumaset64_ = programFolder() / L"native64lumaset.exe";
    const std::filesystem::path lumaset32_ = programFolder() / L"native32lumaset.exe";
    int listedBefore_ = 0;
};

} // namespace

TEST_F(BrightnessStep, UnlistedMachineStepsThroughTheLcdLevels) {
    machineListed = 0;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> levels;
        lcdsim::Brightness current;
        DWORD cmdType;
        std::optional<std::uint8_t> set;
    };
    const Case cases[] = {
        {"up", kElevenLevels, {1, 80, 50}, kUp, 90},
        {"down", kElevenLevels, {1, 80, 50}, kDown, 70},
        {"no brightness bit", kElevenLevels, {1, 80, 50}, 0x400, std::nullopt},
        {"the direction bit alone", kElevenLevels, {1, 80, 50}, 0x401, std::nullopt},
        {"at the top", kElevenLevels, {1, 100, 50}, kUp, std::nullopt},
        {"at the bottom", kElevenLevels, {1, 0, 50}, kDown, std::nullopt},
        {"on DC power the DC level counts", kElevenLevels, {2, 80, 50}, kUp, 60},
        {"another policy reads as level 0", {0, 30, 60}, {3, 60, 60}, kUp, 30},
        {"an unlisted level is the first position: up", {20, 40, 60}, {1, 50, 50}, kUp, 40},
        {"an unlisted level is the first position: down",
         {20, 40, 60},
         {1, 50, 50},
         kDown,
         std::nullopt},
        {"the driver's order, not the values", {90, 60, 30}, {1, 60, 60}, kUp, 30},
        {"no levels", {}, {1, 80, 50}, kUp, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.reset());
        ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.setLevels(c.levels));
        ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.setCurrent(c.current));
        EXPECT_EQ(S_OK, press(c.cmdType));
        const lcdsim::State state = lcdState();
        if (c.set) {
            EXPECT_EQ(1u, state.setCount);
            EXPECT_EQ((lcdsim::Brightness{3, *c.set, *c.set}), state.lastSet);
        } else {
            EXPECT_EQ(0u, state.setRequests);
        }
    }
    // Neither the lumaset program nor the library is asked on this route.
    EXPECT_TRUE(lumasetStarts().empty());
    EXPECT_TRUE(bridgeCalls().empty());
}

TEST_F(BrightnessStep, UnlistedMachineLcdFailuresGiveTheirCodes) {
    machineListed = 0;
    struct Case {
        const char* what;
        std::optional<lcdsim::Request> failing; // nothing: the device is absent
        HRESULT code;
    };
    const Case cases[] = {
        {"no device", std::nullopt, kLcdNotOpened},
        {"levels not readable", lcdsim::Request::QuerySupported, kLcdLevelsNotReadable},
        {"current level not readable", lcdsim::Request::QueryCurrent, kBrightnessNotReadable},
        {"new level refused", lcdsim::Request::Set, kBrightnessNotAccepted},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.reset());
        if (c.failing) {
            ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.setFailure(*c.failing, kStatusUnsuccessful));
        } else {
            ASSERT_EQ(DWORD(ERROR_SUCCESS), lcd_.setPresent(false));
        }
        EXPECT_EQ(kCommandFailed, press(kUp));
        EXPECT_EQ(c.code, step(kUp));
        EXPECT_EQ(0u, lcdState().setCount);
    }
}

TEST_F(BrightnessStep, ListedMachineWhoseLumasetIsNotInstalledUsesTheLibrary) {
    machineListed = 1;
    setRecorderExitCode(lumaset64_, 2);
    struct Case {
        const char* what;
        std::string script;
        DWORD cmdType;
        HRESULT result;
        std::wstring arguments;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"up",
         "BrightnessLevel=5\r\n",
         kUp,
         S_OK,
         L"1 1",
         {"SYSBRIDGE_GetBrightnessLevel() = 1 level=5", "SYSBRIDGE_SetBrightnessLevel(6) = 1"}},
        {"down",
         "BrightnessLevel=5\r\n",
         kDown,
         S_OK,
         L"1 0",
         {"SYSBRIDGE_GetBrightnessLevel() = 1 level=5", "SYSBRIDGE_SetBrightnessLevel(4) = 1"}},
        {"up at level 8: no new level",
         "BrightnessLevel=8\r\n",
         kUp,
         S_OK,
         L"1 1",
         {"SYSBRIDGE_GetBrightnessLevel() = 1 level=8"}},
        {"down at level 1: no new level",
         "BrightnessLevel=1\r\n",
         kDown,
         S_OK,
         L"1 0",
         {"SYSBRIDGE_GetBrightnessLevel() = 1 level=1"}},
        {"level not readable",
         "BrightnessLevel=5\r\nBrightnessGetResult=0\r\n",
         kUp,
         kCommandFailed,
         L"1 1",
         {"SYSBRIDGE_GetBrightnessLevel() = 0 level=5"}},
        {"new level refused",
         "BrightnessLevel=5\r\nBrightnessSetResult=0\r\n",
         kUp,
         kCommandFailed,
         L"1 1",
         {"SYSBRIDGE_GetBrightnessLevel() = 1 level=5", "SYSBRIDGE_SetBrightnessLevel(6) = 0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        bridge_standin::writeScript(programFolder(), c.script);
        bridge_standin::clearCalls(programFolder());
        EXPECT_EQ(c.result, press(c.cmdType));
        EXPECT_EQ(std::vector<std::wstring>{c.arguments}, lumasetStarts());
        EXPECT_EQ(c.calls, bridgeCalls());
    }
    EXPECT_EQ(0u, lcdState().setRequests);

    // The library route's own codes.
    bridge_standin::writeScript(programFolder(), "BrightnessGetResult=0\r\n");
    EXPECT_EQ(kBrightnessNotReadable, step(kUp));
    bridge_standin::writeScript(programFolder(), "BrightnessLevel=5\r\nBrightnessSetResult=0\r\n");
    EXPECT_EQ(kBrightnessNotAccepted, step(kUp));
}

TEST_F(BrightnessStep, ListedMachineTakesAnyOtherLumasetResultAsItIs) {
    machineListed = 1;
    struct Case {
        const char* what;
        DWORD exitCode;
        HRESULT result;
    };
    const Case cases[] = {
        {"done", 0, S_OK},
        // The value that reads as "still running" from a process that has ended.
        {"259 from a program that has ended", 259, S_OK},
        {"another code that is no failure", 7, S_OK},
        {"a failure code", 0x80000005, kCommandFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setRecorderExitCode(lumaset64_, c.exitCode);
        EXPECT_EQ(c.result, press(kUp));
        EXPECT_EQ(static_cast<HRESULT>(c.exitCode), step(kUp));
        EXPECT_EQ((std::vector<std::wstring>{L"1 1", L"1 1"}), lumasetStarts());
    }
    EXPECT_TRUE(bridgeCalls().empty());
    EXPECT_EQ(0u, lcdState().setRequests);
}

TEST_F(BrightnessStep, ListedMachineWithoutTheLumasetProgramFails) {
    machineListed = 1;
    clean();
    EXPECT_EQ(kCommandFailed, press(kDown));
    EXPECT_EQ(E_FAIL, step(kDown));
    EXPECT_TRUE(bridgeCalls().empty());
}

TEST_F(BrightnessStep, LumasetStillRunningAtTheBoundIsStoppedAndTheStepFails) {
    machineListed = 1;
    setRecorderDelay(lumaset64_, 120000);
    const auto start = Clock::now();
    EXPECT_EQ(kCommandFailed, press(kUp));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(kLumasetTimeoutMs));
    const auto records = recorderRecords(lumaset64_);
    ASSERT_EQ(1u, records.size());
    // Stopped, not left running until its own end.
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, records[0].processId);
    if (process) {
        EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(process, 5000));
        ::CloseHandle(process);
    }
    EXPECT_TRUE(bridgeCalls().empty());
}
