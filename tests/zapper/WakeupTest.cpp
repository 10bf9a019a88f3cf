// Wake-up codes, resume, session lock and the tile launcher's notifications, on a running
// Zapper process with the scripted hardware library and real window messages. Each line of
// the test table presses its own key, which a keyboard hook in this process sees.
#include "KeyboardRecorder.h"
#include "TestSupport.h"
#include "ZapperHarness.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace testing_support;
using Clock = std::chrono::steady_clock;

namespace {

constexpr DWORD kKeyMce = 0x41;      // the line of wake-up code 0x90: 0xFFBC/0x88/0x6F
constexpr DWORD kKeyRecord = 0x52;   // 0x63 and notification 0x0D63: consumer Record 0xB2
constexpr DWORD kKeyTv = 0x54;       // 0x67 and notification 0x0D67: 0xFF00/1/0x67
constexpr DWORD kKeyVendor66 = 0x57; // 0x66: 0xFF00/1/0x66

constexpr UINT kResumeMessage = WM_APP + 0x483;

void writeTable(DWORD delayAfterResume = 0) {
    zapper_registry::reset();
    zapper_registry::writeMaster(
        L"1.0", {{L"TVSetting",
                  {L"MCE,6F,FFBC,88,0,0,0,0,,0,200,41", L"Record,B2,C,1,0,0,0,0,,0,200,52",
                   L"TV,67,FF00,1,0,0,0,0,,0,200,54", L"W66,66,FF00,1,0,0,0,0,,0,200,57"}}});
    if (delayAfterResume) {
        reg::setDword(HKEY_LOCAL_MACHINE, kZapperMachineRoot, L"DelayAfterResume", delayAfterResume,
                      KEY_WOW64_32KEY);
    }
}

std::vector<DWORD> pressedKeys(const KeyboardRecorder& keyboard) {
    std::vector<DWORD> keys;
    for (const KeyStroke& key : keyboard.keys()) {
        if (!key.up) {
            keys.push_back(key.virtualKey);
        }
    }
    return keys;
}

// Waits until `count` keys were pressed in all; false on time-out.
bool waitForPresses(KeyboardRecorder& keyboard, size_t count, DWORD timeoutMs) {
    return waitUntil([&] { return pressedKeys(keyboard).size() >= count; }, timeoutMs);
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void post(UINT message, WPARAM wParam, LPARAM lParam = 0) {
    ASSERT_TRUE(::PostMessageW(ZapperInstall::mainWindow(), message, wParam, lParam));
}

void notify(WPARAM code) {
    post(::RegisterWindowMessageW(L"9C41D7B2-3E6A-4F05-B1D8-72A5C0E94F13"), code);
}

} // namespace

TEST(WakeupAtStart, CodesOfTheTableAndOutsideIt) {
    struct Case {
        const char* what;
        const char* script;
        DWORD delayAfterResume;
        std::vector<DWORD> keys;
        double atLeastSeconds;
        bool cleared;
    };
    const Case cases[] = {
        // A long registry delay that must not apply: the key comes well before it would end.
        {"0x90 without the registry delay", "WakeupCode=0x90\r\n", 60, {kKeyMce}, 3.0, true},
        {"0x67 after DelayAfterResume", "WakeupCode=0x67\r\n", 2, {kKeyTv}, 5.0, true},
        {"0x66 without the registry delay", "WakeupCode=0x66\r\n", 60, {kKeyVendor66}, 3.0, true},
        {"0x10 is not in the table", "WakeupCode=0x10\r\n", 0, {}, 3.0, false},
        {"not ready twice, then 0x63",
         "WakeupNotReady=2\r\nWakeupCode=0x63\r\n",
         0,
         {kKeyRecord},
         9.0,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeTable(c.delayAfterResume);
        ZapperInstall install;
        install.bridgeScript(c.script);
        KeyboardRecorder keyboard;
        const auto start = Clock::now();
        ChildProcess zapper = install.start();
        ASSERT_NE(nullptr, ZapperInstall::waitUntilReady(30000));
        EXPECT_GE(secondsSince(start), c.atLeastSeconds);
        if (!c.keys.empty()) {
            EXPECT_TRUE(waitForPresses(keyboard, c.keys.size(), 10000));
        }
        EXPECT_EQ(c.keys, pressedKeys(keyboard));
        EXPECT_EQ(c.cleared ? 1u : 0u, install.countBridgeCalls("SYSBRIDGE_ClearWakeupCode"));
        EXPECT_TRUE(install.stop(zapper));
    }
    zapper_registry::reset();
}

TEST(WakeupAtStart, WithoutTheLibraryInitialisationEndsAfterTheWholePolling) {
    writeTable();
    ZapperInstall install(false);
    KeyboardRecorder keyboard;
    const auto start = Clock::now();
    ChildProcess zapper = install.start();
    ASSERT_NE(nullptr, ZapperInstall::waitUntilReady(60000));
    EXPECT_GE(secondsSince(start), 21.0);
    // Zapper then works.
    notify(0x0D63);
    ASSERT_TRUE(waitForPresses(keyboard, 1, 10000));
    EXPECT_EQ(std::vector<DWORD>{kKeyRecord}, pressedKeys(keyboard));
    EXPECT_TRUE(install.stop(zapper));
    zapper_registry::reset();
}

// One Zapper for the scenarios below, in the order written; each leaves it idle and unlocked.
class RunningZapper : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        writeTable(1);
        install_ = new ZapperInstall;
        install_->bridgeScript("");
        zapper_ = new ChildProcess(install_->start());
        ASSERT_NE(nullptr, ZapperInstall::waitUntilReady(30000));
    }
    static void TearDownTestSuite() {
        install_->stop(*zapper_);
        delete zapper_;
        delete install_;
        zapper_registry::reset();
    }
    void SetUp() override {
        ASSERT_TRUE(zapper_->running());
        install_->clearBridgeCalls();
    }

    static ZapperInstall* install_;
    static ChildProcess* zapper_;
    KeyboardRecorder keyboard_;
};

ZapperInstall* RunningZapper::install_ = nullptr;
ChildProcess* RunningZapper::zapper_ = nullptr;

TEST_F(RunningZapper, NotificationsForTvAndRecordDispatchAtOnce) {
    notify(0x0D63);
    notify(0x1234); // not a notification code: nothing
    notify(0x0063);
    notify(0x0D67);
    ASSERT_TRUE(waitForPresses(keyboard_, 2, 5000));
    EXPECT_EQ((std::vector<DWORD>{kKeyRecord, kKeyTv}), pressedKeys(keyboard_));
    EXPECT_EQ(0u, install_->countBridgeCalls("SYSBRIDGE_GetWakeupCode"));
}

TEST_F(RunningZapper, ResumeMessageFromElsewhereIsIgnored) {
    install_->bridgeScript("WakeupCode=0x63\r\n");
    post(kResumeMessage, 0);
    notify(0x0D63); // handled only after whatever the resume message started
    ASSERT_TRUE(waitForPresses(keyboard_, 1, 5000));
    EXPECT_EQ(0u, install_->countBridgeCalls("SYSBRIDGE_GetWakeupCode"));
}

TEST_F(RunningZapper, InstantTvRecordIsDispatchedAboutSixSecondsAfterResumeAlsoWhileLocked) {
    install_->bridgeScript("WakeupCode=0x63\r\nInstantTVError=0\r\n");
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    const auto resumed = Clock::now();
    post(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    ASSERT_TRUE(waitForPresses(keyboard_, 1, 15000));
    const double seconds = secondsSince(resumed);
    EXPECT_GE(seconds, 6.0);
    EXPECT_LT(seconds, 12.0);
    EXPECT_EQ(std::vector<DWORD>{kKeyRecord}, pressedKeys(keyboard_));
    const auto calls = install_->bridgeCalls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ("SYSBRIDGE_SetSleepButtonMode(0) = 1", calls[0]);
    EXPECT_EQ(1u, ZapperInstall::countCalls(calls, "SYSBRIDGE_ClearWakeupCode"));
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
}

TEST_F(RunningZapper, LockedResumeWaitsForTheUnlockWhileMessagesFlow) {
    install_->bridgeScript("WakeupCode=0x63\r\nInstantTVError=0x8000\r\n");
    post(WM_POWERBROADCAST, PBT_APMSUSPEND);
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    post(WM_POWERBROADCAST, PBT_APMRESUMECRITICAL);
    // The Rozuroz IV path reads the code, finds no Rozuroz IV event and leaves it pending.
    ASSERT_TRUE(install_->waitForBridgeCall("SYSBRIDGE_GetInstantTVParam", 15000));

    // Inside the wait: a second resume is dropped, a button is handled.
    post(kResumeMessage, reinterpret_cast<WPARAM>(ZapperInstall::mainWindow()));
    notify(0x0D67);
    ASSERT_TRUE(waitForPresses(keyboard_, 1, 5000));
    EXPECT_EQ(std::vector<DWORD>{kKeyTv}, pressedKeys(keyboard_));
    auto calls = install_->bridgeCalls();
    EXPECT_EQ(1u, ZapperInstall::countCalls(calls, "SYSBRIDGE_GetWakeupCode"));
    EXPECT_EQ(0u, ZapperInstall::countCalls(calls, "SYSBRIDGE_ClearWakeupCode"));

    const auto unlocked = Clock::now();
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
    ASSERT_TRUE(waitForPresses(keyboard_, 2, 15000));
    // Polled again (3 s), then "DelayAfterResume" (1 s).
    EXPECT_GE(secondsSince(unlocked), 4.0);
    EXPECT_EQ((std::vector<DWORD>{kKeyTv, kKeyRecord}), pressedKeys(keyboard_));
    calls = install_->bridgeCalls();
    EXPECT_EQ(2u, ZapperInstall::countCalls(calls, "SYSBRIDGE_GetWakeupCode"));
    EXPECT_EQ(1u, ZapperInstall::countCalls(calls, "SYSBRIDGE_ClearWakeupCode"));
    EXPECT_EQ(1u, ZapperInstall::countCalls(calls, "SYSBRIDGE_SetSleepButtonMode(0)"));
}

TEST_F(RunningZapper, WithoutASuspendTheLockedResumeDoesNotWait) {
    // The unlock of the previous scenario set the resume event; only a suspend resets it.
    install_->bridgeScript("WakeupCode=0x63\r\nInstantTVError=0x8000\r\n");
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    post(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    ASSERT_TRUE(waitForPresses(keyboard_, 1, 20000));
    EXPECT_EQ(std::vector<DWORD>{kKeyRecord}, pressedKeys(keyboard_));
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK);
}

TEST_F(RunningZapper, OtherPowerEventsAreNotActedOn) {
    install_->bridgeScript("WakeupCode=0x63\r\nInstantTVError=0\r\n");
    post(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    post(WM_POWERBROADCAST, PBT_APMPOWERSTATUSCHANGE);
    notify(0x0D67);
    ASSERT_TRUE(waitForPresses(keyboard_, 1, 5000));
    EXPECT_EQ(std::vector<DWORD>{kKeyTv}, pressedKeys(keyboard_));
    EXPECT_TRUE(install_->bridgeCalls().empty());
}

TEST(WakeupQuit, ExitDuringTheUnlockWaitEndsTheProcess) {
    writeTable();
    ZapperInstall install;
    install.bridgeScript("");
    ChildProcess zapper = install.start();
    ASSERT_NE(nullptr, ZapperInstall::waitUntilReady(30000));
    install.bridgeScript("WakeupCode=0x63\r\nInstantTVError=0x8000\r\n");
    install.clearBridgeCalls();
    post(WM_POWERBROADCAST, PBT_APMSUSPEND);
    post(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK);
    post(WM_POWERBROADCAST, PBT_APMRESUMESUSPEND);
    ASSERT_TRUE(install.waitForBridgeCall("SYSBRIDGE_GetInstantTVParam", 15000));

    ChildProcess closer = install.start(L"/exit");
    EXPECT_TRUE(closer.wait(10000).has_value());
    EXPECT_TRUE(zapper.wait(10000).has_value());
    const auto calls = install.bridgeCalls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ("SYSBRIDGE_SetSleepButtonMode(1) = 1", calls[calls.size() - 2]);
    EXPECT_EQ("UNLOAD", calls.back());
    zapper_registry::reset();
}
