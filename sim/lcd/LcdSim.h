// Scripts the LCD stand-in from user mode (tests, lcdctl): its levels, its current brightness,
// failures of the standard requests and whether \\.\LCD exists; and reads back what clients
// set. Talks to the device through \\.\KestrelLcdSim, which stays while \\.\LCD is absent.
#pragma once

#include "UniqueHandle.h"
#include "LcdSimControl.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lcdsim {

enum class Request : ULONG {
    QuerySupported = LCDSIM_QUERY_SUPPORTED,
    QueryCurrent = LCDSIM_QUERY_CURRENT,
    Set = LCDSIM_SET,
};

struct Brightness {
    std::uint8_t policy = 0; // 1 AC, 2 DC, 3 both
    std::uint8_t ac = 0;
    std::uint8_t dc = 0;

    bool operator==(const Brightness& other) const {
        return policy == other.policy && ac == other.ac && dc == other.dc;
    }
    bool operator!=(const Brightness& other) const { return !(*this == other); }
};

struct State {
    std::string image; // the driver image that answers
    bool present = false;
    std::vector<std::uint8_t> levels;
    Brightness current;
    Brightness lastSet;
    std::uint32_t setCount = 0;
    std::uint32_t setRequests = 0;
    LONG failures[LCDSIM_REQUEST_COUNT] = {};
};

// A client of \\.\LCD that opens and asks as Zapper does: read and write access, shared
// reading and writing, the three backlight requests from ntddvdeo.h. The calls return a Win32
// error code, ERROR_SUCCESS when the request succeeded.
class Client {
public:
    static Client open() noexcept;

    bool valid() const noexcept { return device_.valid(); }
    DWORD openError() const noexcept { return openError_; }

    [[nodiscard]] DWORD querySupported(std::vector<std::uint8_t>& levels) const noexcept;
    [[nodiscard]] DWORD queryCurrent(Brightness& current) const noexcept;
    [[nodiscard]] DWORD set(const Brightness& record) const noexcept;

private:
    UniqueFileHandle device_;
    DWORD openError_ = ERROR_SUCCESS;
};

// Scripts the stand-in; the calls return a Win32 error code, ERROR_SUCCESS when the device
// took the control.
class Controller {
public:
    // Not valid() when the stand-in driver does not run; openError() tells why.
    static Controller open() noexcept;

    bool valid() const noexcept { return device_.valid(); }
    DWORD openError() const noexcept { return openError_; }

    [[nodiscard]] DWORD reset() const noexcept;
    [[nodiscard]] DWORD setLevels(const std::vector<std::uint8_t>& levels) const noexcept;
    [[nodiscard]] DWORD setCurrent(const Brightness& current) const noexcept;
    // `status` is the NTSTATUS the request then answers with; 0 switches the failure off.
    [[nodiscard]] DWORD setFailure(Request request, LONG status) const noexcept;
    [[nodiscard]] DWORD setPresent(bool present) const noexcept;
    [[nodiscard]] DWORD readState(State& state) const noexcept;

private:
    DWORD control(DWORD code, const void* input, DWORD inputSize, void* output, DWORD outputSize,
                  DWORD* returned = nullptr) const noexcept;

    UniqueFileHandle device_;
    DWORD openError_ = ERROR_SUCCESS;
};

} // namespace lcdsim
