#include "KeySender.h"

UINT sendKeyInputs(UINT count, INPUT* inputs) {
    return ::SendInput(count, inputs, sizeof(INPUT));
}
