// The `remote` command line, read into steps before anything is sent.
#pragma once

#include "RemoteButtons.h"

#include <string>
#include <vector>

namespace hidsim {

enum class Action {
    Press,         // the button's press report
    Release,       // the collection's release report
    Click,         // press, then release
    Hold,          // press, wait, release
    Wait,          // nothing for a while
    Raw,           // the given bytes as one input report
    Launcher,      // print the output reports received
    LauncherClear, // forget them
    List,          // print the button names
    Status,        // print the devices' state
    Help,
};

struct Step {
    Action action = Action::Help;
    Button button = {KHS_REMOTE_CONSUMER, 0}; // Release: code 0 when a collection was named
    unsigned milliseconds = 0;                // Hold, Wait
    Report bytes;                             // Raw; button.device is the device
};

struct Command {
    std::vector<Step> steps;
    bool verbose = false;
    std::wstring error; // set when the command line is wrong
};

// `arguments` without the program name.
Command parseCommandLine(const std::vector<std::wstring>& arguments);

const wchar_t* usageText();

} // namespace hidsim
