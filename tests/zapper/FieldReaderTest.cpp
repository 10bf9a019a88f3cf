#include "Model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Read {
    std::wstring field;
    HRESULT result;
};

std::string narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());
}

} // namespace

TEST(FieldReader, ReadsFieldsAsDocumented) {
    struct Case {
        std::wstring line;
        std::vector<Read> reads;
    };
    const Case cases[] = {
        {L"a,b", {{L"a", S_OK}, {L"b", kTokenLast}, {L"", kTokenLast}}},
        {L"a,,b", {{L"a", S_OK}, {L"", S_OK}, {L"b", kTokenLast}}},
        {L"a,", {{L"a", S_OK}, {L"", S_OK}, {L"", kTokenLast}}},
        {L",a", {{L"a", kTokenLast}, {L"", kTokenLast}}},
        {L"\"x,y\",z", {{L"x,y", S_OK}, {L"z", kTokenLast}}},
        {L"\"a\"b,c", {{L"a", S_OK}, {L"b", S_OK}, {L"c", kTokenLast}}},
        {L"\"\",x", {{L"", S_OK}, {L"x", kTokenLast}}},
        {L"a,\"p,q\",b", {{L"a", S_OK}, {L"p,q", S_OK}, {L"b", kTokenLast}}},
        {L"a,\"\",b", {{L"a", S_OK}, {L"", S_OK}, {L"b", kTokenLast}}},
        {L"a b\"c,d", {{L"a b\"c", S_OK}, {L"d", kTokenLast}}}, // a quote inside stays
        {L" a , b", {{L" a ", S_OK}, {L" b", kTokenLast}}},     // no trimming
        {L"", {{L"", kTokenLast}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.line));
        Context context;
        context.line = c.line;
        for (const Read& expected : c.reads) {
            std::wstring field = L"stale";
            EXPECT_EQ(expected.result, context.getNextToken(field));
            EXPECT_EQ(expected.field, field);
            EXPECT_EQ(expected.field, context.token);
        }
    }
}

TEST(FieldReader, UnclosedQuoteFailsAndLeavesTheLine) {
    const std::wstring cases[] = {L"\"", L"\"abc", L",\"b"};
    for (const std::wstring& line : cases) {
        SCOPED_TRACE(narrow(line));
        Context context;
        context.line = line;
        std::wstring field;
        EXPECT_EQ(kTokenUnclosed, context.getNextToken(field));
        EXPECT_EQ(line, context.line);
    }
    Context context;
    context.line = L"a,\"b";
    std::wstring field;
    EXPECT_EQ(S_OK, context.getNextToken(field));
    EXPECT_EQ(L"a", field);
    EXPECT_EQ(kTokenUnclosed, context.getNextToken(field));
    EXPECT_EQ(L",\"b", context.line);
}

TEST(FieldReader, OtherSeparatorSplitsWords) {
    Context words;
    words.separator = L" ";
    words.line = L"\"C:\\Program Files\\App.exe\" /show_full /show_epg";
    std::wstring field;
    EXPECT_EQ(S_OK, words.getNextToken(field));
    EXPECT_EQ(L"C:\\Program Files\\App.exe", field);
    EXPECT_EQ(L" /show_full /show_epg", words.line);
}

TEST(FieldReader, SeparatorOfTwoCharactersIsNeverFound) {
    Context context;
    context.separator = L",,";
    context.line = L"a,b";
    std::wstring field;
    EXPECT_EQ(kTokenLast, context.getNextToken(field));
    EXPECT_EQ(L"a,b", field);
}
