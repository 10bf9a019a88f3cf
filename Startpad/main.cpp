#include <windows.h>

// The Media Center button launcher: not built yet. Its exit code is always 0.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    return 0;
}
