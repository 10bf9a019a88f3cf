// The debug log as programs see it: a copy of logprobe (standard or Tilehop profile) runs
// in a folder of its own with the DbgLog.ini a test writes beside it.
#include "DebugOutputListener.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

using namespace testing_support;

namespace {

enum class Profile { Standard, Tilehop };

class LogProbe {
public:
    explicit LogProbe(Profile profile = Profile::Standard) {
        const std::wstring source =
            windowsPath(profile == Profile::Standard ? LOGPROBE_PATH : LOGPROBE_TILEHOP_PATH);
        EXPECT_TRUE(copyInto(source, program()));
    }

    std::wstring program() const { return folder_.file(L"logprobe.exe"); }
    std::wstring logFile() const { return folder_.file(L"log.txt"); }
    const TempFolder& folder() const { return folder_; }

    // Writes DbgLog.ini; "LogFile" points into the folder unless the text names one.
    void settings(const std::string& entries) const {
        std::string text = "[LOG]\r\n" + entries;
        if (entries.find("LogFile=") == std::string::npos) {
            text += "LogFile=" + narrow(logFile()) + "\r\n";
        }
        writeFile(folder_.path() / L"DbgLog.ini", text);
    }

    DWORD run(const std::wstring& actions) const {
        auto code = runProgram(program(), actions, 20000);
        EXPECT_TRUE(code.has_value());
        return code.value_or(0xFFFFFFFF);
    }

    ChildProcess start(const std::wstring& actions) const {
        return ChildProcess::start(program(), actions);
    }

    static std::string narrow(const std::wstring& text) {
        return std::string(text.begin(), text.end());
    }

private:
    TempFolder folder_;
};

std::vector<std::string> fileLines(const std::wstring& path) {
    std::vector<std::string> lines;
    std::istringstream in(readFile(path));
    std::string line;
    while (std::getline(in, line)) {
        lines.push_back(line);
    }
    return lines;
}

bool exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The source line of the probe's log scope, read from its source file.
int scopeDeclarationLine() {
    std::ifstream source(std::filesystem::path(windowsPath(LOGPROBE_SOURCE)));
    std::string text;
    for (int number = 1; std::getline(source, text); ++number) {
        if (text.find("LOG_SCOPE(L\"leaveEarly\")") != std::string::npos) {
            return number;
        }
    }
    return -1;
}

// Sets an environment variable for the programs this test starts.
class EnvironmentOverride {
public:
    EnvironmentOverride(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t old[MAX_PATH] = {};
        had_ = ::GetEnvironmentVariableW(name, old, MAX_PATH) > 0;
        old_ = old;
        ::SetEnvironmentVariableW(name, value.c_str());
    }
    ~EnvironmentOverride() { ::SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

} // namespace

TEST(DebugLogSettings, OutOfRangeValuesAsTheProgramsSeeThem) {
    struct Case {
        const char* what;
        Profile profile;
        const char* settings;
        std::vector<std::string> expectedTags; // level tags of the lines in the log file
    };
    const Case cases[] = {
        {"Level 5 writes only errors", Profile::Standard, "Level=5\r\nDestination=3\r\n", {"ERR"}},
        {"Level 2 writes up to INF",
         Profile::Standard,
         "Level=2\r\nDestination=3\r\n",
         {"ERR", "WRN", "INF"}},
        {"Destination 7 writes nothing", Profile::Standard, "Level=3\r\nDestination=7\r\n", {}},
        {"Tilehop: Destination 7 is the kept-open file",
         Profile::Tilehop,
         "Level=3\r\nDestination=7\r\n",
         {"ERR", "WRN", "INF", "TRC"}},
        {"Tilehop: Destination 0 writes nothing", Profile::Tilehop, "Destination=0\r\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogProbe probe(c.profile);
        probe.settings(c.settings);
        EXPECT_EQ(0u, probe.run(L"err e wrn w inf i trc t"));
        std::vector<std::string> tags;
        for (const std::string& line : fileLines(probe.logFile())) {
            std::smatch match;
            if (std::regex_search(line, match, std::regex(R"( \[(ERR|WRN|INF|TRC)\] )"))) {
                tags.push_back(match[1]);
            }
        }
        EXPECT_EQ(c.expectedTags, tags);
    }
}

TEST(DebugLogLine, TimeStampFormsAndSourceFileFormat) {
    struct Case {
        const char* what;
        Profile profile;
        const char* settings;
        const char* pattern; // the whole line, carriage return included
    };
    const Case cases[] = {
        {"defaults: thread id, time, short file name", Profile::Standard, "Destination=3\r\n",
         R"(^ \[TID: \d+\] \d\d:\d\d:\d\d\.\d{3}: logprobe\.cpp\(\d+\):  \[ERR\] \(wmain\): hello\r$)"},
        {"TimeDateFormat 9 counts as 1", Profile::Standard, "Destination=3\r\nTimeDateFormat=9\r\n",
         R"(^ \[TID: \d+\] \d\d:\d\d:\d\d\.\d{3}: logprobe\.cpp\(\d+\):  \[ERR\] \(wmain\): hello\r$)"},
        {"TimeDateFormat 0: no time stamp", Profile::Standard,
         "Destination=3\r\nTimeDateFormat=0\r\n",
         R"(^ \[TID: \d+\] logprobe\.cpp\(\d+\):  \[ERR\] \(wmain\): hello\r$)"},
        {"TimeDateFormat 2: month and day", Profile::Standard,
         "Destination=3\r\nTimeDateFormat=2\r\n",
         R"(^ \[TID: \d+\] \d\d/\d\d \d\d:\d\d:\d\d\.\d{3}: logprobe\.cpp)"},
        {"TimeDateFormat 3: elapsed seconds", Profile::Standard,
         "Destination=3\r\nTimeDateFormat=3\r\n", R"(^ \[TID: \d+\] 0\.\d{3}: logprobe\.cpp)"},
        {"SourceFileFormat 1: the recorded path", Profile::Standard,
         "Destination=3\r\nSourceFileFormat=1\r\nTimeDateFormat=0\r\n",
         R"(^ \[TID: \d+\] \.\\logprobe\.cpp\(\d+\):  \[ERR\] \(wmain\): hello\r$)"},
        {"Tilehop: no thread id, year first", Profile::Tilehop,
         "Destination=3\r\nTimeDateFormat=2\r\n",
         R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}: logprobe\.cpp\(\d+\):  \[ERR\] \(wmain\): hello\r$)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LogProbe probe(c.profile);
        probe.settings(c.settings);
        probe.run(L"err hello");
        const auto lines = fileLines(probe.logFile());
        ASSERT_EQ(1u, lines.size());
        EXPECT_TRUE(std::regex_search(lines[0], std::regex(c.pattern))) << lines[0];
    }
}

TEST(DebugLogLine, LongMessageCutAndPercentSignsKept) {
    LogProbe probe;
    probe.settings("Destination=3\r\nLevel=2\r\n");
    probe.run(L"long 600 inf \"100%s %d %%\"");
    const auto lines = fileLines(probe.logFile());
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ(511u, lines[0].size()); // 510 characters and the carriage return
    EXPECT_EQ('x', lines[0][509]);
    EXPECT_NE(std::string::npos, lines[1].find("(wmain): 100%s %d %%\r"));
}

TEST(DebugLogScope, EarlyReturnStillWritesLeaveWithTheDeclarationLine) {
    LogProbe probe;
    probe.settings("Destination=3\r\nLevel=3\r\n");
    probe.run(L"scope");
    const auto lines = fileLines(probe.logFile());
    ASSERT_EQ(2u, lines.size());
    const std::string at = "logprobe.cpp(" + std::to_string(scopeDeclarationLine()) + "):  [TRC]";
    EXPECT_NE(std::string::npos, lines[0].find(at + " (leaveEarly): ENTER leaveEarly"));
    EXPECT_NE(std::string::npos, lines[1].find(at + " (leaveEarly): LEAVE leaveEarly"));
}

TEST(DebugLogDestination, KeptOpenFileIsEmptiedPerRunWhileAppendKeepsLines) {
    LogProbe keptOpen;
    keptOpen.settings("Destination=2\r\n");
    keptOpen.run(L"err first");
    keptOpen.run(L"err second");
    auto lines = fileLines(keptOpen.logFile());
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("second"));

    LogProbe appending;
    appending.settings("Destination=3\r\n");
    appending.run(L"err first");
    appending.run(L"err second");
    EXPECT_EQ(2u, fileLines(appending.logFile()).size());
}

TEST(DebugLogDestination, MissingFolderChainIsCreated) {
    LogProbe probe;
    const std::wstring deep = probe.folder().file(L"a\\b\\c\\deep.txt");
    for (const char* destination : {"2", "3"}) {
        SCOPED_TRACE(destination);
        std::error_code ignored;
        std::filesystem::remove_all(probe.folder().path() / L"a", ignored);
        probe.settings(std::string("Destination=") + destination +
                       "\r\nLogFile=" + LogProbe::narrow(deep) + "\r\n");
        probe.run(L"err made");
        const auto lines = fileLines(deep);
        ASSERT_EQ(1u, lines.size());
        EXPECT_NE(std::string::npos, lines[0].find("made"));
    }
}

TEST(DebugLogDestination, LogFileNameExpandsEnvironmentVariables) {
    LogProbe probe;
    EnvironmentOverride place(L"SUITE_LOG_PLACE", probe.folder().path().wstring());
    probe.settings("Destination=3\r\nLogFile=%SUITE_LOG_PLACE%\\expanded.txt\r\n");
    probe.run(L"err there");
    EXPECT_EQ(1u, fileLines(probe.folder().file(L"expanded.txt")).size());
}

TEST(DebugLogDestination, StandardErrorStream) {
    LogProbe probe;
    probe.settings("Destination=4\r\n");
    const std::wstring errors = probe.folder().file(L"stderr.txt");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = ::CreateFileW(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = file;
    std::wstring commandLine = L"\"" + probe.program() + L"\" err oops";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessW(probe.program().c_str(), commandLine.data(), nullptr, nullptr,
                                 TRUE, 0, nullptr, nullptr, &startup, &info));
    ::CloseHandle(file);
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(info.hProcess, 20000));
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    const auto lines = fileLines(errors);
    ASSERT_EQ(1u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("[ERR] (wmain): oops"));
}

TEST(DebugLogDebuggerOutput, CarriesEveryLevelAndTheScopes) {
    DebugOutputListener listener;
    ASSERT_TRUE(listener.start());
    LogProbe probe;
    probe.settings("Destination=1\r\nLevel=3\r\n");
    ChildProcess child = probe.start(L"trc traced scope");
    ASSERT_TRUE(child.wait(20000).has_value());
    const DWORD id = child.id();
    std::vector<std::wstring> texts;
    listener.waitFor(
        [&](const std::vector<DebugLine>& lines) {
            texts.clear();
            for (const DebugLine& line : lines) {
                if (line.processId == id) {
                    texts.push_back(line.text);
                }
            }
            return texts.size() >= 3;
        },
        5000);
    ASSERT_EQ(3u, texts.size());
    EXPECT_NE(std::wstring::npos, texts[0].find(L"[TRC] (wmain): traced\n"));
    EXPECT_NE(std::wstring::npos, texts[1].find(L"ENTER leaveEarly\n"));
    EXPECT_NE(std::wstring::npos, texts[2].find(L"LEAVE leaveEarly\n"));
}

TEST(DebugLogSettingsCache, SettingsAreReadOnceAndTheKeptOpenFileIsHeldUntilExit) {
    LogProbe probe;
    probe.settings("Destination=2\r\nFlush=1\r\nLevel=2\r\n");
    const std::wstring proceed = L"logprobe-proceed-" + std::to_wstring(::GetCurrentProcessId());
    const std::wstring reached = L"logprobe-reached-" + std::to_wstring(::GetCurrentProcessId());
    HANDLE reachedEvent = ::CreateEventW(nullptr, TRUE, FALSE, reached.c_str());
    HANDLE proceedEvent = ::CreateEventW(nullptr, TRUE, FALSE, proceed.c_str());
    ChildProcess child =
        probe.start(L"inf before signal " + reached + L" wait " + proceed + L" inf after");
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(reachedEvent, 20000));

    // While the program runs, nobody else can open its log file.
    HANDLE other =
        ::CreateFileW(probe.logFile().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(INVALID_HANDLE_VALUE, other);
    if (other != INVALID_HANDLE_VALUE) {
        ::CloseHandle(other);
    }
    // A changed settings file does not reach a running program.
    probe.settings("Destination=0\r\n");
    ::SetEvent(proceedEvent);
    ASSERT_TRUE(child.wait(20000).has_value());
    ::CloseHandle(reachedEvent);
    ::CloseHandle(proceedEvent);

    const auto lines = fileLines(probe.logFile());
    ASSERT_EQ(2u, lines.size());
    EXPECT_NE(std::string::npos, lines[0].find("before"));
    EXPECT_NE(std::string::npos, lines[1].find("after"));
}

TEST(DebugLogDefaults, WithoutSettingsOnlyTilehopWritesItsErrors) {
    TempFolder appData;
    EnvironmentOverride localAppData(L"LocalAppData", appData.path().wstring());
    const std::wstring touchpad = appData.file(L"KESTREL\\QuickTiles\\Touchpad.txt");
    const std::wstring standardLog = appData.file(L"KESTREL\\log.txt");

    LogProbe standard(Profile::Standard);
    standard.run(L"err e inf i");
    EXPECT_FALSE(exists(standardLog));

    LogProbe tilehop(Profile::Tilehop);
    tilehop.run(L"err one inf i");
    tilehop.run(L"err two wrn w");
    const auto lines = fileLines(touchpad);
    ASSERT_EQ(1u, lines.size()); // emptied by the second run, which wrote one error
    EXPECT_NE(std::string::npos, lines[0].find("[ERR] (wmain): two"));
    EXPECT_FALSE(exists(standardLog));
}
