#include "LogProfile.h"

const LogProfile& logProfile() noexcept {
    static const LogProfile profile{true, 0, 0, L"%LocalAppData%\\KESTREL\\log.txt", L"MM/dd "};
    return profile;
}
