#include "Conditions.h"

#include "UniqueHandle.h"

namespace {

constexpr DWORD kBluRay = 0x10;
constexpr DWORD kHdDvd = 0x01;
constexpr DWORD kHdDvdRecording = 0x08;
constexpr DWORD kDvdVideo = 0x02;
constexpr DWORD kDvdVideoRecording = 0x04;

bool markerPresent(const std::wstring& drive, const wchar_t* marker) {
    const std::wstring pattern = drive + marker;
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(::FindFirstFileW(pattern.c_str(), &found));
    return search.valid();
}

// The recording marker is looked for by opening it, so that a recorder that still holds
// the file shows as a sharing violation, which the caller retries; `error` receives the
// platform's reason on failure.
bool markerReadable(const std::wstring& drive, const wchar_t* marker, DWORD& error) {
    const std::wstring path = drive + marker;
    UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = ::GetLastError();
    }
    return file.valid();
}

// The first drive letter whose type is CD-ROM, as "E:"; empty when there is none.
std::wstring firstOpticalDrive() {
    for (wchar_t letter = L'A'; letter <= L'Z'; ++letter) {
        const wchar_t drive[] = {letter, L':', L'\0'};
        if (::GetDriveTypeW(drive) == DRIVE_CDROM) {
            return drive;
        }
    }
    return std::wstring();
}

int discMatches(const std::wstring& drive, DWORD bits) {
    if (bits & kBluRay) {
        return markerPresent(drive, L"\\BDAV\\INFO.BDAV") ||
               markerPresent(drive, L"\\BDMV\\index.bdmv");
    }
    if ((bits & kHdDvd) && (markerPresent(drive, L"\\HVDVD_TS\\HV000I01.IFO") ||
                            markerPresent(drive, L"\\ADV_OBJ\\DISCID.DAT"))) {
        return 1;
    }
    if ((bits & kHdDvdRecording) && markerPresent(drive, L"\\DVD_HDVR\\HR_MANGR.IFO")) {
        return 1;
    }
    if ((bits & kDvdVideo) && markerPresent(drive, L"\\VIDEO_TS\\VIDEO_TS.IFO")) {
        return 1;
    }
    if (bits & kDvdVideoRecording) {
        // A recorder may still hold the disc's manager file: retry a sharing violation
        // a few times before giving up.
        for (int search = 0; search < 5; ++search) {
            DWORD error = 0;
            if (markerReadable(drive, L"\\DVD_RTAV\\VR_MANGR.IFO", error)) {
                return 1;
            }
            if (error != ERROR_SHARING_VIOLATION || search == 4) {
                break;
            }
            ::Sleep(200);
        }
    }
    return 0;
}

} // namespace

HRESULT MediaCondition::setCmdInfo(CmdInfo* cmdInfo) {
    cmdInfo_ = cmdInfo;
    return S_OK;
}

int MediaCondition::isMatch() {
    if (!cmdInfo_) {
        return 0;
    }
    const std::wstring drive = firstOpticalDrive();
    if (drive.empty()) {
        return 0; // also when negated
    }
    int result = discMatches(drive, cmdInfo_->Condition);
    if (cmdInfo_->ConditionMode == 1) {
        result = !result;
    }
    return result;
}
