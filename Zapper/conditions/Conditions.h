// The tests that limit a table line to a situation: the disc in the optical drive, the
// window in front, the firmware's Rozuroz IV state. Each reads the line's first record.
#pragma once

#include "Model.h"

#include <string>

class SysBridgeHelper;

constexpr HRESULT kConditionNoRecord = static_cast<HRESULT>(0x80000501);

// The operating system never restricts a line.
class OsCondition : public Condition {
public:
    int isMatch() override { return 1; }
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;
};

// The kind of disc in the first optical drive, by its marker files.
class MediaCondition : public Condition {
public:
    int isMatch() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;
};

// The window in front, its parent, or a top-level window by class and title. The condition
// text holds the class text, the title text and a third, unused field.
class ApplicationCondition : public Condition {
public:
    int isMatch() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;

private:
    bool foregroundClassMatches() const;
    bool parentClassMatches() const;
    HWND findWindow() const;

    std::wstring className_;
    std::wstring title_;
    std::wstring extra_;
};

// The firmware's Rozuroz IV state, asked afresh at every check; never negated.
class InstantTVCondition : public Condition {
public:
    explicit InstantTVCondition(SysBridgeHelper* bridge) : bridge_(bridge) {}
    int isMatch() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;

private:
    SysBridgeHelper* bridge_; // not owned
};
