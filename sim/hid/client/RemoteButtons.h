// The simulated remote's buttons: names, collections, and the input reports they send.
#pragma once

#include "KestrelHidSim.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace hidsim {

using Report = std::vector<std::uint8_t>;

struct Button {
    khs_device_index device;
    std::uint16_t code;
};

struct NamedButton {
    const wchar_t* name;
    khs_device_index device;
    std::uint16_t code;
};

// Every button with a name, grouped by collection.
const std::vector<NamedButton>& namedButtons();

// A collection (or device) by its short name: ffbc, consumer, ff00, system (also "other"),
// launcher. Case does not matter.
std::optional<khs_device_index> parseDevice(std::wstring_view text);

// The short name of a device, as parseDevice reads it.
std::wstring deviceName(khs_device_index device);

// A button by name ("Play", case ignored) or as COLLECTION:CODE ("consumer:0xB0", "ff00:144").
// Codes fit the collection's report: 16 bits on ffbc and consumer, 8 bits on ff00 and system;
// 0 is no button (it is the release). The launcher has no buttons.
std::optional<Button> parseButton(std::wstring_view text);

// A number in decimal or with 0x in front.
std::optional<std::uint32_t> parseNumber(std::wstring_view text);

// Report bytes as hex digits, pairs optionally separated by '-', ':', ',' or '.'.
std::optional<Report> parseHex(std::wstring_view text);
std::wstring formatHex(const std::uint8_t* data, std::size_t length);

// The report a press of the button sends, and the one that releases every button of a
// collection. Both are full-length reports with the collection's report id.
Report pressReport(const Button& button);
Report releaseReport(khs_device_index device);

} // namespace hidsim
