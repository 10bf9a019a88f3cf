// Zapper as a process: one resident instance per session, closed by a later start with
// "/exit", ended at once when its button table cannot be loaded.
#include "TestSupport.h"
#include "ZapperHarness.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

class ZapperProcess : public ::testing::Test {
protected:
    void SetUp() override {
        zapper_registry::reset();
        zapper_registry::writeMaster(L"1.0", {{L"TVSetting", {L"Play,B0,C,1,0,0,0,0,,0,200,B3"}}});
        install_.bridgeScript("");
    }
    void TearDown() override { zapper_registry::reset(); }

    ZapperInstall install_;
};

std::vector<std::string> callNames(const std::vector<std::string>& lines) {
    std::vector<std::string> names;
    for (const std::string& line : lines) {
        names.push_back(line.substr(0, line.find(" =")));
    }
    return names;
}

} // namespace

TEST_F(ZapperProcess, OneResidentInstanceClosedByExit) {
    ChildProcess first = install_.start();
    const HWND window = ZapperInstall::waitUntilReady(20000);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(::IsWindowVisible(window));
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    EXPECT_STREQ(L"#32770", className);

    // Later starts end at once; without a case-exact "/exit" they leave the first alone.
    for (const wchar_t* arguments : {L"", L"/EXIT", L"/Exit now"}) {
        ChildProcess second = install_.start(arguments);
        EXPECT_EQ(0u, second.wait(10000).value_or(0xFFFF));
        EXPECT_TRUE(first.running());
    }
    EXPECT_EQ(ZapperInstall::mainWindow(), window);

    // Any word that begins with "/exit" counts.
    ChildProcess closer = install_.start(L"/exitnow");
    EXPECT_TRUE(closer.wait(10000).has_value());
    ASSERT_TRUE(first.wait(10000).has_value());
    EXPECT_EQ(nullptr, ZapperInstall::mainWindow());

    const auto names = callNames(install_.bridgeCalls());
    const std::vector<std::string> expected = {
        "LOAD",
        "SYSBRIDGE_GetManufactureID()",
        "SYSBRIDGE_GetMachineID()",
        "SYSBRIDGE_SetSleepButtonMode(0)",
        "SYSBRIDGE_GetWakeupCode()",
        "SYSBRIDGE_SetSleepButtonMode(1)",
        "UNLOAD",
    };
    EXPECT_EQ(expected, names);
}

TEST_F(ZapperProcess, ExitWithNothingRunningStartsNormally) {
    ChildProcess zapper = install_.start(L"/exit");
    ASSERT_NE(nullptr, ZapperInstall::waitUntilReady(20000));
    EXPECT_TRUE(zapper.running());
    EXPECT_TRUE(install_.stop(zapper));
}

TEST_F(ZapperProcess, TableThatCannotBeLoadedEndsZapper) {
    struct Case {
        const char* what;
        void (*arrange)();
    };
    const Case cases[] = {
        {"no table at all", [] { zapper_registry::reset(); }},
        {"an active set without its subkey",
         [] {
             reg::setDword(HKEY_LOCAL_MACHINE, kZapperMachineRoot, L"GhostSetting", 1,
                           KEY_WOW64_32KEY);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zapper_registry::reset();
        zapper_registry::writeMaster(L"1.0", {{L"TVSetting", {L"Play,B0,C,1,0,0,0,0,,0,200,B3"}}});
        c.arrange();
        install_.clearBridgeCalls();
        ChildProcess zapper = install_.start();
        // It ends before the wake-up code is ever asked for.
        EXPECT_EQ(0u, zapper.wait(10000).value_or(0xFFFF));
        EXPECT_EQ(nullptr, ZapperInstall::mainWindow());
        for (const std::string& call : install_.bridgeCalls()) {
            EXPECT_EQ(std::string::npos, call.find("GetWakeupCode")) << call;
        }
    }
}
