// The button table's in-memory form, the event that carries one button report through the
// manager, the comma-separated field reader, and the bases of conditions and commands.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ButtonEvent {
    std::uint32_t reportId;
    std::uint32_t usagePage;
    std::uint32_t usage;
    std::uint32_t buttonCode;
};

constexpr size_t kConditionParamChars = 64; // 63 characters and the terminator
constexpr size_t kCmdParamChars = 180;      // 179 characters and the terminator

// One command record of a button line. Every field is zero or empty at construction.
class CmdInfo {
public:
    virtual ~CmdInfo() = default;

    DWORD delay = 0;     // milliseconds slept before each command built from the record
    DWORD OSType = 0;    // 0x100 attaches an OsCondition
    DWORD reserved = 0;  // kept from the table, unused
    DWORD Condition = 0; // 0x200 media, 0x400 application, 0x800 Rozuroz IV; low bits: sub-tests
    DWORD ConditionMode = 0; // 1 negates the media and application tests
    DWORD dwCmdType = 0; // 0x100 run, 0x200 key, 0x400 hardware, 0x800 other; low bits: sub-codes
    wchar_t ConditionParam[kConditionParamChars] = {};
    wchar_t CmdParam[kCmdParamChars] = {};
    int isRepeat = 0; // set by the dispatcher before a key command is built
    int released = 0; // likewise: 1 when the triggering report was a release
};

// One button line: the button it answers and its command records, in line order.
class ButtonInfo {
public:
    virtual ~ButtonInfo() = default;

    std::vector<std::unique_ptr<CmdInfo>> cmdInfoList;
    DWORD usagePage = 0;
    DWORD usage = 0;
    DWORD buttonCode = 0;
};

// The button table, in load order; earlier lines win.
using ButtonTable = std::vector<std::unique_ptr<ButtonInfo>>;

// Empties the table line by line, each line's records in order.
void clearButtonTable(ButtonTable& table) noexcept;

// Result codes of the field reader.
constexpr HRESULT kTokenLast = 0x40000201; // the line was empty or its last field was read
constexpr HRESULT kTokenUnclosed = static_cast<HRESULT>(0x80000201); // a quote is not closed

// Reads comma-separated fields with quoting. After a field is taken, the separator that ended
// it stays at the front of `line`, so every field after the first begins with it.
class Context {
public:
    virtual ~Context() = default;

    HRESULT getNextToken(std::wstring& field);

    std::wstring line;
    std::wstring token;
    std::wstring separator = L",";
    std::wstring quote = L"\"";
};

// Distinct readers for the button fields and for the command records of a line.
class ButtonContext : public Context {};
class CmdContext : public Context {};

// A test that a table line applies, for the line's first record.
class Condition {
public:
    virtual ~Condition() = default;
    virtual int isMatch() = 0;
    // 0 accepts the record; a code with the high bit set rejects it.
    virtual HRESULT setCmdInfo(CmdInfo* cmdInfo) = 0;

protected:
    CmdInfo* cmdInfo_ = nullptr; // not owned
};

// An action of a table line.
class Command {
public:
    virtual ~Command() = default;
    // Nonzero: done, the queue goes on; 0: failed, the rest of the queue is dropped.
    virtual int execute() = 0;
    virtual HRESULT setCmdInfo(CmdInfo* cmdInfo) = 0;

    const CmdInfo* cmdInfo() const { return cmdInfo_; }

protected:
    CmdInfo* cmdInfo_ = nullptr; // not owned
};
