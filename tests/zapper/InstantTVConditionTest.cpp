// The Rozuroz IV condition through the dispatcher, with the stand-in hardware library beside
// this program answering the firmware's error code. A line that applies runs no command, so
// the dispatcher answers S_OK when it applies and 0x4000FF04 when not.
#include "BridgeStandIn.h"
#include "TestDispatcher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using testing_support::programFolder;

namespace {

constexpr char kAsk[] = "SYSBRIDGE_GetInstantTVParam";

class RozurozIVCondition : public ::testing::Test {
protected:
    void SetUp() override { bridge_standin::remove(programFolder()); }
    void TearDown() override {
        dispatcher_.bridge().unload();
        bridge_standin::remove(programFolder());
    }

    // The library loaded afresh with this script; what it lacks is decided at load.
    void loadBridge(const std::string& script) {
        bridge_standin::writeScript(programFolder(), script);
        dispatcher_.bridge().unload();
        ASSERT_EQ(1, dispatcher_.bridge().load());
        bridge_standin::clearCalls(programFolder());
    }

    HRESULT check(DWORD condition, DWORD mode = 0) {
        EXPECT_TRUE(dispatcher_.setTable({tableLine({TestRecord().when(condition, mode)})}));
        return dispatcher_.press();
    }

    TestDispatcher dispatcher_;
};

std::string errorScript(WORD errorCode) {
    char text[64] = {};
    std::snprintf(text, sizeof text, "InstantTVError=0x%04X\r\nInstantTVService=0x21\r\n",
                  errorCode);
    return text;
}

} // namespace

TEST_F(RozurozIVCondition, SubTestBitsAgainstTheFirmwaresErrorCode) {
    struct Case {
        DWORD condition;
        DWORD mode;
        WORD errorCode;
        bool applies;
    };
    const Case cases[] = {
        {0x801, 0, 0x8000, true},
        {0x801, 0, 0x8D50, false},
        {0x801, 0, 0x0000, false},
        {0x802, 0, 0x8D50, true},
        {0x802, 0, 0x8000, false},
        {0x802, 0, 0x0000, false},
        {0x804, 0, 0x0000, true},
        {0x804, 0, 0x1234, true},
        {0x804, 0, 0x8000, false},
        {0x804, 0, 0x8D50, false},
        {0x807, 0, 0x0000, true},
        {0x807, 0, 0x8000, true},
        {0x807, 0, 0x8D50, true},
        {0x807, 0, 0x1234, true},
        {0x800, 0, 0x0000, false},
        {0x800, 0, 0x8000, false},
        {0x800, 0, 0x8D50, false},
        // ConditionMode does not negate this condition.
        {0x801, 1, 0x8000, true},
        {0x801, 1, 0x0000, false},
        {0x804, 1, 0x0000, true},
        {0x800, 1, 0x8000, false},
    };
    loadBridge("");
    for (const Case& c : cases) {
        char what[96] = {};
        std::snprintf(what, sizeof what, "Condition 0x%lX, ConditionMode %lu, error code 0x%04X",
                      static_cast<unsigned long>(c.condition), static_cast<unsigned long>(c.mode),
                      c.errorCode);
        SCOPED_TRACE(what);
        bridge_standin::writeScript(programFolder(), errorScript(c.errorCode));
        bridge_standin::clearCalls(programFolder());
        EXPECT_EQ(c.applies ? S_OK : kNoMatchingLine, check(c.condition, c.mode));
        // The firmware is asked afresh at every check, whatever the bits.
        EXPECT_EQ(1u, bridge_standin::count(bridge_standin::calls(programFolder()), kAsk));
    }
}

TEST_F(RozurozIVCondition, WithoutTheExportTheEventReadsAsActive) {
    loadBridge(errorScript(0x8000) + "Missing=SYSBRIDGE_GetInstantTVParam\r\n");
    ASSERT_EQ(nullptr, dispatcher_.bridge().SYSBRIDGE_GetInstantTVParam);
    EXPECT_EQ(S_OK, check(0x804));
    EXPECT_EQ(kNoMatchingLine, check(0x801));
    EXPECT_EQ(kNoMatchingLine, check(0x802));
    EXPECT_EQ(0u, bridge_standin::count(bridge_standin::calls(programFolder()), kAsk));
}
