// Paths beside the running program. Buffers are the caller's, MAX_PATH (260) characters.
#pragma once

#include <windows.h>

class PathHelper {
public:
    // The program's folder, without a trailing backslash.
    [[nodiscard]] static HRESULT getWorkingDir(wchar_t* pszWorkDir) noexcept;

    // The program's folder joined with `fileName`. Success means the path was built, not
    // that the file is there (a missing file is only reported in the log).
    [[nodiscard]] static HRESULT makeFullPathWithModuleDir(wchar_t* pszFullPath,
                                                           const wchar_t* fileName) noexcept;
};
