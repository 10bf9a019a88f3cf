// Reads what copies of sim/recorder wrote, and places such copies: tests put a recorder where
// the suite expects a program (WinDVD.exe, Startpad.exe, ...) and read back how it was started.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testing_support {

struct RecorderRecord {
    DWORD processId = 0;
    int bits = 0;                     // 32 or 64
    std::wstring folder;              // working folder at start
    std::wstring commandLine;         // exactly as the copy received it
    std::uintptr_t foreground = 0;    // the foreground window when it started
    std::vector<std::wstring> errors; // setting files the copy could not read
};

// The records in a recorder log's text; an unfinished last record is left out.
std::vector<RecorderRecord> parseRecorderLog(const std::string& text);

// The records of the copy at `program` (its "<program>.log"); none when it never ran.
std::vector<RecorderRecord> recorderRecords(const std::filesystem::path& program);

// Copies the 32- or 64-bit recorder to `program`; false when the copy failed.
bool placeRecorder(const std::filesystem::path& program, int bits = 32);

// What the copy at `program` does when started: its exit code, and how long it runs after
// writing its record.
void setRecorderExitCode(const std::filesystem::path& program, DWORD code);
void setRecorderDelay(const std::filesystem::path& program, DWORD milliseconds);

} // namespace testing_support
