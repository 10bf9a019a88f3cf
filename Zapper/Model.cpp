#include "Model.h"

void clearButtonTable(ButtonTable& table) noexcept {
    for (auto& button : table) {
        for (auto& record : button->cmdInfoList) {
            record.reset();
        }
        button->cmdInfoList.clear();
        button.reset();
    }
    table.clear();
}

HRESULT Context::getNextToken(std::wstring& field) {
    // The separator and the quote count only when they are exactly one character long.
    const wchar_t s = separator.size() == 1 ? separator[0] : L'\0';
    const wchar_t q = quote.size() == 1 ? quote[0] : L'\0';
    const bool hasSeparator = separator.size() == 1;
    const bool hasQuote = quote.size() == 1;

    auto stripQuotes = [&](std::wstring text) {
        if (hasQuote) {
            const size_t first = text.find_first_not_of(q);
            if (first == std::wstring::npos) {
                return std::wstring();
            }
            const size_t last = text.find_last_not_of(q);
            text = text.substr(first, last - first + 1);
        }
        return text;
    };
    auto take = [&](std::wstring value, HRESULT result) {
        token = std::move(value);
        field = token;
        return result;
    };

    if (line.empty()) {
        return take(std::wstring(), kTokenLast);
    }
    if (hasSeparator && line[0] == s) {
        if (line.size() == 1) {
            line.clear();
            return take(std::wstring(), S_OK);
        }
        if (line[1] == s) {
            line.erase(0, 1);
            return take(std::wstring(), S_OK);
        }
        if (hasQuote && line[1] == q) {
            const size_t closing = line.find(q, 2);
            if (closing == std::wstring::npos) {
                return kTokenUnclosed;
            }
            std::wstring value = stripQuotes(line.substr(1, closing));
            line.erase(0, closing + 1);
            return take(std::move(value), S_OK);
        }
        const size_t next = line.find(s, 1);
        if (next == std::wstring::npos) {
            std::wstring value = line.substr(1);
            line.clear();
            return take(std::move(value), kTokenLast);
        }
        std::wstring value = line.substr(1, next - 1);
        line.erase(0, next);
        return take(std::move(value), S_OK);
    }
    if (hasQuote && line[0] == q) {
        if (line.size() == 1) {
            return kTokenUnclosed;
        }
        if (line[1] == q) {
            line.erase(0, 2);
            return take(std::wstring(), S_OK);
        }
        const size_t closing = line.find(q, 1);
        if (closing == std::wstring::npos) {
            return kTokenUnclosed;
        }
        std::wstring value = stripQuotes(line.substr(0, closing + 1));
        line.erase(0, closing + 1);
        return take(std::move(value), S_OK);
    }
    const size_t next = hasSeparator ? line.find(s) : std::wstring::npos;
    if (next == std::wstring::npos) {
        std::wstring value = line;
        line.clear();
        return take(std::move(value), kTokenLast);
    }
    std::wstring value = line.substr(0, next);
    line.erase(0, next);
    return take(std::move(value), S_OK);
}
