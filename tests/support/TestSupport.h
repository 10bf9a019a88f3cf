// Helpers for tests that drive the suite's programs under Wine: paths of the build, temporary
// folders, child processes with bounded waits, registry set-up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The Windows form of a build-tree path, through Wine's Z: drive.
std::wstring windowsPath(const std::string& unixPath);
std::wstring binPath(const std::wstring& name);   // 32-bit programs and stand-ins
std::wstring bin64Path(const std::wstring& name); // 64-bit images
// The folder of the running test program, where in-process code finds "its own folder".
std::filesystem::path programFolder();

// A fresh folder, removed with everything in it when the object goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return (path_ / name).wstring(); }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
bool copyInto(const std::wstring& source, const std::filesystem::path& target);

// Polls `condition` every `stepMs` until it holds or `timeoutMs` has passed.
bool waitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 20);

// A started program; terminated if it still runs when the object goes.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    // `arguments` follow the program's quoted path on the command line.
    static ChildProcess start(const std::wstring& program, const std::wstring& arguments = L"",
                              const std::wstring& workingFolder = L"");

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    bool running() const;
    // The exit code, or nothing when the program still runs after `timeoutMs`.
    std::optional<DWORD> wait(DWORD timeoutMs);
    void terminate();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Runs a program to its end (bounded) and returns its exit code; nothing on time-out.
std::optional<DWORD> runProgram(const std::wstring& program, const std::wstring& arguments = L"",
                                DWORD timeoutMs = 30000);

namespace reg {
void deleteTree(HKEY root, const std::wstring& path, REGSAM view = 0);
bool keyExists(HKEY root, const std::wstring& path, REGSAM view = 0);
// Deletes the key when it holds neither values nor subkeys: a parent that a test's
// key creation made, and that nothing else uses.
void deleteKeyIfEmpty(HKEY root, const std::wstring& path, REGSAM view = 0);
void setString(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::wstring& value, REGSAM view = 0);
void setDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value,
              REGSAM view = 0);
void setBinary(HKEY root, const std::wstring& path, const std::wstring& name,
               const std::vector<std::uint8_t>& data, DWORD type = REG_BINARY, REGSAM view = 0);
std::optional<std::wstring> getString(HKEY root, const std::wstring& path, const std::wstring& name,
                                      REGSAM view = 0);
std::optional<DWORD> getDword(HKEY root, const std::wstring& path, const std::wstring& name,
                              REGSAM view = 0);
} // namespace reg

} // namespace testing_support
