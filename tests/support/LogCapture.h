// For in-process tests of code that logs: the test program's DbgLog.ini (written by the
// build) appends every line to a file beside the program; this reads what was added.
#pragma once

#include "TestSupport.h"

#include <sstream>
#include <string>
#include <vector>

class LogCapture {
public:
    LogCapture() : start_(testing_support::readFile(path()).size()) {}

    std::vector<std::string> lines() const {
        const std::string all = testing_support::readFile(path());
        std::istringstream in(all.substr(std::min(start_, all.size())));
        std::vector<std::string> result;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            result.push_back(line);
        }
        return result;
    }

    std::vector<std::string> errors() const { return withTag("[ERR]"); }

    std::vector<std::string> withTag(const std::string& tag) const {
        std::vector<std::string> result;
        for (const std::string& line : lines()) {
            if (line.find(tag) != std::string::npos) {
                result.push_back(line);
            }
        }
        return result;
    }

    static std::wstring path() {
        wchar_t module[MAX_PATH] = {};
        ::GetModuleFileNameW(nullptr, module, MAX_PATH);
        std::wstring file = module;
        return file.substr(0, file.rfind(L'\\') + 1) + L"test-log.txt";
    }

private:
    size_t start_;
};
