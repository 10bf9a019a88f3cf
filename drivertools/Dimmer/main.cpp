#include <windows.h>

// The illumination switch: not built yet; exit code 0 says nothing was toggled.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return 0;
}
