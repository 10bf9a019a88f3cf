// The disc eject through the dispatcher, on a hidden Zapper window of this test and a machine
// without an optical drive (both drive letters turned into fixed disks). The media-control
// window is created on this thread, so thread hooks see it made, every message the command
// sends it, and its end.
#include "OtherCommand.h"
#include "TestDispatcher.h"
#include "TestDrives.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

constexpr wchar_t kMediaWindowClass[] = L"MCIWndClass";
constexpr DWORD kMediaWindowStyle = 0x48C04172;
constexpr UINT kOpen = WM_USER + 252;
constexpr UINT kCanEject = WM_USER + 148;
constexpr UINT kEject = WM_USER + 107;

// The media-control windows this thread creates while it lives, and what is sent to them.
class MediaWindowTrace {
public:
    struct Created {
        HWND window;
        DWORD style;
        HWND parent;
    };
    using Sent = std::pair<UINT, std::wstring>; // message, and the text of an open

    MediaWindowTrace() {
        current_ = this;
        cbt_ = ::SetWindowsHookExW(WH_CBT, &MediaWindowTrace::cbt, nullptr, ::GetCurrentThreadId());
        sent_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &MediaWindowTrace::callWindow, nullptr,
                                    ::GetCurrentThreadId());
    }
    ~MediaWindowTrace() {
        ::UnhookWindowsHookEx(sent_);
        ::UnhookWindowsHookEx(cbt_);
        current_ = nullptr;
    }
    MediaWindowTrace(const MediaWindowTrace&) = delete;
    MediaWindowTrace& operator=(const MediaWindowTrace&) = delete;

    bool hooked() const { return cbt_ && sent_; }

    std::vector<Created> created;
    std::vector<Sent> sent;
    std::vector<HWND> destroyed;

private:
    bool isMediaWindow(HWND window) const {
        for (const Created& entry : created) {
            if (entry.window == window) {
                return true;
            }
        }
        return false;
    }

    static LRESULT CALLBACK cbt(int code, WPARAM wParam, LPARAM lParam) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_CREATEWND) {
            wchar_t className[64] = {};
            ::GetClassNameW(window, className, 64);
            if (std::wstring(className) == kMediaWindowClass) {
                const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
                current_->created.push_back(
                    {window, static_cast<DWORD>(create->style), create->hwndParent});
            }
        } else if (code == HCBT_DESTROYWND && current_->isMediaWindow(window)) {
            current_->destroyed.push_back(window);
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static LRESULT CALLBACK callWindow(int code, WPARAM wParam, LPARAM lParam) {
        const CWPSTRUCT* message = reinterpret_cast<CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && current_->isMediaWindow(message->hwnd)) {
            switch (message->message) {
            case kOpen:
                current_->sent.emplace_back(message->message,
                                            reinterpret_cast<const wchar_t*>(message->lParam));
                break;
            case kCanEject:
            case kEject:
            case WM_CLOSE:
                current_->sent.emplace_back(message->message, L"");
                break;
            default:
                break;
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static MediaWindowTrace* current_;
    HHOOK cbt_ = nullptr;
    HHOOK sent_ = nullptr;
};

MediaWindowTrace* MediaWindowTrace::current_ = nullptr;

class DiscEject : public ::testing::Test {
protected:
    void SetUp() override {
        test_drives::reset();
        test_drives::makeFixedDisk(test_drives::kFirst);
        test_drives::makeFixedDisk(test_drives::kSecond);
        ASSERT_NE(nullptr, dispatcher_.window());
    }
    void TearDown() override { test_drives::reset(); }

    HRESULT press(DWORD cmdType) {
        EXPECT_TRUE(dispatcher_.setTable({tableLine({TestRecord().does(cmdType)})}));
        return dispatcher_.press();
    }

    TestDispatcher dispatcher_{TestDispatcher::Window::Hidden};
};

} // namespace

TEST_F(DiscEject, WithoutAnOpticalDriveTheEjectIsAskedForAndTheCommandSucceeds) {
    MediaWindowTrace trace;
    ASSERT_TRUE(trace.hooked());
    EXPECT_EQ(S_OK, press(0x801));

    ASSERT_EQ(1u, trace.created.size());
    const MediaWindowTrace::Created& media = trace.created.front();
    EXPECT_EQ(dispatcher_.window(), media.parent);
    EXPECT_EQ(kMediaWindowStyle, media.style & kMediaWindowStyle);
    // No drive can eject: the eject itself is never sent.
    const std::vector<MediaWindowTrace::Sent> expected = {
        {kOpen, L"cdaudio"}, {kCanEject, L""}, {WM_CLOSE, L""}};
    EXPECT_EQ(expected, trace.sent);
    EXPECT_EQ(std::vector<HWND>{media.window}, trace.destroyed);
    EXPECT_FALSE(::IsWindow(media.window));
}

TEST_F(DiscEject, OnlyTheExactType801Ejects) {
    for (DWORD cmdType : {0x800, 0x803, 0x811}) {
        SCOPED_TRACE(cmdType);
        MediaWindowTrace trace;
        ASSERT_TRUE(trace.hooked());
        EXPECT_EQ(S_OK, press(cmdType));
        EXPECT_TRUE(trace.created.empty());
    }
}

TEST_F(DiscEject, WithoutARecordTheCommandFails) {
    OtherCommand command(dispatcher_.window());
    EXPECT_EQ(0, command.execute());
}
