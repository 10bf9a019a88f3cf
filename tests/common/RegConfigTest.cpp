#include "LogCapture.h"
#include "PathHelper.h"
#include "RegConfig.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const wchar_t kTestKey[] = L"SOFTWARE\\KESTREL\\RegConfigTest";

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

class RegConfigAccessTest : public ::testing::Test {
protected:
    void SetUp() override { clean(); }
    void TearDown() override { clean(); }
    static void clean() {
        reg::deleteTree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
        reg::deleteTree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY);
    }
};

} // namespace

TEST_F(RegConfigAccessTest, ArrayFormKeepsWholeElementsOnly) {
    reg::setBinary(HKEY_LOCAL_MACHINE, kTestKey, L"Six", {1, 0, 0, 0, 0xAA, 0xBB});
    RegConfigAccess access;
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    std::vector<DWORD> numbers{7, 7, 7};
    EXPECT_EQ(S_OK, access.GetValue(L"Six", numbers));
    EXPECT_EQ(std::vector<DWORD>{1}, numbers);
}

TEST_F(RegConfigAccessTest, StringWithItsTerminatorEndsInOneZero) {
    reg::setString(HKEY_LOCAL_MACHINE, kTestKey, L"Path", L"abc");
    RegConfigAccess access;
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    std::vector<wchar_t> text;
    EXPECT_EQ(S_OK, access.GetValue(L"Path", text));
    EXPECT_EQ((std::vector<wchar_t>{L'a', L'b', L'c', L'\0'}), text);
}

TEST_F(RegConfigAccessTest, StringStoredWithoutTerminatorCanStillBeUsedAsText) {
    reg::setBinary(HKEY_LOCAL_MACHINE, kTestKey, L"Bare", {'a', 0, 'b', 0}, REG_SZ);
    RegConfigAccess access;
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    std::vector<wchar_t> text;
    EXPECT_EQ(S_OK, access.GetValue(L"Bare", text));
    EXPECT_EQ((std::vector<wchar_t>{L'a', L'b'}), text);
}

TEST_F(RegConfigAccessTest, MissingValueKeepsTheDefaultAndLogsTwice) {
    reg::setDword(HKEY_LOCAL_MACHINE, kTestKey, L"Other", 1);
    RegConfigAccess access;
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    LogCapture log;
    DWORD delay = 42;
    EXPECT_EQ(static_cast<HRESULT>(0x80070002), access.GetValue(L"DelayAfterResume", delay));
    EXPECT_EQ(42u, delay);
    const auto errors = log.errors();
    ASSERT_EQ(2u, errors.size());
    for (const std::string& line : errors) {
        EXPECT_TRUE(endsWith(line, "Error Code: 0x80070002")) << line;
    }
    EXPECT_NE(std::string::npos, errors[0].find("(RegConfigAccess::GetValue)"));
    EXPECT_NE(std::string::npos, errors[1].find("(RegConfigAccess::GetValue)"));
}

TEST_F(RegConfigAccessTest, SingleElementFormReadsTheFirstElement) {
    reg::setDword(HKEY_LOCAL_MACHINE, kTestKey, L"DelayAfterResume", 9);
    reg::setBinary(HKEY_LOCAL_MACHINE, kTestKey, L"Empty", {});
    RegConfigAccess access;
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    DWORD delay = 0;
    EXPECT_EQ(S_OK, access.GetValue(L"DelayAfterResume", delay));
    EXPECT_EQ(9u, delay);
    DWORD untouched = 5;
    EXPECT_EQ(S_OK, access.GetValue(L"Empty", untouched));
    EXPECT_EQ(5u, untouched);
}

TEST_F(RegConfigAccessTest, DestroyingAfterAFailedOpenLogsTwoErrors) {
    LogCapture log;
    {
        RegConfigAccess access;
        EXPECT_EQ(static_cast<HRESULT>(0x80070002), access.Open(L"SOFTWARE\\KESTREL\\NoSuchKey"));
    }
    const auto errors = log.errors();
    ASSERT_EQ(2u, errors.size());
    EXPECT_TRUE(endsWith(errors[0], "Error Code: 0x80070002")) << errors[0];
    EXPECT_TRUE(endsWith(errors[1], "Error Code: 0x80070006")) << errors[1];
}

TEST_F(RegConfigAccessTest, MisuseIsRefusedWithItsCode) {
    reg::setDword(HKEY_LOCAL_MACHINE, kTestKey, L"Value", 1);
    RegConfigAccess access;
    DWORD value = 0;
    EXPECT_EQ(static_cast<HRESULT>(0x80070006), access.GetValue(L"Value", value));
    EXPECT_EQ(E_POINTER, access.Open(nullptr));
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    EXPECT_EQ(static_cast<HRESULT>(0x80070006), access.Open(kTestKey)); // already holds a key
    EXPECT_EQ(E_POINTER, access.GetValue(nullptr, value));
    EXPECT_EQ(S_OK, access.Close());
    EXPECT_EQ(static_cast<HRESULT>(0x80070006), access.Close());
}

TEST_F(RegConfigAccessTest, ThirtyTwoBitProgramsReadTheThirtyTwoBitView) {
    reg::setDword(HKEY_LOCAL_MACHINE, kTestKey, L"View", 64, KEY_WOW64_64KEY);
    reg::setDword(HKEY_LOCAL_MACHINE, kTestKey, L"View", 32, KEY_WOW64_32KEY);
    RegConfigAccess access;
    ASSERT_EQ(S_OK, access.Open(kTestKey));
    DWORD view = 0;
    EXPECT_EQ(S_OK, access.GetValue(L"View", view));
    EXPECT_EQ(32u, view);
}

TEST_F(RegConfigAccessTest, KeyOnlyInTheSixtyFourBitViewIsNotSeen) {
    reg::setDword(HKEY_LOCAL_MACHINE, kTestKey, L"View", 64, KEY_WOW64_64KEY);
    RegConfigAccess access;
    EXPECT_EQ(static_cast<HRESULT>(0x80070002), access.Open(kTestKey));
}

TEST(PathHelperTest, FolderOfTheRunningProgram) {
    wchar_t folder[MAX_PATH] = {};
    ASSERT_EQ(S_OK, PathHelper::getWorkingDir(folder));
    const std::wstring expected = LogCapture::path().substr(0, LogCapture::path().rfind(L'\\'));
    EXPECT_EQ(expected, folder);
    EXPECT_EQ(E_POINTER, PathHelper::getWorkingDir(nullptr));
}

TEST(PathHelperTest, MissingFileStillGivesItsPathAndAnAssertLine) {
    LogCapture log;
    wchar_t path[MAX_PATH] = {};
    ASSERT_EQ(S_OK, PathHelper::makeFullPathWithModuleDir(path, L"NotThere.exe"));
    const std::wstring folder = LogCapture::path().substr(0, LogCapture::path().rfind(L'\\'));
    EXPECT_EQ(folder + L"\\NotThere.exe", path);
    const auto errors = log.errors();
    ASSERT_EQ(1u, errors.size());
    EXPECT_TRUE(endsWith(errors[0], "ASSERT( ::PathFileExists(pszFullPath) )")) << errors[0];
}

TEST(PathHelperTest, ExistingFileWritesNoError) {
    LogCapture log;
    wchar_t path[MAX_PATH] = {};
    ASSERT_EQ(S_OK, PathHelper::makeFullPathWithModuleDir(path, L"test-log.txt"));
    EXPECT_TRUE(log.errors().empty());
}

TEST(PathHelperTest, TooLongNameFails) {
    LogCapture log;
    wchar_t path[MAX_PATH] = {};
    const std::wstring name(MAX_PATH - 5, L'n');
    EXPECT_EQ(E_FAIL, PathHelper::makeFullPathWithModuleDir(path, name.c_str()));
    const auto errors = log.errors();
    ASSERT_FALSE(errors.empty());
    EXPECT_TRUE(endsWith(errors.back(), "Error Code: 0x80004005")) << errors.back();
    EXPECT_EQ(E_POINTER, PathHelper::makeFullPathWithModuleDir(nullptr, L"x"));
    EXPECT_EQ(E_POINTER, PathHelper::makeFullPathWithModuleDir(path, nullptr));
}
