// Zapper's dispatcher as these tests drive it: a main window object with a table of the test's
// own lines, pressed through executeCommand. The object is either never created as a window,
// or a real window that stays hidden and idle: made from this test program's own dialog
// template (a caption of its own, so that tests looking for a running Zapper never find it)
// and without Zapper's start-up (raw input, settings, wake-up polling), which would take
// seconds and is not what these tests are about.
#pragma once

#include "ZapperDlg.h"

#include <memory>
#include <string>
#include <vector>

// The button every test line answers: consumer control, Play.
constexpr ButtonEvent kTestButton{1, 0x000C, 0x0001, 0x00B0};

// One command record of a test line: TestRecord().when(0x202).does(0x100, L"WinDVD.exe").
struct TestRecord {
    TestRecord& when(DWORD newCondition, DWORD mode = 0, const std::wstring& text = L"") {
        condition = newCondition;
        conditionMode = mode;
        conditionParam = text;
        return *this;
    }
    TestRecord& does(DWORD type, const std::wstring& parameter = L"") {
        cmdType = type;
        cmdParam = parameter;
        return *this;
    }

    DWORD condition = 0;
    DWORD conditionMode = 0;
    std::wstring conditionParam;
    DWORD cmdType = 0;
    std::wstring cmdParam;
};

// The table line of kTestButton with these records, written as the registry holds it: numbers
// in hexadecimal, a text that holds the separator in quotes.
std::wstring tableLine(const std::vector<TestRecord>& records);

class TestDispatcher {
public:
    enum class Window { None, Hidden };

    explicit TestDispatcher(Window window = Window::None);
    ~TestDispatcher();
    TestDispatcher(const TestDispatcher&) = delete;
    TestDispatcher& operator=(const TestDispatcher&) = delete;

    CZapperDlg& dialog() { return *dialog_; }
    SysBridgeHelper& bridge() { return dialog_->bridge(); }
    // The hidden window; null for Window::None or when it could not be created.
    HWND window() const { return dialog_->GetSafeHwnd(); }

    // Replaces the table; false when a line does not parse.
    [[nodiscard]] bool setTable(const std::vector<std::wstring>& lines);
    // A press of kTestButton.
    HRESULT press();

private:
    std::unique_ptr<CZapperDlg> dialog_;
};
