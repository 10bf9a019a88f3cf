#include "BridgeStandIn.h"

#include "TestSupport.h"

#include <sstream>

namespace bridge_standin {

namespace {
constexpr wchar_t kScript[] = L"SysBridge.ini";
constexpr wchar_t kCalls[] = L"SysBridge.calls.txt";
} // namespace

void writeScript(const std::filesystem::path& folder, const std::string& entries) {
    testing_support::writeFile(folder / kScript, "[SysBridge]\r\n" + entries);
}

std::vector<std::string> calls(const std::filesystem::path& folder) {
    std::vector<std::string> lines;
    std::istringstream in(testing_support::readFile(folder / kCalls));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

void clearCalls(const std::filesystem::path& folder) {
    testing_support::writeFile(folder / kCalls, "");
}

void remove(const std::filesystem::path& folder) {
    std::error_code ignored;
    std::filesystem::remove(folder / kScript, ignored);
    std::filesystem::remove(folder / kCalls, ignored);
}

size_t count(const std::vector<std::string>& calls, const std::string& prefix) {
    size_t result = 0;
    for (const std::string& call : calls) {
        result += call.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return result;
}

} // namespace bridge_standin
