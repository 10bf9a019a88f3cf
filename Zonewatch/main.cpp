#include <windows.h>

// The region check: not built yet, so no region is written and the run reports the
// failure exit code.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return -1;
}
