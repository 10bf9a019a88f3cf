#include "KeyCommand.h"

#include "KeySender.h"

#include <cwchar>
#include <vector>

namespace {

// Hexadecimal as the key text writes it: blanks skipped, digits up to the first other
// character, 0 when there is none.
std::uint16_t readKeyCode(const std::wstring& token) {
    size_t position = 0;
    while (position < token.size() && (token[position] == L' ' || token[position] == L'\t')) {
        ++position;
    }
    unsigned long value = 0;
    for (; position < token.size(); ++position) {
        const wchar_t c = token[position];
        int digit;
        if (c >= L'0' && c <= L'9') {
            digit = c - L'0';
        } else if (c >= L'a' && c <= L'f') {
            digit = c - L'a' + 10;
        } else if (c >= L'A' && c <= L'F') {
            digit = c - L'A' + 10;
        } else {
            break;
        }
        value = (value << 4) | static_cast<unsigned long>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

INPUT keyInput(std::uint16_t key, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

} // namespace

HRESULT KeyCommand::setCmdInfo(CmdInfo* cmdInfo) {
    cmdInfo_ = cmdInfo;
    if (!cmdInfo) {
        return S_OK;
    }
    const wchar_t* text = cmdInfo->CmdParam;
    const size_t length = std::wcslen(text);
    std::wstring token;
    int entry = 0;
    for (size_t i = 0; i < length && entry < kMaxKeys; ++i) {
        const wchar_t c = text[i];
        if (c == L'&' || c == L'|') {
            keys_[entry].key = readKeyCode(token);
            keys_[entry].separator = static_cast<std::uint16_t>(c);
            token.clear();
            ++entry;
        } else if (i + 1 == length) {
            token.push_back(c);
            keys_[entry].key = readKeyCode(token);
            keys_[entry].separator = 0;
        } else {
            token.push_back(c);
        }
    }
    return S_OK;
}

void KeyCommand::sendChords(Send what) {
    // The list read as one run of 16-bit values (key, separator, key, ...) that ends at the
    // first 0; a chord closes at "|" or at that end. A run that ends where a key is expected
    // (the text ended in a separator) leaves the open chord unsent.
    std::vector<std::uint16_t> values;
    values.reserve(2 * kMaxKeys + 1);
    for (const KeyEntry& entry : keys_) {
        if (entry.key == 0) {
            break;
        }
        values.push_back(entry.key);
        if (entry.separator == 0) {
            break;
        }
        values.push_back(entry.separator);
    }
    const std::uint16_t kEnd = 0;
    values.push_back(kEnd);

    std::vector<std::uint16_t> chord;
    bool expectKey = true;
    for (const std::uint16_t value : values) {
        if (expectKey) {
            if (value == kEnd) {
                return;
            }
            chord.push_back(value);
            expectKey = false;
            continue;
        }
        expectKey = true;
        if (value != L'|' && value != kEnd) {
            continue;
        }
        std::vector<INPUT> inputs;
        switch (what) {
        case Send::PressAndRelease:
            for (std::uint16_t key : chord) {
                inputs.push_back(keyInput(key, false));
            }
            for (std::uint16_t key : chord) {
                inputs.push_back(keyInput(key, true));
            }
            break;
        case Send::ReleaseOnly:
            for (auto key = chord.rbegin(); key != chord.rend(); ++key) {
                inputs.push_back(keyInput(*key, true));
            }
            break;
        case Send::PressOnly:
            for (std::uint16_t key : chord) {
                inputs.push_back(keyInput(key, false));
            }
            break;
        }
        sendKeyInputs(static_cast<UINT>(inputs.size()), inputs.data());
        chord.clear();
        if (value == kEnd) {
            return;
        }
    }
}

void KeyCommand::CreateKeyEvent() {
    sendChords(Send::PressAndRelease);
}

void KeyCommand::CreateKeyEvent1(int mode) {
    sendChords(mode == 1 ? Send::ReleaseOnly : Send::PressOnly);
}

int KeyCommand::execute() {
    const bool hold = cmdInfo_ && cmdInfo_->isRepeat == 1;
    if (!hold) {
        ::OutputDebugStringW(L"CreateKeyEvent");
        CreateKeyEvent();
    } else if (cmdInfo_->released == 1) {
        ::OutputDebugStringW(L"CreateKeyEvent1 Up");
        CreateKeyEvent1(1);
    } else {
        ::OutputDebugStringW(L"CreateKeyEvent1 Down");
        CreateKeyEvent1(2);
    }
    return 1;
}
