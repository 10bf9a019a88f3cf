// Turns the kept bytes of one raw input into a button event: plain logic over the bytes.
#pragma once

#include "Model.h"

#include <cstdint>

// The first 40 bytes of a raw input are kept: the 16-byte header, the HID part's report
// size and count, and the first 16 bytes of the first report.
constexpr size_t kKeptRawInputBytes = 40;
constexpr size_t kFirstReportOffset = 24;

constexpr HRESULT kRawInputUnreadable = static_cast<HRESULT>(0x8000FF02);
constexpr HRESULT kOtherCollection = 0x4000FF02;
constexpr HRESULT kDeviceInfoUnreadable = 0x4000FF03;

// Keeps the first 40 bytes of a raw input of `size` bytes; what a short input lacks reads as 0.
void keepRawInput(const std::uint8_t* data, size_t size, std::uint8_t (&kept)[kKeptRawInputBytes]);

// Fills `event` from the report for the collection (usagePage, usage); `released` becomes
// 1 for a release report. kOtherCollection for a collection that is not handled.
HRESULT decodeReport(const std::uint8_t (&kept)[kKeptRawInputBytes], std::uint32_t usagePage,
                     std::uint32_t usage, ButtonEvent& event, int& released);
