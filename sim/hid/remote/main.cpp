// remote: presses buttons of the simulated remote control through the HID simulation's control
// channel, and shows the output reports the simulated launcher received. See usageText().
#include <windows.h>

#include "HidSimControl.h"
#include "RemoteCommand.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

enum ExitCode : int { Done = 0, BadCommandLine = 1, Unreachable = 2, Refused = 3 };

class Runner {
public:
    explicit Runner(bool verbose) : verbose_(verbose) {}

    int run(const std::vector<hidsim::Step>& steps) {
        for (const hidsim::Step& step : steps) {
            const int code = runStep(step);
            if (code != Done) {
                return code;
            }
        }
        return Done;
    }

private:
    int runStep(const hidsim::Step& step) {
        using hidsim::Action;
        switch (step.action) {
        case Action::Press:
            return send(step.button.device, hidsim::pressReport(step.button), L"press");
        case Action::Release:
            return send(step.button.device, hidsim::releaseReport(step.button.device), L"release");
        case Action::Click:
        case Action::Hold: {
            int code = send(step.button.device, hidsim::pressReport(step.button), L"press");
            if (code == Done && step.action == Action::Hold) {
                ::Sleep(step.milliseconds);
            }
            if (code == Done) {
                code =
                    send(step.button.device, hidsim::releaseReport(step.button.device), L"release");
            }
            return code;
        }
        case Action::Wait:
            ::Sleep(step.milliseconds);
            return Done;
        case Action::Raw:
            return send(step.button.device, step.bytes, L"raw");
        case Action::Launcher:
            return printOutputReports();
        case Action::LauncherClear:
            return withControl(
                [](hidsim::Control& control) { return control.clearOutputReports(); },
                L"clearing the launcher's output reports");
        case Action::List:
            printButtons();
            return Done;
        case Action::Status:
            return printStatus();
        case Action::Help:
            std::fwprintf(stdout, L"%ls", hidsim::usageText());
            return Done;
        }
        return Done;
    }

    // Opens the control channel on first use, so that list and help work without the driver.
    int connect() {
        if (control_.isOpen()) {
            return Done;
        }
        const DWORD error = control_.open();
        if (error != ERROR_SUCCESS) {
            std::fwprintf(stderr,
                          L"remote: the simulated HID devices are not there (%ls): %ls\n"
                          L"(the test prefix installs them; see hidsim-install)\n",
                          KHS_CONTROL_PATH, hidsim::errorText(error).c_str());
            return Unreachable;
        }
        return Done;
    }

    template <typename Call>
    int withControl(Call call, const wchar_t* what) {
        if (const int code = connect(); code != Done) {
            return code;
        }
        const DWORD error = call(control_);
        if (error != ERROR_SUCCESS) {
            std::fwprintf(stderr, L"remote: %ls: %ls\n", what, hidsim::errorText(error).c_str());
            return Refused;
        }
        return Done;
    }

    int send(khs_device_index device, const hidsim::Report& report, const wchar_t* what) {
        const std::wstring text = hidsim::deviceName(device) + L" " + what + L" " +
                                  hidsim::formatHex(report.data(), report.size());
        const int code = withControl(
            [&](hidsim::Control& control) {
                return control.inject(device, report.data(), report.size());
            },
            text.c_str());
        if (code == Done && verbose_) {
            std::fwprintf(stdout, L"%ls\n", text.c_str());
        }
        return code;
    }

    int printOutputReports() {
        khs_output_log log = {};
        const int code =
            withControl([&](hidsim::Control& control) { return control.outputReports(log); },
                        L"reading the launcher's output reports");
        if (code != Done) {
            return code;
        }
        std::fwprintf(stdout, L"output reports received: %u\n", log.total);
        for (unsigned i = 0; i < log.count && i < KHS_MAX_OUTPUT_REPORTS; ++i) {
            const khs_output_report& entry = log.reports[i];
            std::fwprintf(stdout, L"%ls %ls %ls\n",
                          hidsim::deviceName(static_cast<khs_device_index>(entry.device)).c_str(),
                          entry.kind == KHS_OUTPUT_WRITE ? L"write" : L"set-output",
                          hidsim::formatHex(entry.data, entry.length).c_str());
        }
        return Done;
    }

    int printStatus() {
        khs_status status = {};
        const int code =
            withControl([&](hidsim::Control& control) { return control.status(status); },
                        L"reading the devices' state");
        if (code != Done) {
            return code;
        }
        for (unsigned i = 0; i < KHS_DEVICE_COUNT; ++i) {
            const khs_device_status& device = status.devices[i];
            std::fwprintf(stdout, L"%-9ls %04X/%04X  %ls, injected %u, delivered %u, queued %u\n",
                          hidsim::deviceName(static_cast<khs_device_index>(i)).c_str(),
                          khs_devices[i].usage_page, khs_devices[i].usage,
                          !device.started       ? L"not started"
                          : device.read_pending ? L"ready"
                                                : L"busy",
                          device.injected, device.delivered, device.queued);
        }
        return Done;
    }

    static void printButtons() {
        for (const hidsim::NamedButton& button : hidsim::namedButtons()) {
            std::fwprintf(stdout, L"%-12ls %ls:0x%02X\n", button.name,
                          hidsim::deviceName(button.device).c_str(), button.code);
        }
    }

    hidsim::Control control_;
    bool verbose_;
};

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::vector<std::wstring> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::fwprintf(stderr, L"%ls", hidsim::usageText());
        return BadCommandLine;
    }
    const hidsim::Command command = hidsim::parseCommandLine(arguments);
    if (!command.error.empty()) {
        std::fwprintf(stderr, L"remote: %ls\n(remote help prints the usage)\n",
                      command.error.c_str());
        return BadCommandLine;
    }
    return Runner(command.verbose).run(command.steps);
}
