// Read-only access to one configuration key under HKEY_LOCAL_MACHINE, in the default
// registry view of the process (a 32-bit program on 64-bit Windows sees the 32-bit view).
#pragma once

#include "DebugLog.h"
#include "ResultCode.h"
#include "UniqueHandle.h"

#include <windows.h>

#include <cstddef>
#include <new>
#include <vector>

class RegConfigAccess {
public:
    RegConfigAccess() noexcept = default;
    virtual ~RegConfigAccess();
    RegConfigAccess(const RegConfigAccess&) = delete;
    RegConfigAccess& operator=(const RegConfigAccess&) = delete;

    [[nodiscard]] HRESULT Open(const wchar_t* pszSubKey) noexcept;
    HRESULT Close() noexcept;

    // Replaces `values` by the value's raw data, whatever its registry type, cut to whole
    // elements. `values` stays as it was on failure.
    template <typename Element>
    [[nodiscard]] HRESULT GetValue(const wchar_t* pszName, std::vector<Element>& values) noexcept;

    // Stores the first element of the data into `value`; `value` keeps what it held when
    // the read fails or the data is empty, so the caller sets the default beforehand.
    template <typename Element>
    [[nodiscard]] HRESULT GetValue(const wchar_t* pszName, Element& value) noexcept;

private:
    static constexpr HRESULT kInvalidHandle = resultFromSystemError(ERROR_INVALID_HANDLE);

    // The registry query behind both forms; `data` null asks for the size only.
    LONG queryValue(const wchar_t* pszName, void* data, DWORD& bytes) const noexcept;

    UniqueRegKey key_;
};

template <typename Element>
HRESULT RegConfigAccess::GetValue(const wchar_t* pszName, std::vector<Element>& values) noexcept {
    if (!key_) {
        LOG_ERROR_CODE(kInvalidHandle);
        return kInvalidHandle;
    }
    if (!pszName) {
        LOG_ERROR_CODE(E_POINTER);
        return E_POINTER;
    }
    LOG_PARAM(L"pszName", pszName);
    DWORD size = 0;
    LONG error = queryValue(pszName, nullptr, size);
    if (error == ERROR_SUCCESS) {
        // One spare element keeps string data terminated even when stored without one.
        std::vector<Element> data(size / sizeof(Element) + 1);
        DWORD written = static_cast<DWORD>(data.size() * sizeof(Element));
        error = queryValue(pszName, data.data(), written);
        if (error == ERROR_SUCCESS) {
            data.resize(written / sizeof(Element));
            values.swap(data);
            return S_OK;
        }
    }
    const HRESULT result = resultFromSystemError(error);
    LOG_ERROR_CODE(result);
    return result;
}

template <typename Element>
HRESULT RegConfigAccess::GetValue(const wchar_t* pszName, Element& value) noexcept {
    std::vector<Element> data(1, value);
    const HRESULT result = GetValue(pszName, data);
    if (failed(result)) {
        LOG_ERROR_CODE(result);
        return result;
    }
    if (!data.empty()) {
        value = data.front();
    }
    return S_OK;
}
