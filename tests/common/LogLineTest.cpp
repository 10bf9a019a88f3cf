#include "LogLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const LogProfile kStandard{true, 0, 0, L"", L"MM/dd "};
const LogProfile kTilehop{false, 2, 2, L"", L"yyyy-MM-dd "};

std::wstring assemble(const LogLineParts& parts, int* length, const wchar_t* format, ...) {
    wchar_t line[kLogLineChars];
    va_list args;
    va_start(args, format);
    *length = assembleLogLine(line, parts, format, args);
    va_end(args);
    return line;
}

LogLineParts cmdSettingSite() {
    return LogLineParts{true, 2468, L"13:05:07.123: ", L".\\CmdSetting.cpp",    false,
                        77,   L"",  LOG_LEVEL_INF,     "int CmdSetting::open()"};
}

} // namespace

TEST(LogSettingsMapping, OutOfRangeValuesFallBackAsDocumented) {
    struct Case {
        const char* what;
        int raw;
        int expected;
        int actual;
    };
    const Case cases[] = {
        {"Level 5 counts as 0", 5, 0, mapLogLevel(5)},
        {"Level -1 counts as 0", -1, 0, mapLogLevel(-1)},
        {"Level 3 stays", 3, 3, mapLogLevel(3)},
        {"Destination 7 counts as 0", 7, 0, mapLogDestination(7, kStandard)},
        {"Destination 4 stays", 4, 4, mapLogDestination(4, kStandard)},
        {"Tilehop: Destination 7 counts as 2", 7, 2, mapLogDestination(7, kTilehop)},
        {"Tilehop: Destination 0 stays", 0, 0, mapLogDestination(0, kTilehop)},
        {"Tilehop: Destination 3 stays", 3, 3, mapLogDestination(3, kTilehop)},
        {"TimeDateFormat 9 counts as 1", 9, 1, mapTimeDateFormat(9)},
        {"TimeDateFormat 0 stays", 0, 0, mapTimeDateFormat(0)},
        {"TimeDateFormat 3 stays", 3, 3, mapTimeDateFormat(3)},
        {"SourceFileFormat 2 counts as 0", 2, 0, mapFullSourcePath(2)},
        {"SourceFileFormat 1 is the full path", 1, 1, mapFullSourcePath(1)},
        {"Flush 2 counts as 0", 2, 0, mapFlush(2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, c.actual);
    }
}

TEST(LogLineLayout, ThreadIdTimeStampSourcePrefixAndMessage) {
    int length = 0;
    const std::wstring line = assemble(cmdSettingSite(), &length, L"value %d", 5);
    EXPECT_EQ(
        L" [TID: 2468] 13:05:07.123: CmdSetting.cpp(77):  [INF] (CmdSetting::open): value 5\n",
        line);
    EXPECT_EQ(static_cast<int>(line.size()), length);
}

TEST(LogLineLayout, FullSourcePathKeepsTheRecordedPath) {
    LogLineParts parts = cmdSettingSite();
    parts.fullSourcePath = true;
    int length = 0;
    const std::wstring line = assemble(parts, &length, L"x");
    EXPECT_NE(std::wstring::npos, line.find(L"13:05:07.123: .\\CmdSetting.cpp(77):  [INF]"));
}

TEST(LogLineLayout, WithoutThreadIdTheLineBeginsWithTheTimeStamp) {
    LogLineParts parts = cmdSettingSite();
    parts.threadIdPrefix = false;
    parts.level = LOG_LEVEL_ERR;
    int length = 0;
    const std::wstring line = assemble(parts, &length, L"x");
    EXPECT_EQ(L"13:05:07.123: CmdSetting.cpp(77):  [ERR] (CmdSetting::open): x\n", line);
}

TEST(LogLineLayout, TagStandsBeforeTheLevel) {
    LogLineParts parts = cmdSettingSite();
    parts.tag = L"T";
    parts.timeStamp = L"";
    int length = 0;
    EXPECT_EQ(L" [TID: 2468] CmdSetting.cpp(77): T [INF] (CmdSetting::open): x\n",
              assemble(parts, &length, L"x"));
}

TEST(LogLineLayout, ArgumentsAreWrittenLiterally) {
    int length = 0;
    const std::wstring line = assemble(cmdSettingSite(), &length, L"%s", L"C:\\100%s %d");
    EXPECT_NE(std::wstring::npos, line.find(L"(CmdSetting::open): C:\\100%s %d\n"));
}

TEST(LogLineLayout, LongMessageIsCutTo510CharactersAndLineFeed) {
    const std::wstring message(600, L'm');
    int length = 0;
    const std::wstring line = assemble(cmdSettingSite(), &length, L"%s", message.c_str());
    EXPECT_EQ(512, length);
    ASSERT_EQ(511u, line.size());
    EXPECT_EQ(L'\n', line[510]);
    EXPECT_EQ(L'm', line[509]);
}

TEST(LogLineLayout, MessageThatJustFitsIsNotCut) {
    const std::wstring prefix =
        L" [TID: 2468] 13:05:07.123: CmdSetting.cpp(77):  [INF] (CmdSetting::open): ";
    const std::wstring message(510 - prefix.size(), L'm');
    int length = 0;
    const std::wstring line = assemble(cmdSettingSite(), &length, L"%s", message.c_str());
    EXPECT_EQ(511, length);
    EXPECT_EQ(prefix + message + L"\n", line);

    const std::wstring oneMore(message.size() + 1, L'm');
    assemble(cmdSettingSite(), &length, L"%s", oneMore.c_str());
    EXPECT_EQ(512, length);
}

TEST(LogFunctionLabel, QualifiedNameFromTheSignature) {
    struct Case {
        const char* signature;
        const wchar_t* label;
    };
    const Case cases[] = {
        {"int CmdSetting::open()", L" (CmdSetting::open)"},
        {"virtual int InstantTVCondition::isMatch()", L" (InstantTVCondition::isMatch)"},
        {"int wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)", L" (wWinMain)"},
        {"LRESULT __attribute__((stdcall)) CZapperDlg::OnWmInput(WPARAM, LPARAM)",
         L" (CZapperDlg::OnWmInput)"},
        {"ButtonInfo* CZapperDlg::find(const ButtonEvent&) const", L" (CZapperDlg::find)"},
        {"RegConfigAccess::~RegConfigAccess()", L" (RegConfigAccess::~RegConfigAccess)"},
        {"void Outer::{anonymous}::Inner::run()", L" (Outer::Inner::run)"},
        {"HRESULT {anonymous}::helper(void (*)(int))", L" (helper)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signature);
        wchar_t label[160];
        makeFunctionLabel(c.signature, label, 160);
        EXPECT_STREQ(c.label, label);
    }
}

TEST(LogSourceName, TextAfterTheLastBackslash) {
    EXPECT_STREQ(L"CmdSetting.cpp", shortSourceName(L".\\CmdSetting.cpp"));
    EXPECT_STREQ(L"h.h", shortSourceName(L"C:\\src\\common\\h.h"));
    EXPECT_STREQ(L"plain.cpp", shortSourceName(L"plain.cpp"));
}
