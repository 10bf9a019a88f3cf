// Button matching, the command queue and key commands, on a main window object that is never
// created as a window: its table is filled from button lines, events go straight to the
// dispatcher, and the keystrokes are seen both as the sender's calls and by a keyboard hook.
#include "CmdSetting.h"
#include "KeyCommand.h"
#include "RecordingKeySender.h"
#include "ZapperDlg.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

constexpr ButtonEvent kPlay{1, 0x000C, 0x0001, 0x00B0};

std::vector<KeyStroke> downUp(std::initializer_list<std::pair<DWORD, bool>> keys) {
    std::vector<KeyStroke> strokes;
    for (const auto& [key, up] : keys) {
        strokes.push_back({key, up});
    }
    return strokes;
}

class Dispatcher : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(keyboard_.installed());
        clearSentKeyCalls();
    }

    void addLine(const std::wstring& line) {
        auto button = std::make_unique<ButtonInfo>();
        ASSERT_TRUE(parseButtonLine(line, *button)) << std::string(line.begin(), line.end());
        window_->buttonTable().push_back(std::move(button));
    }

    HRESULT press(const ButtonEvent& event = kPlay) {
        window_->setReleased(0);
        return window_->executeCommand(event);
    }

    HRESULT release(const ButtonEvent& event = kPlay) {
        window_->setReleased(1);
        const HRESULT result = window_->executeCommand(event);
        window_->setReleased(0);
        return result;
    }

    // Every keystroke sent so far, as the hook saw it.
    std::vector<KeyStroke> keysSeen(size_t expected) {
        keyboard_.waitForCount(expected, 5000);
        return keyboard_.keys();
    }

    std::unique_ptr<CZapperDlg> window_ = std::make_unique<CZapperDlg>();
    KeyboardRecorder keyboard_;
};

} // namespace

TEST_F(Dispatcher, ChordIsPressedThenReleasedInOneCall) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,11&43");
    EXPECT_EQ(S_OK, press());
    const auto expected = downUp({{0x11, false}, {0x43, false}, {0x11, true}, {0x43, true}});
    ASSERT_EQ(1u, sentKeyCalls().size());
    EXPECT_EQ(expected, sentKeyCalls()[0]);
    EXPECT_EQ(describe(expected), describe(keysSeen(4)));
}

TEST_F(Dispatcher, HoldButtonPressesOnPressAndReleasesInReverseOnRelease) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,201,11&43");
    EXPECT_EQ(S_OK, press());
    EXPECT_EQ(describe(downUp({{0x11, false}, {0x43, false}})), describe(keysSeen(2)));
    keyboard_.clear();
    EXPECT_EQ(S_OK, release());
    EXPECT_EQ(describe(downUp({{0x43, true}, {0x11, true}})), describe(keysSeen(2)));
    EXPECT_EQ(2u, sentKeyCalls().size());
}

TEST_F(Dispatcher, KeyTextsAsChordsAndCalls) {
    struct Case {
        const wchar_t* keys;
        std::vector<std::vector<KeyStroke>> calls;
    };
    const Case cases[] = {
        {L"5B&44|0D",
         {downUp({{0x5B, false}, {0x44, false}, {0x5B, true}, {0x44, true}}),
          downUp({{0x0D, false}, {0x0D, true}})}},
        {L"AD", {downUp({{0xAD, false}, {0xAD, true}})}},
        {L"ad|", {downUp({{0xAD, false}, {0xAD, true}})}}, // a trailing "|" adds nothing
        {L"11&43&", {}},                                   // a trailing "&" drops the chord
        {L"", {}},
        {L"41&&42", {}}, // a key without digits ends the list where it stands
        {L" 41|zz", {downUp({{0x41, false}, {0x41, true}})}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.keys, c.keys + wcslen(c.keys)));
        clearSentKeyCalls();
        CmdInfo record;
        wcscpy(record.CmdParam, c.keys);
        KeyCommand command;
        command.setCmdInfo(&record);
        EXPECT_EQ(1, command.execute());
        const auto calls = sentKeyCalls();
        ASSERT_EQ(c.calls.size(), calls.size());
        for (size_t i = 0; i < calls.size(); ++i) {
            EXPECT_EQ(describe(c.calls[i]), describe(calls[i]));
        }
    }
}

TEST_F(Dispatcher, KeyListHoldsAtMostNinetyKeys) {
    std::wstring keys;
    for (int i = 0; i < 59; ++i) {
        keys += L"41|";
    }
    keys += L"42";
    ASSERT_LT(keys.size(), kCmdParamChars);
    CmdInfo record;
    wcscpy(record.CmdParam, keys.c_str());
    KeyCommand command;
    command.setCmdInfo(&record);
    EXPECT_EQ(0x42, command.keys()[59].key);
    EXPECT_EQ(0, command.keys()[59].separator);
    EXPECT_EQ(0, command.keys()[60].key);
}

TEST_F(Dispatcher, FirstLineWhoseConditionHoldsWins) {
    // Application condition on a class no window has: the line does not apply.
    addLine(L"Play,B0,C,1,0,0,401,0,NoSuchWindowClass,0,200,41");
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,42");
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,43");
    EXPECT_EQ(S_OK, press());
    ASSERT_EQ(1u, sentKeyCalls().size());
    EXPECT_EQ(0x42u, sentKeyCalls()[0][0].virtualKey);
}

TEST_F(Dispatcher, OnlyTheFirstRecordDecidesWhetherTheLineApplies) {
    addLine(L"Play,B0,C,1,100,0,0,0,,0,200,41,0,0,401,0,NoSuchWindowClass,0,200,42");
    EXPECT_EQ(S_OK, press());
    EXPECT_EQ(2u, sentKeyCalls().size());
}

TEST_F(Dispatcher, ReleaseRunsOnlyHoldLinesAndTheFirstCandidateDecides) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,41");
    addLine(L"Play,B0,C,1,0,0,0,0,,0,201,42");
    EXPECT_EQ(kReleaseNotRepeated, release());
    EXPECT_TRUE(sentKeyCalls().empty());
}

TEST_F(Dispatcher, ReleaseOfAHoldLineRunsEveryRecordAgain) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,201,41,0,0,0,0,,0,200,42");
    EXPECT_EQ(S_OK, release());
    const auto calls = sentKeyCalls();
    ASSERT_EQ(2u, calls.size());
    EXPECT_EQ(describe(downUp({{0x41, true}})), describe(calls[0]));
    EXPECT_EQ(describe(downUp({{0x42, false}, {0x42, true}})), describe(calls[1]));
}

TEST_F(Dispatcher, NoMatchingLine) {
    addLine(L"Stop,B7,C,1,0,0,0,0,,0,200,41");
    EXPECT_EQ(kNoMatchingLine, press());
    ButtonEvent otherCollection = kPlay;
    otherCollection.usagePage = 0xFF00;
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,41");
    EXPECT_EQ(kNoMatchingLine, press(otherCollection));
    EXPECT_TRUE(sentKeyCalls().empty());
}

TEST_F(Dispatcher, ReportIdIsNotCompared) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,41");
    ButtonEvent otherReport = kPlay;
    otherReport.reportId = 9;
    EXPECT_EQ(S_OK, press(otherReport));
}

TEST_F(Dispatcher, DelayIsSleptBeforeEachCommandOfTheRecord) {
    // 0x600: a key command, then a hardware command that has nothing to do.
    addLine(L"Play,B0,C,1,0,0,0,0,,64,600,41");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(S_OK, press());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(200));
    EXPECT_EQ(1u, sentKeyCalls().size());
}

TEST_F(Dispatcher, FailingCommandStopsTheRestOfItsLine) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,100,NoSuchProgram.exe,0,0,0,0,,0,200,41");
    EXPECT_EQ(kCommandFailed, press());
    EXPECT_TRUE(sentKeyCalls().empty());
}

TEST_F(Dispatcher, RecordWithoutCommandBitsBuildsNothing) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,0,41");
    EXPECT_EQ(S_OK, press());
    EXPECT_TRUE(sentKeyCalls().empty());
}

TEST_F(Dispatcher, EmptyRecordSlotRunsNothingOfTheLine) {
    addLine(L"Play,B0,C,1,0,0,0,0,,0,200,41");
    window_->buttonTable().back()->cmdInfoList.emplace_back(nullptr);
    EXPECT_EQ(kEmptyRecordSlot, press());
    EXPECT_TRUE(sentKeyCalls().empty());
}

TEST_F(Dispatcher, ConditionFieldsThatSelectNoTestMatch) {
    struct Case {
        const wchar_t* line;
        HRESULT expected;
    };
    const Case cases[] = {
        {L"Play,B0,C,1,100,0,0,0,,0,200,41", S_OK},            // the system never restricts
        {L"Play,B0,C,1,0,0,100,0,,0,200,41", S_OK},            // no condition class bit
        {L"Play,B0,C,1,0,0,400,0,,0,200,41", kNoMatchingLine}, // application without sub-test
        {L"Play,B0,C,1,0,0,400,1,,0,200,41", kNoMatchingLine}, // not even negated
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.line, c.line + wcslen(c.line)));
        clearButtonTable(window_->buttonTable());
        addLine(c.line);
        EXPECT_EQ(c.expected, press());
    }
}

TEST_F(Dispatcher, UnclosedQuoteInTheConditionTextMakesTheLineNotApply) {
    addLine(L"Play,B0,C,1,0,0,404,0,,0,200,41");
    CmdInfo& record = *window_->buttonTable().back()->cmdInfoList.front();
    wcscpy(record.ConditionParam, L"\"#32770,ZapperHost");
    EXPECT_EQ(kNoMatchingLine, press());
    wcscpy(record.ConditionParam, L"\"\",");
    EXPECT_EQ(S_OK, press()); // empty class and title: any top-level window
}
