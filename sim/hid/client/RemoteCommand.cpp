#include "RemoteCommand.h"

namespace hidsim {

namespace {

constexpr unsigned kLongestWaitMs = 10 * 60 * 1000;

// Reads steps from the arguments; each reader takes its action's operands.
class Reader {
public:
    explicit Reader(const std::vector<std::wstring>& arguments) : arguments_(arguments) {}

    Command read() {
        Command command;
        while (next_ < arguments_.size() && command.error.empty()) {
            const std::wstring& word = arguments_[next_++];
            if (word == L"-v" || word == L"--verbose") {
                command.verbose = true;
                continue;
            }
            Step step;
            command.error = readStep(word, step);
            command.steps.push_back(std::move(step));
        }
        if (command.error.empty() && command.steps.empty()) {
            command.error = L"nothing to do";
        }
        if (!command.error.empty()) {
            command.steps.clear();
        }
        return command;
    }

private:
    std::wstring readStep(const std::wstring& word, Step& step) {
        std::wstring error;
        if (word == L"press" || word == L"click" || word == L"hold") {
            step.action = word == L"press"   ? Action::Press
                          : word == L"click" ? Action::Click
                                             : Action::Hold;
            error = readButton(word, step);
            if (error.empty() && step.action == Action::Hold) {
                error = readMilliseconds(word, step);
            }
        } else if (word == L"release") {
            step.action = Action::Release;
            error = readReleased(step);
        } else if (word == L"wait") {
            step.action = Action::Wait;
            error = readMilliseconds(word, step);
        } else if (word == L"raw") {
            step.action = Action::Raw;
            error = readRaw(step);
        } else if (word == L"launcher") {
            step.action = Action::Launcher;
        } else if (word == L"launcher-clear") {
            step.action = Action::LauncherClear;
        } else if (word == L"list") {
            step.action = Action::List;
        } else if (word == L"status") {
            step.action = Action::Status;
        } else if (word == L"help" || word == L"-h" || word == L"--help" || word == L"/?") {
            step.action = Action::Help;
        } else {
            error = L"unknown step '" + word + L"'";
        }
        return error;
    }

    const std::wstring* operand() {
        return next_ < arguments_.size() ? &arguments_[next_++] : nullptr;
    }

    std::wstring readButton(const std::wstring& word, Step& step) {
        const std::wstring* text = operand();
        if (!text) {
            return word + L": a button is missing";
        }
        const auto button = parseButton(*text);
        if (!button) {
            return word + L": no button '" + *text + L"'";
        }
        step.button = *button;
        return {};
    }

    std::wstring readReleased(Step& step) {
        const std::wstring* text = operand();
        if (!text) {
            return L"release: a button or collection is missing";
        }
        if (const auto device = parseDevice(*text); device && *device != KHS_LAUNCHER) {
            step.button = {*device, 0};
            return {};
        }
        const auto button = parseButton(*text);
        if (!button) {
            return L"release: no button or collection '" + *text + L"'";
        }
        step.button = *button;
        return {};
    }

    std::wstring readMilliseconds(const std::wstring& word, Step& step) {
        const std::wstring* text = operand();
        const auto value = text ? parseNumber(*text) : std::nullopt;
        if (!value || *value > kLongestWaitMs) {
            return word + L": milliseconds (0 to " + std::to_wstring(kLongestWaitMs) +
                   L") are missing";
        }
        step.milliseconds = *value;
        return {};
    }

    std::wstring readRaw(Step& step) {
        const std::wstring* name = operand();
        const auto device = name ? parseDevice(*name) : std::nullopt;
        if (!device) {
            return L"raw: a device (ffbc, consumer, ff00, other, launcher) is missing";
        }
        const std::wstring* hex = operand();
        const auto bytes = hex ? parseHex(*hex) : std::nullopt;
        if (!bytes || bytes->size() > KHS_MAX_REPORT_LENGTH) {
            return L"raw: report bytes in hex (1 to " + std::to_wstring(KHS_MAX_REPORT_LENGTH) +
                   L") are missing";
        }
        step.button = {*device, 0};
        step.bytes = *bytes;
        return {};
    }

    const std::vector<std::wstring>& arguments_;
    size_t next_ = 0;
};

} // namespace

Command parseCommandLine(const std::vector<std::wstring>& arguments) {
    return Reader(arguments).read();
}

const wchar_t* usageText() {
    return LR"(remote: presses buttons of the simulated remote control, and reads what the
simulated HID launcher received.

usage: remote [-v] STEP...
Steps run in the order given:
  press BUTTON           send the button's press report only
  release BUTTON|COLL    send the collection's release report only
  click BUTTON           press, then release
  hold BUTTON MS         press, wait MS milliseconds, release
  wait MS                wait MS milliseconds
  raw DEVICE HEX         send HEX as one input report of DEVICE, report id first,
                         e.g. raw ff00 03-00-00-00-00-90-00-00
  launcher               print the output reports the launcher device received
  launcher-clear         forget them
  list                   print the button names
  status                 print the devices' state
BUTTON: a name from 'remote list' (case ignored), or COLL:CODE with CODE in decimal or
  0x hex, e.g. consumer:0xB0, ffbc:0x8D, ff00:0x90, other:0x05.
COLL: the remote's collections and where a press puts the code:
  ffbc      0xFFBC/0x88, report 01 LO HI
  consumer  0x000C/0x01, report 02 LO HI
  ff00      0xFF00/0x01, report 03 00 00 00 00 CODE 00 00
  other     0x0001/0x80 (also 'system'), report 04 CODE; Zapper does not listen to it
  A release sends the same report with the code 0.
DEVICE: a collection, or launcher (0x5664/0x6B2E, input report 01 XX).
-v prints each report sent.
Exit codes: 0 done, 1 bad command line, 2 driver not reachable, 3 a report refused.
Example: remote click Play wait 200 hold Guide 1500 click ff00:0x90
)";
}

} // namespace hidsim
