// The test programs' own key sender: each call (one chord) is recorded, then handed to the
// platform, so that tests see both the calls and the real keystrokes.
#pragma once

#include "KeyboardRecorder.h"

#include <vector>

std::vector<std::vector<KeyStroke>> sentKeyCalls();
void clearSentKeyCalls();
