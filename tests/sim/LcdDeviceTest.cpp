// The LCD stand-in as a 32-bit client sees it through \\.\LCD, scripted through its own
// controls. The driver's state is global: these tests hold the "lcd" lock, and every test
// starts and ends with a reset.
#include "LcdSim.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ntddvdeo.h>

#include <cstdint>
#include <vector>

using lcdsim::Brightness;
using lcdsim::Client;
using lcdsim::Controller;
using lcdsim::Request;

namespace {

constexpr LONG kStatusUnsuccessful = static_cast<LONG>(0xC0000001);
constexpr LONG kStatusNotSupported = static_cast<LONG>(0xC00000BB);

class LcdDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(device_.valid())
            << "the stand-in driver does not answer, error " << device_.openError();
        ASSERT_EQ(ERROR_SUCCESS, device_.reset());
    }

    void TearDown() override {
        if (device_.valid()) {
            EXPECT_EQ(ERROR_SUCCESS, device_.reset());
        }
    }

    lcdsim::State state() const {
        lcdsim::State result;
        EXPECT_EQ(ERROR_SUCCESS, device_.readState(result));
        return result;
    }

    // The device opened as Zapper opens it, for requests the client class does not shape.
    static UniqueFileHandle openRaw() {
        return UniqueFileHandle(::CreateFileW(LCDSIM_PUBLIC_PATH, GENERIC_READ | GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
    }

    // DeviceIoControl's result: ERROR_SUCCESS or the error, and the bytes returned.
    static DWORD rawControl(HANDLE device, DWORD code, const void* input, DWORD inputSize,
                            void* output, DWORD outputSize, DWORD& returned) {
        returned = 0;
        return ::DeviceIoControl(device, code, const_cast<void*>(input), inputSize, output,
                                 outputSize, &returned, nullptr)
                   ? ERROR_SUCCESS
                   : ::GetLastError();
    }

    Controller device_ = Controller::open();
};

std::vector<std::uint8_t> range(int first, int last, int step) {
    std::vector<std::uint8_t> levels;
    for (int level = first; step > 0 ? level <= last : level >= last; level += step) {
        levels.push_back(static_cast<std::uint8_t>(level));
    }
    return levels;
}

using LcdStandardRequests = LcdDevice;
using LcdFailureSwitches = LcdDevice;
using LcdPresence = LcdDevice;
using LcdScripting = LcdDevice;

} // namespace

TEST_F(LcdStandardRequests, QuerySupportedAnswersTheScriptedLevelsInTheirOrder) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> levels;
    };
    const Case cases[] = {
        {"none", {}},
        {"one", {50}},
        {"the driver's order, not sorted", {100, 0, 50, 50, 7}},
        {"0 to 100", range(0, 100, 1)},
        {"as many as a byte can name", range(255, 0, -1)},
    };
    const Client client = Client::open();
    ASSERT_TRUE(client.valid()) << client.openError();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, device_.setLevels(c.levels));
        std::vector<std::uint8_t> answered{1, 2, 3};
        ASSERT_EQ(ERROR_SUCCESS, client.querySupported(answered));
        EXPECT_EQ(c.levels, answered);
    }
}

TEST_F(LcdStandardRequests, QuerySupportedNeedsRoomForEveryLevel) {
    const auto levels = range(0, 100, 1);
    ASSERT_EQ(ERROR_SUCCESS, device_.setLevels(levels));
    const UniqueFileHandle lcd = openRaw();
    ASSERT_TRUE(lcd.valid());
    std::uint8_t buffer[256] = {};
    DWORD returned = 0;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER),
              rawControl(lcd.get(), IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS, nullptr, 0, buffer,
                         static_cast<DWORD>(levels.size() - 1), returned));
    EXPECT_EQ(ERROR_SUCCESS, rawControl(lcd.get(), IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS, nullptr,
                                        0, buffer, static_cast<DWORD>(levels.size()), returned));
    EXPECT_EQ(levels.size(), returned);
    EXPECT_EQ(levels, std::vector<std::uint8_t>(buffer, buffer + returned));
}

TEST_F(LcdStandardRequests, QueryCurrentAnswersThePowerSourceAndBothLevels) {
    const Brightness cases[] = {
        {DISPLAYPOLICY_AC, 80, 30},
        {DISPLAYPOLICY_DC, 80, 30},
        {DISPLAYPOLICY_BOTH, 10, 20},
    };
    const UniqueFileHandle lcd = openRaw();
    ASSERT_TRUE(lcd.valid());
    for (const Brightness& scripted : cases) {
        SCOPED_TRACE(testing::Message() << "policy " << int(scripted.policy));
        ASSERT_EQ(ERROR_SUCCESS, device_.setCurrent(scripted));
        DISPLAY_BRIGHTNESS answer{};
        DWORD returned = 0;
        ASSERT_EQ(ERROR_SUCCESS, rawControl(lcd.get(), IOCTL_VIDEO_QUERY_DISPLAY_BRIGHTNESS,
                                            nullptr, 0, &answer, sizeof answer, returned));
        EXPECT_EQ(sizeof(DISPLAY_BRIGHTNESS), returned);
        EXPECT_EQ(scripted.policy, answer.ucDisplayPolicy);
        EXPECT_EQ(scripted.ac, answer.ucACBrightness);
        EXPECT_EQ(scripted.dc, answer.ucDCBrightness);
    }
}

TEST_F(LcdStandardRequests, SetBothThenQueryShowsTheNewLevelAndTheSetIsReadBack) {
    ASSERT_EQ(ERROR_SUCCESS, device_.setCurrent({DISPLAYPOLICY_DC, 90, 40}));
    const Client client = Client::open();
    ASSERT_TRUE(client.valid()) << client.openError();

    const Brightness sets[] = {{DISPLAYPOLICY_BOTH, 50, 50}, {DISPLAYPOLICY_BOTH, 60, 70}};
    std::uint32_t count = 0;
    for (const Brightness& sent : sets) {
        SCOPED_TRACE(testing::Message() << "set " << count + 1);
        ASSERT_EQ(ERROR_SUCCESS, client.set(sent));
        ++count;
        Brightness now;
        ASSERT_EQ(ERROR_SUCCESS, client.queryCurrent(now));
        // The policy a query answers is the power source, which a set does not change.
        EXPECT_EQ((Brightness{DISPLAYPOLICY_DC, sent.ac, sent.dc}), now);

        const lcdsim::State after = state();
        EXPECT_EQ(sent, after.lastSet);
        EXPECT_EQ(count, after.setCount);
        EXPECT_EQ(count, after.setRequests);
    }
}

TEST_F(LcdStandardRequests, SetChangesOnlyTheLevelsItsPolicyNames) {
    struct Case {
        std::uint8_t policy;
        Brightness expected;
    };
    const Brightness before{DISPLAYPOLICY_AC, 80, 50};
    const Case cases[] = {
        {DISPLAYPOLICY_AC, {DISPLAYPOLICY_AC, 11, 50}},
        {DISPLAYPOLICY_DC, {DISPLAYPOLICY_AC, 80, 22}},
        {DISPLAYPOLICY_BOTH, {DISPLAYPOLICY_AC, 11, 22}},
    };
    const Client client = Client::open();
    ASSERT_TRUE(client.valid()) << client.openError();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "policy " << int(c.policy));
        ASSERT_EQ(ERROR_SUCCESS, device_.setCurrent(before));
        ASSERT_EQ(ERROR_SUCCESS, client.set({c.policy, 11, 22}));
        Brightness now;
        ASSERT_EQ(ERROR_SUCCESS, client.queryCurrent(now));
        EXPECT_EQ(c.expected, now);
        EXPECT_EQ((Brightness{c.policy, 11, 22}), state().lastSet);
    }
}

TEST_F(LcdStandardRequests, SetRefusesAShortRecordOrAnUnknownPolicy) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> record;
    };
    const Case cases[] = {
        {"two bytes", {DISPLAYPOLICY_BOTH, 30}},
        {"policy 0", {0, 30, 30}},
        {"policy 4", {4, 30, 30}},
    };
    const UniqueFileHandle lcd = openRaw();
    ASSERT_TRUE(lcd.valid());
    const lcdsim::State before = state();
    std::uint32_t requests = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DWORD returned = 0;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
                  rawControl(lcd.get(), IOCTL_VIDEO_SET_DISPLAY_BRIGHTNESS, c.record.data(),
                             static_cast<DWORD>(c.record.size()), nullptr, 0, returned));
        ++requests;
        const lcdsim::State after = state();
        EXPECT_EQ(before.current, after.current);
        EXPECT_EQ(0u, after.setCount);
        EXPECT_EQ(requests, after.setRequests);
    }
}

TEST_F(LcdFailureSwitches, EachRequestFailsOnDemandWhileTheOthersAnswer) {
    struct Case {
        const char* what;
        Request request;
        LONG status;
        DWORD error; // what the client's GetLastError gives
    };
    const Case cases[] = {
        {"query supported, unsuccessful", Request::QuerySupported, kStatusUnsuccessful,
         ERROR_GEN_FAILURE},
        {"query current, not supported", Request::QueryCurrent, kStatusNotSupported,
         ERROR_NOT_SUPPORTED},
        {"set, unsuccessful", Request::Set, kStatusUnsuccessful, ERROR_GEN_FAILURE},
        {"set, not supported", Request::Set, kStatusNotSupported, ERROR_NOT_SUPPORTED},
    };
    const Client client = Client::open();
    ASSERT_TRUE(client.valid()) << client.openError();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(ERROR_SUCCESS, device_.reset());
        ASSERT_EQ(ERROR_SUCCESS, device_.setFailure(c.request, c.status));
        EXPECT_EQ(c.status, state().failures[static_cast<int>(c.request)]);

        std::vector<std::uint8_t> levels;
        Brightness current;
        const DWORD results[] = {client.querySupported(levels), client.queryCurrent(current),
                                 client.set({DISPLAYPOLICY_BOTH, 30, 30})};
        for (int request = 0; request < LCDSIM_REQUEST_COUNT; ++request) {
            SCOPED_TRACE(testing::Message() << "request " << request);
            EXPECT_EQ(request == static_cast<int>(c.request) ? c.error : DWORD{ERROR_SUCCESS},
                      results[request]);
        }
    }
}

TEST_F(LcdFailureSwitches, AFailedSetChangesNothingButIsCountedAsReceived) {
    const Client client = Client::open();
    ASSERT_TRUE(client.valid()) << client.openError();
    const lcdsim::State before = state();

    ASSERT_EQ(ERROR_SUCCESS, device_.setFailure(Request::Set, kStatusUnsuccessful));
    EXPECT_EQ(static_cast<DWORD>(ERROR_GEN_FAILURE), client.set({DISPLAYPOLICY_BOTH, 10, 10}));
    lcdsim::State after = state();
    EXPECT_EQ(before.current, after.current);
    EXPECT_EQ(0u, after.setCount);
    EXPECT_EQ(1u, after.setRequests);

    ASSERT_EQ(ERROR_SUCCESS, device_.setFailure(Request::Set, 0));
    EXPECT_EQ(ERROR_SUCCESS, client.set({DISPLAYPOLICY_BOTH, 10, 10}));
    after = state();
    EXPECT_EQ((Brightness{before.current.policy, 10, 10}), after.current);
    EXPECT_EQ(1u, after.setCount);
    EXPECT_EQ(2u, after.setRequests);
}

TEST_F(LcdPresence, AbsentDeviceDoesNotOpenUntilItIsPresentAgain) {
    const Client earlier = Client::open();
    ASSERT_TRUE(earlier.valid()) << earlier.openError();

    ASSERT_EQ(ERROR_SUCCESS, device_.setPresent(false));
    EXPECT_FALSE(state().present);
    const Client absent = Client::open();
    EXPECT_FALSE(absent.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), absent.openError());
    // As on Windows, removing the name leaves handles already open working.
    std::vector<std::uint8_t> levels;
    EXPECT_EQ(ERROR_SUCCESS, earlier.querySupported(levels));

    ASSERT_EQ(ERROR_SUCCESS, device_.setPresent(true));
    EXPECT_TRUE(state().present);
    const Client again = Client::open();
    EXPECT_TRUE(again.valid()) << again.openError();
}

TEST_F(LcdPresence, ResetBringsTheDeviceBack) {
    ASSERT_EQ(ERROR_SUCCESS, device_.setPresent(false));
    ASSERT_FALSE(Client::open().valid());
    ASSERT_EQ(ERROR_SUCCESS, device_.reset());
    EXPECT_TRUE(Client::open().valid());
}

TEST_F(LcdScripting, ResetRestoresTheDefaults) {
    const Client client = Client::open();
    ASSERT_TRUE(client.valid()) << client.openError();
    ASSERT_EQ(ERROR_SUCCESS, device_.setLevels({1, 2, 3}));
    ASSERT_EQ(ERROR_SUCCESS, device_.setCurrent({DISPLAYPOLICY_DC, 1, 2}));
    ASSERT_EQ(ERROR_SUCCESS, client.set({DISPLAYPOLICY_BOTH, 3, 3}));
    for (Request request : {Request::QuerySupported, Request::QueryCurrent, Request::Set}) {
        ASSERT_EQ(ERROR_SUCCESS, device_.setFailure(request, kStatusUnsuccessful));
    }
    ASSERT_EQ(ERROR_SUCCESS, device_.setPresent(false));

    ASSERT_EQ(ERROR_SUCCESS, device_.reset());
    const lcdsim::State after = state();
    EXPECT_EQ(range(0, (LCDSIM_DEFAULT_LEVEL_COUNT - 1) * LCDSIM_DEFAULT_LEVEL_STEP,
                    LCDSIM_DEFAULT_LEVEL_STEP),
              after.levels);
    EXPECT_EQ((Brightness{LCDSIM_DEFAULT_POLICY, LCDSIM_DEFAULT_AC, LCDSIM_DEFAULT_DC}),
              after.current);
    EXPECT_EQ(Brightness{}, after.lastSet);
    EXPECT_EQ(0u, after.setCount);
    EXPECT_EQ(0u, after.setRequests);
    for (LONG failure : after.failures) {
        EXPECT_EQ(0, failure);
    }
    EXPECT_TRUE(after.present);
}

TEST_F(LcdScripting, ControlsRefuseWhatTheDeviceCannotHold) {
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              device_.setLevels(std::vector<std::uint8_t>(LCDSIM_MAX_LEVELS + 1, 5)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER),
              device_.setFailure(static_cast<Request>(LCDSIM_REQUEST_COUNT), kStatusUnsuccessful));

    const UniqueFileHandle lcd = openRaw();
    ASSERT_TRUE(lcd.valid());
    struct Case {
        const char* what;
        DWORD code;
    };
    const Case cases[] = {
        {"unknown function", SIM_CONTROL(0x8FF)},
        {"not buffered", CTL_CODE(SIM_DEVICE_TYPE, 0x813, METHOD_NEITHER, FILE_ANY_ACCESS)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint8_t buffer[LCDSIM_MAX_LEVELS + 64] = {};
        DWORD returned = 0;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_FUNCTION),
                  rawControl(lcd.get(), c.code, nullptr, 0, buffer, sizeof buffer, returned));
    }
    // Nothing of the above reached the state.
    const lcdsim::State after = state();
    EXPECT_EQ(static_cast<size_t>(LCDSIM_DEFAULT_LEVEL_COUNT), after.levels.size());
    for (LONG failure : after.failures) {
        EXPECT_EQ(0, failure);
    }
}
