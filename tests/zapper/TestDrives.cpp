#include "TestDrives.h"

#include "OpticalDrives.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace test_drives {

std::string unixFolder(char letter) {
    return std::string(SUITE_DISC_DIR) + "/" + letter;
}

std::filesystem::path folder(char letter) {
    return testing_support::windowsPath(unixFolder(letter));
}

void reset() {
    for (char letter : {kFirst, kSecond}) {
        drivesim::Drive drive;
        ASSERT_EQ(DWORD(ERROR_SUCCESS), drivesim::query(letter, drive))
            << letter << ": the prefix step did not set the drive up";
        ASSERT_EQ(unixFolder(letter), drive.folder) << letter;
        if (drive.type != DRIVE_CDROM) {
            ASSERT_EQ(DWORD(ERROR_SUCCESS),
                      drivesim::define(letter, DRIVE_CDROM, unixFolder(letter)));
        }
        eject(letter);
    }
}

void eject(char letter) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder(letter), error)) {
        std::filesystem::remove_all(entry.path(), error);
    }
}

void insert(char letter, const std::vector<const wchar_t*>& markers) {
    for (const wchar_t* marker : markers) {
        const std::filesystem::path file = folder(letter) / marker;
        std::filesystem::create_directories(file.parent_path());
        testing_support::writeFile(file, "marker");
    }
}

void makeFixedDisk(char letter) {
    ASSERT_EQ(DWORD(ERROR_SUCCESS), drivesim::define(letter, DRIVE_FIXED, unixFolder(letter)));
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\0'};
    ASSERT_EQ(UINT(DRIVE_FIXED), ::GetDriveTypeW(root));
}

} // namespace test_drives
