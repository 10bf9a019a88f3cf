// The tools for tests and people: dbgcapture, tilelauncher and zapperctl, on real processes
// and a window that stands where Zapper's would.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

using namespace testing_support;

namespace {

std::wstring logprobeCopy(const TempFolder& folder) {
    const std::wstring program = folder.file(L"logprobe.exe");
    copyInto(windowsPath(LOGPROBE_PATH), program);
    writeFile(folder.path() / L"DbgLog.ini", "[LOG]\r\nLevel=2\r\nDestination=1\r\n");
    return program;
}

// A hidden window with Zapper's class and caption, on a thread with its own message loop;
// it keeps the registered notification messages it receives.
class StandInWindow {
public:
    StandInWindow() {
        thread_ = std::thread([this] { run(); });
        while (!window_.load()) {
            std::this_thread::yield();
        }
    }
    ~StandInWindow() {
        ::PostMessageW(window_.load(), WM_CLOSE, 0, 0);
        thread_.join();
    }

    std::vector<WPARAM> codes() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return codes_;
    }

private:
    static INT_PTR CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        static const UINT notify =
            ::RegisterWindowMessageW(L"9C41D7B2-3E6A-4F05-B1D8-72A5C0E94F13");
        if (message == WM_INITDIALOG) {
            ::SetWindowLongPtrW(window, DWLP_USER, lParam);
            return TRUE;
        }
        auto* self = reinterpret_cast<StandInWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (message == notify && self) {
            std::lock_guard<std::mutex> lock(self->mutex_);
            self->codes_.push_back(wParam);
            return TRUE;
        }
        if (message == WM_CLOSE) {
            ::DestroyWindow(window);
            ::PostQuitMessage(0);
            return TRUE;
        }
        return FALSE;
    }

    void run() {
        // An in-memory dialog template: a pop-up with the caption the tools look for.
        struct {
            DLGTEMPLATE header;
            WORD menu, windowClass;
            wchar_t caption[11];
        } dialog = {{WS_POPUP | WS_CAPTION, 0, 0, 0, 0, 10, 10}, 0, 0, L"ZapperHost"};
        const HWND window =
            ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), &dialog.header, nullptr,
                                         &StandInWindow::procedure, reinterpret_cast<LPARAM>(this));
        window_.store(window);
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::DispatchMessageW(&message);
        }
    }

    std::thread thread_;
    std::atomic<HWND> window_{nullptr};
    mutable std::mutex mutex_;
    std::vector<WPARAM> codes_;
};

} // namespace

TEST(DebugCaptureTool, KeepsTheProgramsLinesAndItsExitCode) {
    TempFolder folder;
    const std::wstring probe = logprobeCopy(folder);
    const std::wstring output = folder.file(L"captured.txt");
    const auto code =
        runProgram(binPath(L"dbgcapture.exe"),
                   L"-o \"" + output + L"\" -- \"" + probe + L"\" inf first wrn second bad", 30000);
    ASSERT_TRUE(code.has_value());
    EXPECT_EQ(2u, *code); // logprobe ends with 2 on the unknown action "bad"
    std::istringstream lines(readFile(output));
    std::vector<std::string> captured;
    for (std::string line; std::getline(lines, line);) {
        captured.push_back(line);
    }
    ASSERT_EQ(2u, captured.size());
    EXPECT_NE(std::string::npos, captured[0].find("[INF] (wmain): first"));
    EXPECT_NE(std::string::npos, captured[1].find("[WRN] (wmain): second"));
}

TEST(DebugCaptureTool, RefusesABadCommandLine) {
    EXPECT_EQ(2u, runProgram(binPath(L"dbgcapture.exe"), L"-x", 10000).value_or(0));
}

TEST(TileLauncherTool, PostsTheNotificationCodes) {
    EXPECT_EQ(1u, runProgram(binPath(L"tilelauncher.exe"), L"tv").value_or(0)); // no Zapper
    StandInWindow window;
    for (const wchar_t* argument : {L"tv", L"RECORD", L"0x1234", L"7"}) {
        EXPECT_EQ(0u, runProgram(binPath(L"tilelauncher.exe"), argument).value_or(9)) << argument;
    }
    EXPECT_EQ(2u, runProgram(binPath(L"tilelauncher.exe"), L"radio").value_or(0));
    EXPECT_EQ(2u, runProgram(binPath(L"tilelauncher.exe"), L"").value_or(0));
    ASSERT_TRUE(waitUntil([&] { return window.codes().size() == 4; }, 5000));
    EXPECT_EQ((std::vector<WPARAM>{0x0D67, 0x0D63, 0x1234, 7}), window.codes());
}

TEST(ZapperCtlTool, WaitsForAndReportsTheWindow) {
    EXPECT_EQ(1u, runProgram(binPath(L"zapperctl.exe"), L"running").value_or(0));
    EXPECT_EQ(1u, runProgram(binPath(L"zapperctl.exe"), L"wait 1").value_or(0));
    StandInWindow window;
    EXPECT_EQ(0u, runProgram(binPath(L"zapperctl.exe"), L"running").value_or(1));
    EXPECT_EQ(0u, runProgram(binPath(L"zapperctl.exe"), L"wait 5").value_or(1));
    EXPECT_EQ(2u, runProgram(binPath(L"zapperctl.exe"), L"dance").value_or(0));
}
