// What a recorder copy reads and writes beside itself; shared with the tests' reader.
#pragma once

#include <windows.h>

namespace recorder {

constexpr const wchar_t* kLogSuffix = L".log";
constexpr const wchar_t* kExitCodeSuffix = L".exitcode";
constexpr const wchar_t* kDelaySuffix = L".delay";

// The exit code of a copy whose setting file holds no number.
constexpr DWORD kBadSettingExitCode = 0xBADF11E;

} // namespace recorder
