// The machine's optical drives D: and E: as the prefix step sets them up: each shows a folder
// of the build tree, where a test inserts a disc by writing its marker files. Tests that use
// them hold the "drives" lock and leave both drives optical and empty.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace test_drives {

constexpr char kFirst = 'd';
constexpr char kSecond = 'e';

// The folder a drive shows: unix path, and the same as this program reaches it.
std::string unixFolder(char letter);
std::filesystem::path folder(char letter);

// Both drives optical, showing their folders, with no disc in them (fatal failures when the
// prefix step did not set them up).
void reset();
void eject(char letter);
void insert(char letter, const std::vector<const wchar_t*>& markers);
// The letter stays, showing the same folder, but is no optical drive any more.
void makeFixedDisk(char letter);

} // namespace test_drives
