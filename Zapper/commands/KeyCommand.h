// Synthesized keystrokes for whatever window has the keyboard focus. The key text is
// hexadecimal virtual-key codes joined by "&" (keys of one chord) and "|" (successive
// chords), for example "11&43" or "5B&44|0D".
#pragma once

#include "Model.h"

#include <cstdint>

class KeyCommand : public Command {
public:
    static constexpr int kMaxKeys = 90;

    struct KeyEntry {
        std::uint16_t key;
        std::uint16_t separator; // '&', '|', or 0 after the last key
    };

    int execute() override;
    HRESULT setCmdInfo(CmdInfo* cmdInfo) override;

    // Presses and releases each chord in one call: the downs in list order, then the ups.
    void CreateKeyEvent();
    // Mode 1: key-ups only, a chord of several keys in reverse; mode 2: key-downs only.
    void CreateKeyEvent1(int mode);

    const KeyEntry* keys() const { return keys_; }

private:
    enum class Send { PressAndRelease, ReleaseOnly, PressOnly };
    void sendChords(Send what);

    KeyEntry keys_[kMaxKeys] = {};
};
