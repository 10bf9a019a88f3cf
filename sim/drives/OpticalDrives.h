// Drive letters as Wine's mount manager serves them: their type (what GetDriveType answers)
// and the unix folder behind them. The mount manager reads HKLM\Software\Wine\Drives and the
// prefix's dosdevices links only when it starts; a running session changes a letter through
// the manager itself, which then writes the registry value and the link. Tests use this to
// give the machine optical drives whose discs are folders, and to take them away again.
#pragma once

#include <windows.h>

#include <string>

namespace drivesim {

struct Drive {
    UINT type = DRIVE_NO_ROOT_DIR; // DRIVE_CDROM, DRIVE_FIXED, ...
    std::string folder;            // unix path of the folder the letter shows
};

// The calls return a Win32 error code, ERROR_SUCCESS when the manager answered. `letter` is
// 'a' to 'z' in either case.
[[nodiscard]] DWORD query(char letter, Drive& drive) noexcept;
// Makes `letter` a drive of `type` that shows the unix `folder`.
[[nodiscard]] DWORD define(char letter, UINT type, const std::string& folder) noexcept;

} // namespace drivesim
