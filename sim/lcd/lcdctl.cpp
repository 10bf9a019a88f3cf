// lcdctl: scripts and shows the LCD stand-in by hand.
//
//   lcdctl show                     state: levels, current, last set, failures, presence
//   lcdctl reset                    defaults, failures off, \\.\LCD present
//   lcdctl set-levels 10,20,30      the levels the device reports ("none" for none)
//   lcdctl set-current AC[,DC]      current AC and DC levels (DC defaults to AC)
//   lcdctl set-power ac|dc|N        the power source (policy byte) a query reports
//   lcdctl fail supported|current|set STATUS|off
//                                   make a request answer with an NTSTATUS, e.g. 0xC0000001
//   lcdctl absent | present         remove or restore the name \\.\LCD
//   lcdctl query                    ask \\.\LCD as Zapper does
//   lcdctl send POLICY,AC,DC        set through \\.\LCD as Zapper does
//
// Exit code: 0 done, 1 the device refused or is not there, 2 usage. The stand-in driver (the
// KestrelSim service) starts with each test session; outside one, start it with `sc start`.
#include "LcdSim.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

namespace {

int usage() {
    std::fputs("usage: lcdctl show | reset | set-levels L,L,... | set-current AC[,DC]\n"
               "              | set-power ac|dc|N | fail supported|current|set STATUS|off\n"
               "              | absent | present | query | send POLICY,AC,DC\n",
               stderr);
    return 2;
}

int failure(const char* what, DWORD error) {
    std::fprintf(stderr, "lcdctl: %s failed, error %lu\n", what, error);
    return 1;
}

std::optional<std::uint32_t> parseNumber(const std::wstring& text) {
    if (text.empty()) {
        return std::nullopt;
    }
    wchar_t* end = nullptr;
    const unsigned long long value = std::wcstoull(text.c_str(), &end, 0);
    if (*end != L'\0' || value > 0xFFFFFFFFull) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// "10,20,30" as bytes; "none" is the empty list.
std::optional<std::vector<std::uint8_t>> parseBytes(const std::wstring& text) {
    std::vector<std::uint8_t> bytes;
    if (text == L"none") {
        return bytes;
    }
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(L',', start);
        const auto value = parseNumber(text.substr(start, comma - start));
        if (!value || *value > 0xFF) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(*value));
        if (comma == std::wstring::npos) {
            return bytes;
        }
        start = comma + 1;
    }
}

const char* policyName(std::uint8_t policy) {
    switch (policy) {
    case 1:
        return "AC";
    case 2:
        return "DC";
    case 3:
        return "both";
    default:
        return "?";
    }
}

void printBrightness(const char* label, const lcdsim::Brightness& value) {
    std::printf("%-10s policy %u (%s), AC %u, DC %u\n", label, value.policy,
                policyName(value.policy), value.ac, value.dc);
}

void printLevels(const char* label, const std::vector<std::uint8_t>& levels) {
    std::printf("%-10s", label);
    if (levels.empty()) {
        std::printf(" none");
    }
    for (size_t i = 0; i < levels.size(); ++i) {
        std::printf("%s%u", i == 0 ? " " : ",", levels[i]);
    }
    std::printf(" (%u)\n", static_cast<unsigned>(levels.size()));
}

int show(const lcdsim::Controller& device) {
    lcdsim::State state;
    if (const DWORD error = device.readState(state)) {
        return failure("reading the state", error);
    }
    std::printf("%-10s %s\n", "image", state.image.c_str());
    std::printf("%-10s %s\n", "present", state.present ? "yes" : "no (\\\\.\\LCD removed)");
    printLevels("levels", state.levels);
    printBrightness("current", state.current);
    if (state.setCount > 0) {
        printBrightness("last set", state.lastSet);
    } else {
        std::printf("%-10s none\n", "last set");
    }
    std::printf("%-10s %lu applied, %lu received\n", "sets",
                static_cast<unsigned long>(state.setCount),
                static_cast<unsigned long>(state.setRequests));
    std::printf("%-10s supported 0x%08lX, current 0x%08lX, set 0x%08lX\n", "failures",
                static_cast<unsigned long>(state.failures[LCDSIM_QUERY_SUPPORTED]),
                static_cast<unsigned long>(state.failures[LCDSIM_QUERY_CURRENT]),
                static_cast<unsigned long>(state.failures[LCDSIM_SET]));
    return 0;
}

int query() {
    const lcdsim::Client client = lcdsim::Client::open();
    if (!client.valid()) {
        return failure("opening \\\\.\\LCD", client.openError());
    }
    std::vector<std::uint8_t> levels;
    if (const DWORD error = client.querySupported(levels)) {
        return failure("IOCTL_VIDEO_QUERY_SUPPORTED_BRIGHTNESS", error);
    }
    printLevels("supported", levels);
    lcdsim::Brightness current;
    if (const DWORD error = client.queryCurrent(current)) {
        return failure("IOCTL_VIDEO_QUERY_DISPLAY_BRIGHTNESS", error);
    }
    printBrightness("current", current);
    return 0;
}

int send(const std::wstring& text) {
    const auto bytes = parseBytes(text);
    if (!bytes || bytes->size() != 3) {
        return usage();
    }
    const lcdsim::Client client = lcdsim::Client::open();
    if (!client.valid()) {
        return failure("opening \\\\.\\LCD", client.openError());
    }
    if (const DWORD error = client.set({(*bytes)[0], (*bytes)[1], (*bytes)[2]})) {
        return failure("IOCTL_VIDEO_SET_DISPLAY_BRIGHTNESS", error);
    }
    return 0;
}

// Changes part of the current brightness, keeping the rest as the device has it.
int changeCurrent(const lcdsim::Controller& device, const std::optional<std::uint8_t>& policy,
                  const std::vector<std::uint8_t>& levels) {
    lcdsim::State state;
    if (const DWORD error = device.readState(state)) {
        return failure("reading the state", error);
    }
    lcdsim::Brightness current = state.current;
    if (policy) {
        current.policy = *policy;
    }
    if (!levels.empty()) {
        current.ac = levels[0];
        current.dc = levels.size() > 1 ? levels[1] : levels[0];
    }
    if (const DWORD error = device.setCurrent(current)) {
        return failure("setting the current brightness", error);
    }
    return 0;
}

int fail(const lcdsim::Controller& device, const std::wstring& request,
         const std::wstring& status) {
    lcdsim::Request which;
    if (request == L"supported") {
        which = lcdsim::Request::QuerySupported;
    } else if (request == L"current") {
        which = lcdsim::Request::QueryCurrent;
    } else if (request == L"set") {
        which = lcdsim::Request::Set;
    } else {
        return usage();
    }
    const auto value = status == L"off" ? std::optional<std::uint32_t>(0) : parseNumber(status);
    if (!value) {
        return usage();
    }
    if (const DWORD error = device.setFailure(which, static_cast<LONG>(*value))) {
        return failure("setting the failure", error);
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::wstring command = argv[1];
    const std::wstring argument = argc > 2 ? argv[2] : L"";
    if (command == L"query" && argc == 2) {
        return query();
    }
    if (command == L"send" && argc == 3) {
        return send(argument);
    }

    const lcdsim::Controller device = lcdsim::Controller::open();
    if (!device.valid()) {
        std::fputs("lcdctl: the LCD stand-in does not answer; its service starts with each test\n"
                   "session, or by hand: WINEPREFIX=build/wineprefix /usr/lib/wine/wine64 sc start "
                   "KestrelSim\n",
                   stderr);
        return failure("opening \\\\.\\KestrelLcdSim", device.openError());
    }
    if (command == L"show" && argc == 2) {
        return show(device);
    }
    if (command == L"reset" && argc == 2) {
        const DWORD error = device.reset();
        return error ? failure("reset", error) : 0;
    }
    if ((command == L"absent" || command == L"present") && argc == 2) {
        const DWORD error = device.setPresent(command == L"present");
        return error ? failure(command == L"present" ? "present" : "absent", error) : 0;
    }
    if (command == L"set-levels" && argc == 3) {
        const auto levels = parseBytes(argument);
        if (!levels) {
            return usage();
        }
        const DWORD error = device.setLevels(*levels);
        return error ? failure("setting the levels", error) : 0;
    }
    if (command == L"set-current" && argc == 3) {
        const auto levels = parseBytes(argument);
        if (!levels || levels->empty() || levels->size() > 2) {
            return usage();
        }
        return changeCurrent(device, std::nullopt, *levels);
    }
    if (command == L"set-power" && argc == 3) {
        const auto policy = argument == L"ac"   ? std::optional<std::uint32_t>(1)
                            : argument == L"dc" ? std::optional<std::uint32_t>(2)
                                                : parseNumber(argument);
        if (!policy || *policy > 0xFF) {
            return usage();
        }
        return changeCurrent(device, static_cast<std::uint8_t>(*policy), {});
    }
    if (command == L"fail" && argc == 4) {
        return fail(device, argument, argv[3]);
    }
    return usage();
}
