// Result codes in the platform's style: 0 is success, a set high bit a failure.
#pragma once

#include <windows.h>

// A system error code as a result code: 0 and negative values stay as they are.
[[nodiscard]] constexpr HRESULT resultFromSystemError(LONG error) noexcept {
    return error <= 0
               ? static_cast<HRESULT>(error)
               : static_cast<HRESULT>((static_cast<unsigned long>(error) & 0xFFFFu) | 0x80070000u);
}

[[nodiscard]] constexpr bool failed(HRESULT code) noexcept {
    return code < 0;
}
