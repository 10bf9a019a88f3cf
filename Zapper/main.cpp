#include "ZapperApp.h"

#include <windows.h>

namespace {
CZapperApp theApp;
} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return runApplication(theApp);
}
