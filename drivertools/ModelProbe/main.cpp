// The driver query tool: not built yet; exit code 0 says the driver did not answer.
int wmain() {
    return 0;
}
