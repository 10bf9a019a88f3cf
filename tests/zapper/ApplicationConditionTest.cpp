// The window condition through the dispatcher, on windows of this test: the foreground
// window, an owned window, and top-level windows found by class and title, normal, maximized
// and minimized. A line that applies runs no command, so the dispatcher answers S_OK when it
// applies and 0x4000FF04 when not.
#include "TestDispatcher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kFrontClass[] = L"KestrelFrontWindow";
constexpr wchar_t kOwnerClass[] = L"KestrelOwnerWindow";
constexpr wchar_t kShapeClass[] = L"KestrelShapeWindow";

struct Case {
    const char* what;
    DWORD condition;
    DWORD mode;
    std::wstring text; // the condition text: class, title
    bool applies;
};

class WindowCondition : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        for (const wchar_t* name : {kFrontClass, kOwnerClass, kShapeClass}) {
            WNDCLASSW windowClass = {};
            windowClass.lpfnWndProc = ::DefWindowProcW;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = name;
            ASSERT_NE(0, ::RegisterClassW(&windowClass));
        }
    }

    void TearDown() override {
        for (auto window = windows_.rbegin(); window != windows_.rend(); ++window) {
            ::DestroyWindow(*window);
        }
    }

    // A visible top-level window; with an owner, a popup owned by it.
    HWND makeWindow(const wchar_t* className, const wchar_t* title, int show = SW_SHOWNORMAL,
                    HWND owner = nullptr) {
        const DWORD style = owner ? WS_POPUP | WS_CAPTION : WS_OVERLAPPEDWINDOW;
        const HWND window = ::CreateWindowExW(0, className, title, style, 10, 10, 300, 200, owner,
                                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
        EXPECT_NE(nullptr, window);
        if (window) {
            windows_.push_back(window);
            ::ShowWindow(window, show);
        }
        return window;
    }

    static void bringToFront(HWND window) {
        ASSERT_TRUE(::SetForegroundWindow(window));
        ASSERT_EQ(window, ::GetForegroundWindow());
    }

    void expectCases(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            char what[200] = {};
            std::snprintf(what, sizeof what, "%s: Condition 0x%lX, ConditionMode %lu, \"%ls\"",
                          c.what, static_cast<unsigned long>(c.condition),
                          static_cast<unsigned long>(c.mode), c.text.c_str());
            SCOPED_TRACE(what);
            ASSERT_TRUE(dispatcher_.setTable(
                {tableLine({TestRecord().when(c.condition, c.mode, c.text)})}));
            EXPECT_EQ(c.applies ? S_OK : kNoMatchingLine, dispatcher_.press());
        }
    }

    TestDispatcher dispatcher_;
    std::vector<HWND> windows_;
};

} // namespace

TEST_F(WindowCondition, ForegroundWindowByItsClassInAnyLetterCase) {
    makeWindow(kOwnerClass, L"behind");
    bringToFront(makeWindow(kFrontClass, L"front"));
    expectCases({
        {"the same class", 0x401, 0, kFrontClass, true},
        {"letter case differs", 0x401, 0, L"kestrelFRONTwindow", true},
        {"a window behind it", 0x401, 0, kOwnerClass, false},
        {"only the start of the name", 0x401, 0, L"KestrelFront", false},
        {"negated, the same class", 0x401, 1, L"KESTRELFRONTWINDOW", false},
        {"negated, another class", 0x401, 1, kOwnerClass, true},
    });
}

TEST_F(WindowCondition, ParentOfTheForegroundWindow) {
    const HWND owner = makeWindow(kOwnerClass, L"owner");
    const HWND owned = makeWindow(kFrontClass, L"dialog", SW_SHOWNORMAL, owner);
    const HWND alone = makeWindow(kFrontClass, L"alone");

    bringToFront(owned);
    ASSERT_EQ(owner, ::GetParent(owned));
    expectCases({
        {"owned window", 0x402, 0, L"KESTRELOWNERWINDOW", true},
        {"its own class is not its parent's", 0x402, 0, kFrontClass, false},
        {"negated, another class", 0x402, 1, kFrontClass, true},
    });

    bringToFront(alone);
    ASSERT_EQ(nullptr, ::GetParent(alone));
    expectCases({
        {"no parent", 0x402, 0, kOwnerClass, false},
        {"no parent, negated", 0x402, 1, kOwnerClass, true},
    });
}

TEST_F(WindowCondition, TopLevelWindowByClassAndTitle) {
    makeWindow(kShapeClass, L"Plain");
    expectCases({
        {"class and title", 0x404, 0, L"KestrelShapeWindow,Plain", true},
        {"class alone", 0x404, 0, kShapeClass, true},
        {"empty texts: any top-level window", 0x404, 0, L"", true},
        {"another title", 0x404, 0, L"KestrelShapeWindow,Fancy", false},
        {"a class no window has", 0x404, 0, L"KestrelNoSuchWindow", false},
        {"a class no window has, negated", 0x404, 1, L"KestrelNoSuchWindow", true},
    });
}

TEST_F(WindowCondition, MaximizedAndMinimizedWindowsFoundByClassAndTitle) {
    makeWindow(kShapeClass, L"Big", SW_SHOWMAXIMIZED);
    makeWindow(kShapeClass, L"Small", SW_SHOWMINIMIZED);
    makeWindow(kShapeClass, L"Plain");
    expectCases({
        {"maximized", 0x410, 0, L"KestrelShapeWindow,Big", true},
        {"maximized is not minimized", 0x420, 0, L"KestrelShapeWindow,Big", false},
        {"minimized", 0x420, 0, L"KestrelShapeWindow,Small", true},
        {"minimized is not maximized", 0x410, 0, L"KestrelShapeWindow,Small", false},
        {"normal, maximized?", 0x410, 0, L"KestrelShapeWindow,Plain", false},
        {"normal, minimized?", 0x420, 0, L"KestrelShapeWindow,Plain", false},
        {"normal, negated", 0x410, 1, L"KestrelShapeWindow,Plain", true},
        {"either", 0x430, 0, L"KestrelShapeWindow,Small", true},
        {"no such window", 0x410, 0, L"KestrelShapeWindow,Gone", false},
        {"no such window, negated", 0x420, 1, L"KestrelShapeWindow,Gone", true},
    });
}

TEST_F(WindowCondition, FirstSubTestThatHoldsDecides) {
    makeWindow(kShapeClass, L"Big", SW_SHOWMAXIMIZED);
    bringToFront(makeWindow(kFrontClass, L"front"));
    expectCases({
        // The foreground window's class is not the text, but the window search finds it.
        {"class test fails, maximized holds", 0x411, 0, L"KestrelShapeWindow,Big", true},
        // Negated, the class test holds at once.
        {"negated", 0x411, 1, L"KestrelShapeWindow,Big", true},
        {"bit 0x08 is no sub-test", 0x408, 0, L"KestrelShapeWindow,Big", false},
    });
}
