#include <windows.h>

// The launch bridge: not built yet, so no request is handed over; exit code 0 leaves
// the launch to the starter.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return 0;
}
