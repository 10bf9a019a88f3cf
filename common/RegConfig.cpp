#include "RegConfig.h"

#include "ResultCode.h"

RegConfigAccess::~RegConfigAccess() {
    Close();
}

HRESULT RegConfigAccess::Open(const wchar_t* pszSubKey) noexcept {
    if (key_) {
        LOG_ERROR_CODE(kInvalidHandle);
        return kInvalidHandle;
    }
    if (!pszSubKey) {
        LOG_ERROR_CODE(E_POINTER);
        return E_POINTER;
    }
    LOG_PARAM(L"pszSubKey", pszSubKey);
    const LONG error = ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, pszSubKey, 0, KEY_READ, key_.put());
    if (error != ERROR_SUCCESS) {
        const HRESULT result = resultFromSystemError(error);
        LOG_ERROR_CODE(result);
        return result;
    }
    return S_OK;
}

HRESULT RegConfigAccess::Close() noexcept {
    if (!key_) {
        LOG_ERROR_CODE(kInvalidHandle);
        return kInvalidHandle;
    }
    const LONG error = ::RegCloseKey(key_.get());
    if (error != ERROR_SUCCESS) {
        const HRESULT result = resultFromSystemError(error);
        LOG_ERROR_CODE(result);
        return result;
    }
    (void)key_.release();
    return S_OK;
}

LONG RegConfigAccess::queryValue(const wchar_t* pszName, void* data, DWORD& bytes) const noexcept {
    return ::RegQueryValueExW(key_.get(), pszName, nullptr, nullptr, static_cast<BYTE*>(data),
                              &bytes);
}
