#include "Conditions.h"

namespace {

constexpr DWORD kForegroundClass = 0x01;
constexpr DWORD kParentClass = 0x02;
constexpr DWORD kWindowExists = 0x04;
constexpr DWORD kWindowMaximized = 0x10;
constexpr DWORD kWindowMinimized = 0x20;

bool classNameIs(HWND window, const std::wstring& className) {
    wchar_t name[MAX_PATH] = {};
    if (::GetClassNameW(window, name, MAX_PATH) == 0) {
        return false;
    }
    return ::lstrcmpiW(name, className.c_str()) == 0;
}

} // namespace

HRESULT ApplicationCondition::setCmdInfo(CmdInfo* cmdInfo) {
    if (!cmdInfo) {
        return kConditionNoRecord;
    }
    cmdInfo_ = cmdInfo;
    Context fields;
    fields.line = cmdInfo->ConditionParam;
    for (std::wstring* field : {&className_, &title_, &extra_}) {
        const HRESULT result = fields.getNextToken(*field);
        if (FAILED(result)) {
            return result;
        }
    }
    return S_OK;
}

bool ApplicationCondition::foregroundClassMatches() const {
    const HWND foreground = ::GetForegroundWindow();
    return foreground && classNameIs(foreground, className_);
}

bool ApplicationCondition::parentClassMatches() const {
    const HWND foreground = ::GetForegroundWindow();
    if (!foreground) {
        return false;
    }
    const HWND parent = ::GetParent(foreground);
    return parent && classNameIs(parent, className_);
}

HWND ApplicationCondition::findWindow() const {
    return ::FindWindowW(className_.empty() ? nullptr : className_.c_str(),
                         title_.empty() ? nullptr : title_.c_str());
}

int ApplicationCondition::isMatch() {
    if (!cmdInfo_) {
        return 0;
    }
    const DWORD bits = cmdInfo_->Condition;
    const bool negate = cmdInfo_->ConditionMode == 1;
    auto holds = [&](bool result) { return negate ? !result : result; };

    if ((bits & kForegroundClass) && holds(foregroundClassMatches())) {
        return 1;
    }
    if ((bits & kParentClass) && holds(parentClassMatches())) {
        return 1;
    }
    if ((bits & kWindowExists) && holds(findWindow() != nullptr)) {
        return 1;
    }
    if (bits & kWindowMaximized) {
        const HWND window = findWindow();
        if (holds(window && (::GetWindowLongW(window, GWL_STYLE) & WS_MAXIMIZE))) {
            return 1;
        }
    }
    if (bits & kWindowMinimized) {
        const HWND window = findWindow();
        if (holds(window && (::GetWindowLongW(window, GWL_STYLE) & WS_MINIMIZE))) {
            return 1;
        }
    }
    return 0;
}
