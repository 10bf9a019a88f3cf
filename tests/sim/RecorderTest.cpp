// The recorder as tests use it: copies under any name record how they were started and
// exit as the files beside them say.
#include "Recorder.h"
#include "RecorderLog.h"
#include "TestSupport.h"
#include "UniqueHandle.h"

#include <gtest/gtest.h>

#include <optional>

using namespace testing_support;

namespace {

struct Started {
    DWORD processId = 0;
    std::optional<DWORD> exitCode;
};

// Starts `program` with exactly `commandLine`, in `folder`, and waits for its end.
Started runExactly(const std::wstring& program, std::wstring commandLine,
                   const std::wstring& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Started started;
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &startup, &info)) {
        ADD_FAILURE() << "CreateProcess failed, error " << ::GetLastError();
        return started;
    }
    UniqueHandle process(info.hProcess);
    UniqueHandle thread(info.hThread);
    started.processId = info.dwProcessId;
    if (::WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        ::GetExitCodeProcess(process.get(), &code);
        started.exitCode = code;
    }
    return started;
}

std::wstring quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

} // namespace

TEST(RecorderRecord, CommandLineAndWorkingFolderAsReceived) {
    TempFolder folder;
    const std::wstring program = folder.file(L"WinDVD.exe");
    ASSERT_TRUE(placeRecorder(program));
    const std::wstring elsewhere = folder.file(L"work folder");
    std::filesystem::create_directories(elsewhere);

    struct Case {
        const char* what;
        std::wstring commandLine;
        std::wstring folder;
    };
    const Case cases[] = {
        {"quoted path and arguments", quoted(program) + L" /play E:", folder.path().wstring()},
        {"no arguments", quoted(program), elsewhere},
        {"quotes, spaces and backslashes kept", quoted(program) + L" \"a b\"  c\\\"d\\ ",
         elsewhere},
        {"a bare name instead of the path", L"WinDVD -x", elsewhere},
        {"non-ASCII and escapes", quoted(program) + L" Gr\u00FC\u00DFe 100% %0A %25",
         folder.path().wstring()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(program + recorder::kLogSuffix);
        const Started started = runExactly(program, c.commandLine, c.folder);
        ASSERT_EQ(std::optional<DWORD>(0), started.exitCode);
        const auto records = recorderRecords(program);
        ASSERT_EQ(1u, records.size());
        EXPECT_EQ(c.commandLine, records[0].commandLine);
        EXPECT_EQ(c.folder, records[0].folder);
        EXPECT_EQ(started.processId, records[0].processId);
        EXPECT_TRUE(records[0].errors.empty());
    }
}

TEST(RecorderRecord, EachStartAppendsToTheLogOfItsOwnName) {
    TempFolder folder;
    const std::wstring windvd = folder.file(L"WinDVD.exe");
    const std::wstring verdant = folder.file(L"Verdant.exe");
    ASSERT_TRUE(placeRecorder(windvd));
    ASSERT_TRUE(placeRecorder(verdant));

    ASSERT_TRUE(runProgram(windvd, L"first").has_value());
    ASSERT_TRUE(runProgram(verdant, L"other").has_value());
    ASSERT_TRUE(runProgram(windvd, L"second").has_value());

    const auto records = recorderRecords(windvd);
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(quoted(windvd) + L" first", records[0].commandLine);
    EXPECT_EQ(quoted(windvd) + L" second", records[1].commandLine);
    EXPECT_NE(records[0].processId, records[1].processId);
    const auto others = recorderRecords(verdant);
    ASSERT_EQ(1u, others.size());
    EXPECT_EQ(quoted(verdant) + L" other", others[0].commandLine);
}

TEST(RecorderExit, CodeFromTheFileBesideIt) {
    TempFolder folder;
    const std::wstring program = folder.file(L"Startpad.exe");
    ASSERT_TRUE(placeRecorder(program));
    const std::filesystem::path codeFile = program + recorder::kExitCodeSuffix;

    struct Case {
        const char* what;
        std::optional<std::string> file; // nothing: no file
        DWORD expected;
        bool reportsError;
    };
    const Case cases[] = {
        {"no file", std::nullopt, 0, false},
        {"decimal", "7", 7, false},
        {"hex", "0x1F", 0x1F, false},
        {"upper-case hex with spaces and a line end", " 0XfFfFfFfE \r\n", 0xFFFFFFFE, false},
        {"not a number", "12abc", recorder::kBadSettingExitCode, true},
        {"empty", "", recorder::kBadSettingExitCode, true},
        {"too large", "4294967296", recorder::kBadSettingExitCode, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(codeFile);
        std::filesystem::remove(program + recorder::kLogSuffix);
        if (c.file) {
            writeFile(codeFile, *c.file);
        }
        EXPECT_EQ(std::optional<DWORD>(c.expected), runProgram(program, L"", 20000));
        const auto records = recorderRecords(program);
        ASSERT_EQ(1u, records.size());
        EXPECT_EQ(c.reportsError, !records[0].errors.empty());
    }
}

TEST(RecorderExit, RecordIsWrittenBeforeTheDelay) {
    TempFolder folder;
    const std::wstring program = folder.file(L"Tunerdesk.exe");
    ASSERT_TRUE(placeRecorder(program));
    setRecorderDelay(program, 60000);

    ChildProcess child = ChildProcess::start(program, L"/guide");
    ASSERT_TRUE(child.started());
    ASSERT_TRUE(waitUntil([&] { return recorderRecords(program).size() == 1; }, 10000));
    EXPECT_TRUE(child.running());
    EXPECT_EQ(child.id(), recorderRecords(program)[0].processId);
    child.terminate();

    // A short delay ends with the chosen exit code.
    setRecorderDelay(program, 100);
    setRecorderExitCode(program, 42);
    EXPECT_EQ(std::optional<DWORD>(42), runProgram(program, L"", 20000));
    EXPECT_EQ(2u, recorderRecords(program).size());
}

TEST(RecorderBitness, EachCopyReportsTheProcessKindItRunsAs) {
    BOOL wow64 = FALSE;
    ASSERT_TRUE(::IsWow64Process(::GetCurrentProcess(), &wow64));
    ASSERT_TRUE(wow64) << "the tests run as 32-bit programs in a 64-bit prefix";

    TempFolder folder;
    for (int bits : {32, 64}) {
        SCOPED_TRACE(bits);
        const std::wstring program =
            folder.file(L"native" + std::to_wstring(bits) + L"lumaset.exe");
        ASSERT_TRUE(placeRecorder(program, bits));
        ASSERT_EQ(std::optional<DWORD>(0), runProgram(program, L"-set 40"));
        const auto records = recorderRecords(program);
        ASSERT_EQ(1u, records.size());
        EXPECT_EQ(bits, records[0].bits);
        EXPECT_EQ(quoted(program) + L" -set 40", records[0].commandLine);
    }
}

TEST(RecorderForeground, TheWindowInFrontWhenItStarted) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KestrelRecorderFront";
    ASSERT_NE(0, ::RegisterClassW(&windowClass));
    const HWND front =
        ::CreateWindowExW(0, windowClass.lpszClassName, L"front", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                          100, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, front);
    ::ShowWindow(front, SW_SHOWNORMAL);
    ASSERT_TRUE(::SetForegroundWindow(front));

    TempFolder folder;
    const std::wstring program = folder.file(L"Tunerdesk.exe");
    ASSERT_TRUE(placeRecorder(program));
    EXPECT_EQ(std::optional<DWORD>(0), runProgram(program));
    const auto records = recorderRecords(program);
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(front), records[0].foreground);
    ::DestroyWindow(front);
}
