// Button presses on the simulated remote control reach the shipped Zapper.exe through the
// platform (HID device, Wine's HID class, raw input, WM_INPUT), and Zapper's keystrokes reach
// this process's keyboard hook. One Zapper runs for the scenarios below, in the order written.
#include "HidSimControl.h"
#include "KeyboardRecorder.h"
#include "RecorderLog.h"
#include "TestSupport.h"
#include "ZapperHarness.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

constexpr DWORD kTimeoutMs = 10000;

// Presses buttons with the remote tool, as a person would.
void remote(const std::wstring& steps) {
    EXPECT_EQ(0u, runProgram(binPath(L"remote.exe"), steps, kTimeoutMs).value_or(0xFFFF))
        << "remote";
}

class RemoteToZapper : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        zapper_registry::reset();
        zapper_registry::writeMaster(L"1.0", {{L"RemoteSetting",
                                               {
                                                   L"Play,B0,C,1,0,0,0,0,,0,201,11&50",
                                                   L"Stop,B7,C,1,0,0,0,0,,0,200,53",
                                                   L"Start,D,FFBC,88,0,0,0,0,,0,200,47",
                                                   L"Guide,8D,FFBC,88,0,0,0,0,,0,100,"
                                                   L"Tunerdesk.exe /Guide",
                                                   L"ThreeD,90,FF00,1,0,0,0,0,,0,200,33",
                                                   L"Power,81,1,80,0,0,0,0,,0,200,59",
                                               }}});
        // Wine hands HID input, input-sink registrations included, only to a session whose
        // foreground thread has a focus window; the shell's desktop provides one on Windows.
        desktop_ = new ChildProcess(ChildProcess::start(binPath(L"zapperctl.exe"), L"desktop 600"));
        ASSERT_TRUE(waitUntil([] { return ::GetForegroundWindow() != nullptr; }, kTimeoutMs));
        install_ = new ZapperInstall;
        install_->bridgeScript("");
        placeRecorder(install_->folder().path() / L"Tunerdesk.exe");
        zapper_ = new ChildProcess(install_->start());
        ASSERT_NE(nullptr, ZapperInstall::waitUntilReady(30000));
    }
    static void TearDownTestSuite() {
        install_->stop(*zapper_);
        delete zapper_;
        delete install_;
        delete desktop_;
        zapper_registry::reset();
    }
    void SetUp() override {
        ASSERT_TRUE(zapper_->running());
        ASSERT_TRUE(keyboard_.installed());
        install_->clearBridgeCalls();
    }

    // Waits for `count` keystrokes in all and returns them.
    std::string keys(size_t count) {
        keyboard_.waitForCount(count, kTimeoutMs);
        return describe(keyboard_.keys());
    }

    static ZapperInstall* install_;
    static ChildProcess* zapper_;
    static ChildProcess* desktop_;
    KeyboardRecorder keyboard_;
};

ZapperInstall* RemoteToZapper::install_ = nullptr;
ChildProcess* RemoteToZapper::zapper_ = nullptr;
ChildProcess* RemoteToZapper::desktop_ = nullptr;

} // namespace

// First: Zapper has seen no press yet.
TEST_F(RemoteToZapper, ReleaseWithNoPressBeforeItDoesNothing) {
    remote(L"release consumer");
    ASSERT_TRUE(hidsim::waitUntilSettled(kTimeoutMs));
    remote(L"click Stop");
    EXPECT_EQ("53v 53^", keys(2));
}

TEST_F(RemoteToZapper, PlayRunsItsHoldLineDownsOnPressUpsInReverseOnRelease) {
    remote(L"press Play");
    EXPECT_EQ("11v 50v", keys(2));
    remote(L"release Play");
    EXPECT_EQ("11v 50v 50^ 11^", keys(4));
}

TEST_F(RemoteToZapper, OrdinaryLinesOnEachRegisteredCollection) {
    remote(L"click Stop click Start");
    EXPECT_EQ("53v 53^ 47v 47^", keys(4));
}

TEST_F(RemoteToZapper, ReleaseOnAnotherCollectionDoesNothing) {
    remote(L"press Play");
    EXPECT_EQ("11v 50v", keys(2));
    remote(L"release ff00");
    ASSERT_TRUE(hidsim::waitUntilSettled(kTimeoutMs));
    remote(L"release consumer");
    EXPECT_EQ("11v 50v 50^ 11^", keys(4));
}

TEST_F(RemoteToZapper, ThreeDButtonTogglesOncePerPressAndRunsItsLine) {
    remote(L"click 3D");
    ASSERT_TRUE(hidsim::waitUntilSettled(kTimeoutMs));
    remote(L"click Stop"); // handled after the 3D button's press and release
    EXPECT_EQ("33v 33^ 53v 53^", keys(4));
    EXPECT_EQ(1u, install_->countBridgeCalls("SYSBRIDGE_Change3DState()"));
}

TEST_F(RemoteToZapper, CollectionZapperDidNotRegisterReachesNothing) {
    remote(L"click Power");
    ASSERT_TRUE(hidsim::waitUntilSettled(kTimeoutMs));
    remote(L"click Stop");
    EXPECT_EQ("53v 53^", keys(2));
}

TEST_F(RemoteToZapper, GuideStartsTunerdeskBesideZapperAndLaterButtonsStillArrive) {
    const auto tunerdesk = install_->folder().path() / L"Tunerdesk.exe";
    remote(L"click Guide");
    ASSERT_TRUE(waitUntil([&] { return recorderRecords(tunerdesk).size() == 1; }, kTimeoutMs));
    const RecorderRecord started = recorderRecords(tunerdesk)[0];
    EXPECT_EQ(L"\"" + tunerdesk.wstring() + L"\" /Guide", started.commandLine);

    // Zapper brought its own window to the front for the start; under Wine that leaves the
    // session without a foreground until the desktop takes it back.
    ASSERT_TRUE(waitUntil([] { return ::GetForegroundWindow() != nullptr; }, kTimeoutMs));
    remote(L"click Stop");
    EXPECT_EQ("53v 53^", keys(2));
}
