#include "OpticalDrives.h"

#include "UniqueHandle.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

namespace {

// Wine's own requests of \\.\MountPointManager (include/ddk/mountmgr.h, Wine extensions).
constexpr ULONG kMountManagerType = 'm';
constexpr DWORD kDefineUnixDrive =
    CTL_CODE(kMountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD kQueryUnixDrive =
    CTL_CODE(kMountManagerType, 33, METHOD_BUFFERED, FILE_READ_ACCESS);

// The request block of both, followed by its strings; the offsets count from its start.
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
static_assert(sizeof(UnixDrive) == 32, "the mount manager's 64-bit layout");

UniqueFileHandle openManager() noexcept {
    return UniqueFileHandle(::CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
}

char lower(char letter) noexcept {
    return letter >= 'A' && letter <= 'Z' ? static_cast<char>(letter - 'A' + 'a') : letter;
}

} // namespace

namespace drivesim {

DWORD query(char letter, Drive& drive) noexcept {
    drive = Drive{};
    UniqueFileHandle manager = openManager();
    if (!manager) {
        return ::GetLastError();
    }
    std::vector<char> buffer(sizeof(UnixDrive) + 4 * MAX_PATH);
    UnixDrive request = {};
    request.letter = static_cast<WCHAR>(lower(letter));
    std::memcpy(buffer.data(), &request, sizeof request);
    DWORD returned = 0;
    if (!::DeviceIoControl(manager.get(), kQueryUnixDrive, buffer.data(), sizeof request,
                           buffer.data(), static_cast<DWORD>(buffer.size()), &returned, nullptr)) {
        return ::GetLastError();
    }
    UnixDrive answer;
    std::memcpy(&answer, buffer.data(), sizeof answer);
    drive.type = answer.type;
    if (answer.mountPointOffset != 0 && answer.mountPointOffset < returned) {
        drive.folder = buffer.data() + answer.mountPointOffset;
    }
    return ERROR_SUCCESS;
}

DWORD define(char letter, UINT type, const std::string& folder) noexcept {
    UniqueFileHandle manager = openManager();
    if (!manager) {
        return ::GetLastError();
    }
    std::vector<char> buffer(sizeof(UnixDrive) + folder.size() + 1, '\0');
    UnixDrive request = {};
    request.size = static_cast<ULONG>(buffer.size());
    request.type = type;
    request.letter = static_cast<WCHAR>(lower(letter));
    if (!folder.empty()) {
        request.mountPointOffset = sizeof(UnixDrive);
        std::memcpy(buffer.data() + sizeof(UnixDrive), folder.c_str(), folder.size() + 1);
    }
    std::memcpy(buffer.data(), &request, sizeof request);
    DWORD returned = 0;
    if (!::DeviceIoControl(manager.get(), kDefineUnixDrive, buffer.data(),
                           static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr)) {
        return ::GetLastError();
    }
    return ERROR_SUCCESS;
}

} // namespace drivesim
