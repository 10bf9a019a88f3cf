#include "RemoteButtons.h"

#include <cwctype>

namespace hidsim {

namespace {

std::wstring lower(std::wstring_view text) {
    std::wstring result(text);
    for (wchar_t& c : result) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return result;
}

std::uint32_t largestCode(khs_device_index device) {
    switch (device) {
    case KHS_REMOTE_FFBC:
    case KHS_REMOTE_CONSUMER:
        return 0xFFFF;
    case KHS_REMOTE_FF00:
    case KHS_REMOTE_SYSTEM:
        return 0xFF;
    default:
        return 0;
    }
}

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    c = static_cast<wchar_t>(std::towlower(c));
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    return -1;
}

} // namespace

const std::vector<NamedButton>& namedButtons() {
    // Consumer and system control usages from the HID usage tables, Media Center button codes
    // on 0xFFBC. The codes on 0xFF00 are this simulation's own.
    static const std::vector<NamedButton> buttons = {
        {L"Start", KHS_REMOTE_FFBC, 0x0D},
        {L"DVDMenu", KHS_REMOTE_FFBC, 0x24},
        {L"LiveTV", KHS_REMOTE_FFBC, 0x25},
        {L"MyTV", KHS_REMOTE_FFBC, 0x46},
        {L"MyMusic", KHS_REMOTE_FFBC, 0x47},
        {L"RecordedTV", KHS_REMOTE_FFBC, 0x48},
        {L"MyPictures", KHS_REMOTE_FFBC, 0x49},
        {L"MyVideos", KHS_REMOTE_FFBC, 0x4A},
        {L"Guide", KHS_REMOTE_FFBC, 0x8D},
        {L"ChannelUp", KHS_REMOTE_CONSUMER, 0x9C},
        {L"ChannelDown", KHS_REMOTE_CONSUMER, 0x9D},
        {L"Play", KHS_REMOTE_CONSUMER, 0xB0},
        {L"Pause", KHS_REMOTE_CONSUMER, 0xB1},
        {L"Record", KHS_REMOTE_CONSUMER, 0xB2},
        {L"FastForward", KHS_REMOTE_CONSUMER, 0xB3},
        {L"Rewind", KHS_REMOTE_CONSUMER, 0xB4},
        {L"Next", KHS_REMOTE_CONSUMER, 0xB5},
        {L"Previous", KHS_REMOTE_CONSUMER, 0xB6},
        {L"Stop", KHS_REMOTE_CONSUMER, 0xB7},
        {L"Eject", KHS_REMOTE_CONSUMER, 0xB8},
        {L"PlayPause", KHS_REMOTE_CONSUMER, 0xCD},
        {L"Mute", KHS_REMOTE_CONSUMER, 0xE2},
        {L"VolumeUp", KHS_REMOTE_CONSUMER, 0xE9},
        {L"VolumeDown", KHS_REMOTE_CONSUMER, 0xEA},
        {L"Home", KHS_REMOTE_CONSUMER, 0x223},
        {L"Back", KHS_REMOTE_CONSUMER, 0x224},
        {L"3D", KHS_REMOTE_FF00, 0x90},
        {L"Theater", KHS_REMOTE_FF00, 0x91},
        {L"Zoom", KHS_REMOTE_FF00, 0x92},
        {L"Webcam", KHS_REMOTE_FF00, 0x93},
        {L"Power", KHS_REMOTE_SYSTEM, 0x81},
        {L"Sleep", KHS_REMOTE_SYSTEM, 0x82},
        {L"WakeUp", KHS_REMOTE_SYSTEM, 0x83},
    };
    return buttons;
}

std::optional<khs_device_index> parseDevice(std::wstring_view text) {
    const std::wstring name = lower(text);
    if (name == L"other") {
        return KHS_REMOTE_SYSTEM;
    }
    for (unsigned i = 0; i < KHS_DEVICE_COUNT; ++i) {
        const std::string_view known = khs_devices[i].name;
        if (name == std::wstring(known.begin(), known.end())) {
            return static_cast<khs_device_index>(i);
        }
    }
    return std::nullopt;
}

std::wstring deviceName(khs_device_index device) {
    const std::string_view name = device < KHS_DEVICE_COUNT ? khs_devices[device].name : "?";
    return std::wstring(name.begin(), name.end());
}

std::optional<std::uint32_t> parseNumber(std::wstring_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (wchar_t c : text) {
        const int digit = hexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            return std::nullopt;
        }
        const std::uint64_t next = std::uint64_t{value} * base + static_cast<unsigned>(digit);
        if (next > 0xFFFFFFFFu) {
            return std::nullopt;
        }
        value = static_cast<std::uint32_t>(next);
    }
    return value;
}

std::optional<Button> parseButton(std::wstring_view text) {
    const size_t colon = text.find(L':');
    if (colon == std::wstring_view::npos) {
        const std::wstring name = lower(text);
        for (const NamedButton& button : namedButtons()) {
            if (name == lower(button.name)) {
                return Button{button.device, button.code};
            }
        }
        return std::nullopt;
    }
    const auto device = parseDevice(text.substr(0, colon));
    const auto code = parseNumber(text.substr(colon + 1));
    if (!device || !code || *code == 0 || *code > largestCode(*device)) {
        return std::nullopt;
    }
    return Button{*device, static_cast<std::uint16_t>(*code)};
}

std::optional<Report> parseHex(std::wstring_view text) {
    Report bytes;
    int high = -1;
    for (wchar_t c : text) {
        if (c == L'-' || c == L':' || c == L',' || c == L'.') {
            if (high >= 0) {
                return std::nullopt; // a lone digit before a separator
            }
            continue;
        }
        const int digit = hexDigit(c);
        if (digit < 0) {
            return std::nullopt;
        }
        if (high < 0) {
            high = digit;
        } else {
            bytes.push_back(static_cast<std::uint8_t>(high * 16 + digit));
            high = -1;
        }
    }
    if (high >= 0 || bytes.empty()) {
        return std::nullopt;
    }
    return bytes;
}

std::wstring formatHex(const std::uint8_t* data, std::size_t length) {
    static const wchar_t digits[] = L"0123456789ABCDEF";
    std::wstring text;
    for (std::size_t i = 0; i < length; ++i) {
        if (i) {
            text.push_back(L' ');
        }
        text.push_back(digits[data[i] >> 4]);
        text.push_back(digits[data[i] & 0x0F]);
    }
    return text;
}

Report releaseReport(khs_device_index device) {
    Report report(khs_devices[device].input_report_length, 0);
    report[0] = khs_devices[device].input_report_id;
    return report;
}

Report pressReport(const Button& button) {
    Report report = releaseReport(button.device);
    switch (button.device) {
    case KHS_REMOTE_FFBC:
    case KHS_REMOTE_CONSUMER:
        report[1] = static_cast<std::uint8_t>(button.code & 0xFF);
        report[2] = static_cast<std::uint8_t>(button.code >> 8);
        break;
    case KHS_REMOTE_FF00:
        report[KHS_FF00_CODE_OFFSET] = static_cast<std::uint8_t>(button.code);
        break;
    case KHS_REMOTE_SYSTEM:
        report[1] = static_cast<std::uint8_t>(button.code);
        break;
    default:
        break;
    }
    return report;
}

} // namespace hidsim
