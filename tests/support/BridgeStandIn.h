// The files beside a copy of the stand-in hardware library: the script it answers from
// (SysBridge.ini, read again whenever it changes) and its record of the calls it took
// (SysBridge.calls.txt, one call per line).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace bridge_standin {

// Writes the [SysBridge] section with `entries` ("Key=value\r\n" lines).
void writeScript(const std::filesystem::path& folder, const std::string& entries);
std::vector<std::string> calls(const std::filesystem::path& folder);
void clearCalls(const std::filesystem::path& folder);
// Removes both files.
void remove(const std::filesystem::path& folder);

// How many of `calls` begin with `prefix`.
size_t count(const std::vector<std::string>& calls, const std::string& prefix);

} // namespace bridge_standin
