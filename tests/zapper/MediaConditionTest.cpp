// The disc condition through the dispatcher, on the optical drives D: and E:; a disc is in a
// drive when its marker files are in the drive's folder. A line that applies runs no command
// (dwCmdType 0), so the dispatcher answers S_OK when it applies and 0x4000FF04 when not.
#include "TestDispatcher.h"
#include "TestDrives.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <thread>
#include <utility>
#include <vector>

using namespace test_drives;
using Clock = std::chrono::steady_clock;

namespace {

constexpr wchar_t kBluRayBdmv[] = L"BDMV\\index.bdmv";
constexpr wchar_t kBluRayBdav[] = L"BDAV\\INFO.BDAV";
constexpr wchar_t kHdDvd[] = L"HVDVD_TS\\HV000I01.IFO";
constexpr wchar_t kHdDvdDiscId[] = L"ADV_OBJ\\DISCID.DAT";
constexpr wchar_t kHdDvdRecording[] = L"DVD_HDVR\\HR_MANGR.IFO";
constexpr wchar_t kDvdVideo[] = L"VIDEO_TS\\VIDEO_TS.IFO";
constexpr wchar_t kDvdRecording[] = L"DVD_RTAV\\VR_MANGR.IFO";

class DiscCondition : public ::testing::Test {
protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }

    HRESULT check(DWORD condition, DWORD mode = 0) {
        EXPECT_TRUE(dispatcher_.setTable({tableLine({TestRecord().when(condition, mode)})}));
        return dispatcher_.press();
    }

    TestDispatcher dispatcher_;
};

std::string describe(const char* what, DWORD condition, DWORD mode) {
    char text[160] = {};
    std::snprintf(text, sizeof text, "%s: Condition 0x%lX, ConditionMode %lu", what,
                  static_cast<unsigned long>(condition), static_cast<unsigned long>(mode));
    return text;
}

// Holds a file open without sharing, as a recorder that is still writing it does.
UniqueFileHandle holdWithoutSharing(const std::filesystem::path& file) {
    return UniqueFileHandle(::CreateFileW(file.wstring().c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

} // namespace

TEST_F(DiscCondition, DiscKindsByTheirMarkerFiles) {
    struct Case {
        const char* what;
        DWORD condition;
        DWORD mode;
        std::vector<const wchar_t*> disc;
        bool applies;
    };
    const Case cases[] = {
        {"Blu-ray, BDMV", 0x210, 0, {kBluRayBdmv}, true},
        {"Blu-ray, BDAV", 0x210, 0, {kBluRayBdav}, true},
        {"the Blu-ray bit alone decides", 0x212, 0, {kDvdVideo}, false},
        {"Blu-ray among the other bits", 0x21F, 0, {kBluRayBdav}, true},
        {"DVD-Video", 0x202, 0, {kDvdVideo}, true},
        {"DVD-Video, negated", 0x202, 1, {kDvdVideo}, false},
        {"empty drive, negated", 0x202, 1, {}, true},
        {"a mode other than 1 does not negate", 0x202, 2, {kDvdVideo}, true},
        {"HD DVD", 0x201, 0, {kHdDvd}, true},
        {"HD DVD by its disc id", 0x201, 0, {kHdDvdDiscId}, true},
        {"HD DVD recording", 0x208, 0, {kHdDvdRecording}, true},
        {"DVD video recording", 0x204, 0, {kDvdRecording}, true},
        {"any one of several bits", 0x20D, 0, {kDvdRecording}, true},
        {"a disc of another kind", 0x201, 0, {kDvdVideo}, false},
        {"no disc bit", 0x200, 0, {kDvdVideo}, false},
        {"no disc bit, negated: any optical drive", 0x200, 1, {}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.what, c.condition, c.mode));
        eject(kFirst);
        insert(kFirst, c.disc);
        EXPECT_EQ(c.applies ? S_OK : kNoMatchingLine, check(c.condition, c.mode));
    }
}

TEST_F(DiscCondition, OnlyTheFirstOpticalDriveIsExamined) {
    insert(kSecond, {kDvdVideo});
    EXPECT_EQ(kNoMatchingLine, check(0x202));
    EXPECT_EQ(S_OK, check(0x202, 1));

    // With D: a fixed disk, E: is the first optical drive and a disc on D: no longer counts.
    insert(kFirst, {kBluRayBdmv});
    makeFixedDisk(kFirst);
    EXPECT_EQ(S_OK, check(0x202));
    EXPECT_EQ(kNoMatchingLine, check(0x210));
}

TEST_F(DiscCondition, WithoutAnOpticalDriveNothingMatchesNegatedOrNot) {
    insert(kFirst, {kDvdVideo});
    insert(kSecond, {kDvdVideo});
    makeFixedDisk(kFirst);
    makeFixedDisk(kSecond);
    for (const auto& [condition, mode] :
         {std::pair<DWORD, DWORD>{0x202, 0}, {0x202, 1}, {0x200, 1}, {0x204, 1}}) {
        SCOPED_TRACE(describe("no optical drive", condition, mode));
        EXPECT_EQ(kNoMatchingLine, check(condition, mode));
    }
}

TEST_F(DiscCondition, RecordingMarkerHeldBrieflyIsFoundOnALaterSearch) {
    insert(kFirst, {kDvdRecording});
    UniqueFileHandle held = holdWithoutSharing(folder(kFirst) / kDvdRecording);
    ASSERT_TRUE(held.valid());
    // The recorder lets go while the condition pauses between its searches.
    std::thread recorder([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        held.reset();
    });
    const HRESULT result = check(0x204);
    recorder.join();
    EXPECT_EQ(S_OK, result);
}

TEST_F(DiscCondition, RecordingMarkerHeldThroughFiveSearchesDoesNotMatch) {
    insert(kFirst, {kDvdRecording});
    UniqueFileHandle held = holdWithoutSharing(folder(kFirst) / kDvdRecording);
    ASSERT_TRUE(held.valid());
    const auto start = Clock::now();
    EXPECT_EQ(kNoMatchingLine, check(0x204));
    // Five searches, 200 ms apart.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(800));
    held.reset();
    EXPECT_EQ(S_OK, check(0x204));
}
