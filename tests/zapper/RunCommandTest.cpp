// The run command through the dispatcher, on a hidden Zapper window of this test: programs
// are copies of the recorder, placed where the command looks for them (beside this program,
// which is Zapper's own folder here, under App Paths, a player's version key, the native
// Program Files), and each start is read back from the copy's record. The test's working
// folder is a folder of its own, which started programs inherit.
#include "BridgeStandIn.h"
#include "RecorderLog.h"
#include "RecordingKeySender.h"
#include "TestDispatcher.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <optional>

using namespace testing_support;

namespace {

constexpr DWORD kRun = 0x100;
constexpr DWORD kRunInBackground = 0x101;
constexpr DWORD kKey = 0x200;

constexpr wchar_t kAppPaths[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
constexpr wchar_t kCorel[] = L"SOFTWARE\\Corel";
constexpr wchar_t kKestrel[] = L"SOFTWARE\\Kestrel";
constexpr wchar_t kVerdantKey[] = L"SOFTWARE\\Kestrel\\verdant Utility";
constexpr wchar_t kVerdantFolder[] = L"C:\\Program Files\\KESTREL\\VERDANT";

std::wstring quoted(const std::filesystem::path& path) {
    return L"\"" + path.wstring() + L"\"";
}

std::wstring currentFolder() {
    wchar_t folder[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, folder);
    return folder;
}

class ProgramStart : public ::testing::Test {
protected:
    void SetUp() override {
        clean();
        clearSentKeyCalls();
        ASSERT_NE(nullptr, dispatcher_.window());
        ASSERT_EQ(1, dispatcher_.bridge().load());
        previousFolder_ = currentFolder();
        std::filesystem::create_directories(workFolder());
        ASSERT_TRUE(::SetCurrentDirectoryW(workFolder().c_str()));
        workFolder_ = currentFolder();
    }

    void TearDown() override {
        ::SetCurrentDirectoryW(previousFolder_.c_str());
        dispatcher_.bridge().unload();
        clean();
    }

    // Everything a test may have placed: keys, programs and their records.
    static void clean() {
        reg::deleteTree(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"\\startpad.exe");
        reg::deleteTree(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"\\NotInstalled.exe");
        for (int version = 10; version <= 15; ++version) {
            reg::deleteTree(HKEY_LOCAL_MACHINE,
                            kCorel + std::wstring(L"\\DVD") + std::to_wstring(version),
                            KEY_WOW64_32KEY);
        }
        reg::deleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kCorel, KEY_WOW64_32KEY);
        for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
            reg::deleteTree(HKEY_LOCAL_MACHINE, kVerdantKey, view);
            reg::deleteKeyIfEmpty(HKEY_LOCAL_MACHINE, kKestrel, view);
        }
        std::error_code ignored;
        for (const wchar_t* name : {L"Tunerdesk.exe", L"Startpad.exe"}) {
            const std::wstring program = (programFolder() / name).wstring();
            for (const wchar_t* suffix : {L"", L".log", L".exitcode", L".delay"}) {
                std::filesystem::remove(program + suffix, ignored);
            }
        }
        std::filesystem::remove_all(kVerdantFolder, ignored);
        std::filesystem::remove(std::filesystem::path(kVerdantFolder).parent_path(), ignored);
        bridge_standin::remove(programFolder());
    }

    std::filesystem::path workFolder() const { return temp_.path() / L"work"; }
    std::filesystem::path appsFolder() const { return temp_.path() / L"apps"; }

    std::filesystem::path placeBesideZapper(const wchar_t* name) {
        const std::filesystem::path program = programFolder() / name;
        EXPECT_TRUE(placeRecorder(program));
        return program;
    }

    HRESULT press(const std::vector<TestRecord>& records) {
        EXPECT_TRUE(dispatcher_.setTable({tableLine(records)}));
        return dispatcher_.press();
    }

    // The one start of the copy at `program`, once its record is written.
    std::optional<RecorderRecord> startOf(const std::filesystem::path& program) {
        if (!waitUntil([&] { return !recorderRecords(program).empty(); }, 15000)) {
            return std::nullopt;
        }
        const auto records = recorderRecords(program);
        EXPECT_EQ(1u, records.size());
        return records.front();
    }

    TempFolder temp_;
    TestDispatcher dispatcher_{TestDispatcher::Window::Hidden};
    std::wstring previousFolder_;
    std::wstring workFolder_;
};

} // namespace

TEST_F(ProgramStart, AppPathsMissThenTunerdeskBesideZapper) {
    const auto tunerdesk = placeBesideZapper(L"Tunerdesk.exe");
    EXPECT_EQ(S_OK, press({TestRecord().does(kRun, L"NotInstalled.exe /x,Tunerdesk.exe /Guide")}));
    const auto started = startOf(tunerdesk);
    ASSERT_TRUE(started);
    EXPECT_EQ(quoted(tunerdesk) + L" /Guide", started->commandLine);
    EXPECT_EQ(workFolder_, started->folder);
}

TEST_F(ProgramStart, StartpadCountsAsInstalledEvenWhenItIsMissing) {
    // Its name alone makes it installed: the alternative after it is never tried, the start
    // fails, and the key command after it does not run.
    const auto tunerdesk = placeBesideZapper(L"Tunerdesk.exe");
    const std::vector<TestRecord> line = {
        TestRecord().does(kRun, L"Startpad.exe /mce,Tunerdesk.exe /Guide"),
        TestRecord().does(kKey, L"41")};
    EXPECT_EQ(kCommandFailed, press(line));
    EXPECT_TRUE(sentKeyCalls().empty());
    EXPECT_TRUE(recorderRecords(tunerdesk).empty());

    // Beside Zapper, it starts from there.
    const auto startpad = placeBesideZapper(L"Startpad.exe");
    EXPECT_EQ(S_OK, press({line[0]}));
    const auto started = startOf(startpad);
    ASSERT_TRUE(started);
    EXPECT_EQ(quoted(startpad) + L" /mce", started->commandLine);
    EXPECT_EQ(workFolder_, started->folder);
}

TEST_F(ProgramStart, LowerCaseStartpadIsLookedUpUnderAppPaths) {
    // Names compare exactly: a copy beside Zapper does not make "startpad.exe" installed.
    const auto besideZapper = placeBesideZapper(L"Startpad.exe");
    EXPECT_EQ(kCommandFailed, press({TestRecord().does(kRun, L"startpad.exe /mce")}));
    EXPECT_TRUE(recorderRecords(besideZapper).empty());
    std::filesystem::remove(besideZapper);

    std::filesystem::create_directories(appsFolder());
    const auto launcher = appsFolder() / L"MediaLauncher.exe";
    ASSERT_TRUE(placeRecorder(launcher));
    reg::setString(HKEY_LOCAL_MACHINE, std::wstring(kAppPaths) + L"\\startpad.exe", L"",
                   launcher.wstring());
    EXPECT_EQ(S_OK, press({TestRecord().does(kRun, L"startpad.exe /mce")}));
    const auto started = startOf(launcher);
    ASSERT_TRUE(started);
    EXPECT_EQ(quoted(launcher) + L" /mce", started->commandLine);
}

TEST_F(ProgramStart, WinDVDWithOnlyTheLastVersionKeyStartsFromItsPath) {
    const std::vector<TestRecord> line = {TestRecord().does(kRun, L"WinDVD.exe /play")};
    EXPECT_EQ(kCommandFailed, press(line));

    const auto folder = appsFolder() / L"Corel DVD15";
    std::filesystem::create_directories(folder);
    const auto player = folder / L"WinDVD.exe";
    ASSERT_TRUE(placeRecorder(player));
    // The folder ends in a backslash: the player's name is appended as it is.
    reg::setString(HKEY_LOCAL_MACHINE, std::wstring(kCorel) + L"\\DVD15", L"Path",
                   folder.wstring() + L"\\", KEY_WOW64_32KEY);
    EXPECT_EQ(S_OK, press(line));
    const auto started = startOf(player);
    ASSERT_TRUE(started);
    EXPECT_EQ(quoted(player) + L" /play", started->commandLine);
}

TEST_F(ProgramStart, VerdantThroughTheNativeKeyFromTheNativeProgramFiles) {
    // A 32-bit program on 64-bit Windows is shown the 32-bit folder.
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_EQ(S_OK, ::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT,
                                       programFiles));
    ASSERT_STREQ(L"C:\\Program Files (x86)", programFiles);

    const auto utility = std::filesystem::path(kVerdantFolder) / L"Verdant.exe";
    std::filesystem::create_directories(kVerdantFolder);
    ASSERT_TRUE(placeRecorder(utility, 64));
    const std::vector<TestRecord> line = {TestRecord().does(kRun, L"Verdant.exe -s")};

    // The key in the 32-bit view does not count.
    reg::setString(HKEY_LOCAL_MACHINE, kVerdantKey, L"Version", L"1.0", KEY_WOW64_32KEY);
    EXPECT_EQ(kCommandFailed, press(line));
    EXPECT_TRUE(recorderRecords(utility).empty());

    reg::setString(HKEY_LOCAL_MACHINE, kVerdantKey, L"Version", L"1.0", KEY_WOW64_64KEY);
    EXPECT_EQ(S_OK, press(line));
    const auto started = startOf(utility);
    ASSERT_TRUE(started);
    EXPECT_EQ(quoted(utility) + L" -s", started->commandLine);
    EXPECT_EQ(64, started->bits);
}

TEST_F(ProgramStart, ZapperComesToTheFrontBeforeTheStartUnlessTheTypeIs101) {
    const auto tunerdesk = placeBesideZapper(L"Tunerdesk.exe");
    // The window in front belongs to the thread of Zapper's window. With the window in front on
    // another thread, Wine 8.0 leaves no foreground window at all once Zapper detaches its
    // input again: the detach moves Zapper's active window to a fresh input of its own, while
    // the foreground stays the input it left (server/queue.c, detach_thread_input).
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KestrelFrontApplication";
    ASSERT_NE(0, ::RegisterClassW(&windowClass));
    const HWND front =
        ::CreateWindowExW(0, windowClass.lpszClassName, L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                          10, 10, 300, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(nullptr, front);
    struct Case {
        const char* what;
        DWORD type;
        HWND inFront;
    };
    const Case cases[] = {
        {"0x100: Zapper's window", kRun, dispatcher_.window()},
        {"0x101: the window that was in front", kRunInBackground, front},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(tunerdesk.wstring() + L".log");
        ASSERT_TRUE(::SetForegroundWindow(front));
        ASSERT_EQ(front, ::GetForegroundWindow());
        EXPECT_EQ(S_OK, press({TestRecord().does(c.type, L"Tunerdesk.exe /Guide")}));
        const auto started = startOf(tunerdesk);
        ASSERT_TRUE(started);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c.inFront), started->foreground);
        EXPECT_EQ(c.inFront, ::GetForegroundWindow());
    }
    ::DestroyWindow(front);
}

TEST_F(ProgramStart, RozurozIVEntriesAddTheServiceIdOfAnActiveEvent) {
    const auto tunerdesk = placeBesideZapper(L"Tunerdesk.exe");
    struct Case {
        const char* what;
        std::string script;
        DWORD condition;
        std::optional<std::wstring> arguments; // nothing: no start
    };
    const Case cases[] = {
        {"active event", "InstantTVError=0\r\nInstantTVService=0xA5\r\n", 0x804, L"/tv 00A5"},
        {"active event, four letters", "InstantTVError=0\r\nInstantTVService=0xbeef\r\n", 0x804,
         L"/tv BEEF"},
        {"the condition holds for another code, the event is not active",
         "InstantTVError=0x1234\r\nInstantTVService=0xA5\r\n", 0x804, std::nullopt},
        {"Rozuroz IV not active", "InstantTVError=0x8D50\r\nInstantTVService=0xA5\r\n", 0x806,
         std::nullopt},
        {"without bit 0x4 the arguments stay as written",
         "InstantTVError=0x8D50\r\nInstantTVService=0xA5\r\n", 0x802, L"/tv"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(tunerdesk.wstring() + L".log");
        bridge_standin::writeScript(programFolder(), c.script);
        const HRESULT result = press(
            {TestRecord().when(c.condition).does(kRun, L"NotInstalled.exe /x,Tunerdesk.exe /tv")});
        if (!c.arguments) {
            EXPECT_EQ(kCommandFailed, result);
            EXPECT_TRUE(recorderRecords(tunerdesk).empty());
            continue;
        }
        EXPECT_EQ(S_OK, result);
        const auto started = startOf(tunerdesk);
        ASSERT_TRUE(started);
        EXPECT_EQ(quoted(tunerdesk) + L" " + *c.arguments, started->commandLine);
    }
}
