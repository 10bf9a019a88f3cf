#include "LogProfile.h"

// Tilehop logs its errors even without a settings file, into its own kept-open file.
const LogProfile& logProfile() noexcept {
    static const LogProfile profile{
        false, 2, 2, L"%LocalAppData%\\KESTREL\\QuickTiles\\Touchpad.txt", L"yyyy-MM-dd "};
    return profile;
}
