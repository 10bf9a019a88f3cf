#include "TestDispatcher.h"

#include "CmdSetting.h"

#include <cwchar>

namespace {

// Zapper's main window without its start-up; the test owns the object, not the window.
class IdleZapperDlg : public CZapperDlg {
protected:
    BOOL OnInitDialog() override { return TRUE; }
    void PostNcDestroy() override {}
};

std::wstring hex(DWORD value) {
    wchar_t text[16] = {};
    std::swprintf(text, 16, L"%lX", static_cast<unsigned long>(value));
    return text;
}

std::wstring field(const std::wstring& text) {
    return text.find(L',') == std::wstring::npos ? text : L"\"" + text + L"\"";
}

} // namespace

std::wstring tableLine(const std::vector<TestRecord>& records) {
    std::wstring line = L"Play,B0,C,1";
    for (const TestRecord& record : records) {
        line += L",0,0," + hex(record.condition) + L"," + hex(record.conditionMode) + L"," +
                field(record.conditionParam) + L",0," + hex(record.cmdType) + L"," +
                field(record.cmdParam);
    }
    return line;
}

TestDispatcher::TestDispatcher(Window window) {
    if (window == Window::None) {
        dialog_ = std::make_unique<CZapperDlg>();
        return;
    }
    auto idle = std::make_unique<IdleZapperDlg>();
    idle->Create(kMainDialogTemplate, nullptr);
    dialog_ = std::move(idle);
}

TestDispatcher::~TestDispatcher() {
    if (dialog_->GetSafeHwnd()) {
        dialog_->DestroyWindow();
    }
}

bool TestDispatcher::setTable(const std::vector<std::wstring>& lines) {
    clearButtonTable(dialog_->buttonTable());
    for (const std::wstring& text : lines) {
        auto button = std::make_unique<ButtonInfo>();
        if (!parseButtonLine(text, *button)) {
            return false;
        }
        dialog_->buttonTable().push_back(std::move(button));
    }
    return true;
}

HRESULT TestDispatcher::press() {
    dialog_->setReleased(0);
    return dialog_->executeCommand(kTestButton);
}
