#include "LogLine.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

namespace {

constexpr size_t MAX_SOURCE_PATH = 260;

const wchar_t* const kLevelTags[] = {L"ERR", L"WRN", L"INF", L"TRC"};

const wchar_t* levelTag(LogLevel level) noexcept {
    return level >= LOG_LEVEL_ERR && level <= LOG_LEVEL_TRC ? kLevelTags[level] : L"???";
}

bool isNameChar(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == ':' || c == '~' || c == '{' || c == '}';
}

// Appends a formatted piece into what is left of the line; a piece that does not fit
// is cut, which keeps the line's start.
class LineBuilder {
public:
    explicit LineBuilder(wchar_t (&line)[kLogLineChars]) noexcept : line_(line) {}

    void append(const wchar_t* format, ...) noexcept {
        va_list args;
        va_start(args, format);
        appendV(format, args, kLogLineChars - length_);
        va_end(args);
    }

    // Returns false when the text did not fit into `room` characters.
    bool appendV(const wchar_t* format, va_list args, int room) noexcept {
        if (room <= 0) {
            return false;
        }
        const int written = _vsnwprintf(line_ + length_, static_cast<size_t>(room), format, args);
        if (written < 0 || written >= room) {
            length_ = kLogLineChars - 1;
            line_[length_] = L'\0';
            return false;
        }
        length_ += written;
        return true;
    }

    int length() const noexcept { return length_; }

private:
    wchar_t* line_;
    int length_ = 0;
};

} // namespace

int mapLogLevel(int raw) noexcept {
    return raw >= 1 && raw <= 3 ? raw : 0;
}

int mapLogDestination(int raw, const LogProfile& profile) noexcept {
    return raw >= 0 && raw <= 4 ? raw : profile.fallbackDestination;
}

int mapTimeDateFormat(int raw) noexcept {
    return raw == 0 || raw == 2 || raw == 3 ? raw : 1;
}

bool mapFullSourcePath(int raw) noexcept {
    return raw == 1;
}

bool mapFlush(int raw) noexcept {
    return raw == 1;
}

const wchar_t* shortSourceName(const wchar_t* path) noexcept {
    const wchar_t* lastBackslash = std::wcsrchr(path, L'\\');
    return lastBackslash ? lastBackslash + 1 : path;
}

void makeFunctionLabel(const char* signature, wchar_t* out, std::size_t outChars) noexcept {
    if (outChars == 0) {
        return;
    }
    // The parameter list is the last parenthesised group; the name stands right before it.
    const char* end = signature + std::strlen(signature);
    const char* closing = nullptr;
    for (const char* p = end; p != signature; --p) {
        if (p[-1] == ')') {
            closing = p - 1;
            break;
        }
    }
    const char* nameEnd = end;
    if (closing) {
        int depth = 0;
        for (const char* p = closing; p >= signature; --p) {
            if (*p == ')') {
                ++depth;
            } else if (*p == '(' && --depth == 0) {
                nameEnd = p;
                break;
            }
        }
    }
    const char* nameStart = nameEnd;
    while (nameStart != signature && isNameChar(nameStart[-1])) {
        --nameStart;
    }
    std::size_t used = 0;
    auto put = [&](wchar_t c) {
        if (used + 1 < outChars) {
            out[used++] = c;
        }
    };
    put(L' ');
    put(L'(');
    // Anonymous namespaces say nothing to the reader of a log.
    static const char kAnonymous[] = "{anonymous}::";
    const size_t anonymousLength = sizeof kAnonymous - 1;
    for (const char* p = nameStart; p != nameEnd; ++p) {
        if (static_cast<size_t>(nameEnd - p) > anonymousLength &&
            std::strncmp(p, kAnonymous, anonymousLength) == 0) {
            p += anonymousLength - 1;
            continue;
        }
        put(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
    put(L')');
    out[used] = L'\0';
}

int assembleLogLine(wchar_t (&line)[kLogLineChars], const LogLineParts& parts,
                    const wchar_t* format, va_list args) noexcept {
    LineBuilder builder(line);
    if (parts.threadIdPrefix) {
        builder.append(L" [TID: %d] ", static_cast<int>(parts.threadId));
    }
    builder.append(L"%s", parts.timeStamp);

    wchar_t label[160];
    makeFunctionLabel(parts.function, label, sizeof label / sizeof label[0]);
    // The build may record paths with forward slashes; the log shows them the Windows way.
    wchar_t recorded[MAX_SOURCE_PATH];
    size_t used = 0;
    for (const wchar_t* p = parts.sourceFile; *p && used + 1 < MAX_SOURCE_PATH; ++p) {
        recorded[used++] = *p == L'/' ? L'\\' : *p;
    }
    recorded[used] = L'\0';
    const wchar_t* source = parts.fullSourcePath ? recorded : shortSourceName(recorded);
    builder.append(L"%s(%d): %s [%s]%s: ", source, parts.line, parts.tag, levelTag(parts.level),
                   label);

    // One character stays free for the line feed.
    const bool fitted = builder.appendV(format, args, kLogLineChars - 1 - builder.length());
    if (fitted && builder.length() < kLogLineMaxText + 1) {
        const int length = builder.length();
        line[length] = L'\n';
        line[length + 1] = L'\0';
        return length + 1;
    }
    line[kLogLineMaxText] = L'\n';
    line[kLogLineMaxText + 1] = L'\0';
    return kLogLineChars;
}
