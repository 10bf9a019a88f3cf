#include <windows.h>

// The TV and guide button launcher: not built yet. Its exit code is always 0.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return 0;
}
