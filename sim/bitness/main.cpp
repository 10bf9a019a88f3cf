// bitness: ends with 64 in a 64-bit process, 32 in a 32-bit one, so a test can see which
// kind of program the build produced and Wine ran.
int wmain() {
    return static_cast<int>(sizeof(void*) * 8);
}
