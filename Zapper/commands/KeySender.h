// The one place where synthesized keystrokes leave the program: one call per chord.
#pragma once

#include <windows.h>

UINT sendKeyInputs(UINT count, INPUT* inputs);
