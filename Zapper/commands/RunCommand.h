// Starts the first installed application of a line's list of alternatives, through the shell.
// Each alternative is an executable name or path, optionally followed by a blank and the
// arguments; well-known names (WinDVD.exe, Verdant.exe, Startpad.exe, Tunerdesk.exe) get
// their full paths.
#pragma once

#include "Model.h"

#include <string>

class SysBridgeHelper;

class RunCommand : public Command {
public:
    RunCommand(HWND owner, SysBridgeHelper* bridge) : owner_(owner), bridge_(bridge) {}

    int execute() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;

    bool setInstalledApplication();
    bool setInstalledApplicationForInstantTV();
    bool IsInstalled(const std::wstring& executable);
    static void ActivateWnd(HWND window);
    bool getWinDVDExePath(std::wstring& path);
    bool getVerdantUtilityExePath(std::wstring& path);
    bool getMCEButtonAppPath(std::wstring& path);
    bool getTunerdeskAppPath(std::wstring& path);

    const std::wstring& executable() const { return executable_; }
    const std::wstring& arguments() const { return arguments_; }

private:
    // Walks the alternatives; `prepare` may change the argument text and decides whether the
    // install test runs for an alternative.
    template <typename Prepare>
    bool findInstalled(Prepare prepare);
    void splitAlternative(const std::wstring& alternative);

    std::wstring executable_;
    std::wstring arguments_;
    HWND owner_;
    SysBridgeHelper* bridge_; // not owned
};
