#include "PathHelper.h"

#include "DebugLog.h"
#include "ResultCode.h"

#include <shlwapi.h>

#include <cwchar>

HRESULT PathHelper::getWorkingDir(wchar_t* pszWorkDir) noexcept {
    if (!pszWorkDir) {
        LOG_ERROR_CODE(E_POINTER);
        return E_POINTER;
    }
    wchar_t folder[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, folder, MAX_PATH);
    ::PathRemoveFileSpecW(folder);
    if (std::wcslen(folder) >= MAX_PATH) {
        LOG_ERROR_CODE(E_FAIL);
        return E_FAIL;
    }
    std::wcsncpy(pszWorkDir, folder, MAX_PATH);
    pszWorkDir[MAX_PATH - 1] = L'\0';
    LOG_PARAM(L"pszWorkDir", pszWorkDir);
    return S_OK;
}

HRESULT PathHelper::makeFullPathWithModuleDir(wchar_t* pszFullPath,
                                              const wchar_t* fileName) noexcept {
    if (!pszFullPath || !fileName) {
        LOG_ERROR_CODE(E_POINTER);
        return E_POINTER;
    }
    const HRESULT result = getWorkingDir(pszFullPath);
    if (failed(result)) {
        LOG_ERROR_CODE(result);
        return result;
    }
    if (!::PathAppendW(pszFullPath, fileName)) {
        LOG_ERROR_CODE(E_FAIL);
        return E_FAIL;
    }
    LOG_PARAM(L"pszFullPath", pszFullPath);
    LOG_ASSERT(::PathFileExists(pszFullPath));
    return S_OK;
}
