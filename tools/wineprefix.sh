#!/usr/bin/env bash
# Makes the suite's private Wine prefix: 64-bit with 32-bit support, headless through the
# null graphics driver, quiet, without the Mono and Gecko prompts; then installs the
# stand-ins that must live inside the prefix (kernel services, devices).
#   wineprefix.sh PREFIX BUILD_DIR
set -euo pipefail
prefix=$1
build=$2
mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$prefix/.suite-ready" ] && exit 0

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$prefix"
start=$(date +%s)
wineboot -i >/dev/null 2>&1
# Without a display, window creation fails unless the null driver is chosen.
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w

"$(dirname "$0")/prefix-steps.sh" "$prefix" "$build"
wineserver -k || true
wineserver -w || true
touch "$prefix/.suite-ready"
echo "wine prefix ready in $(( $(date +%s) - start )) s: $prefix" >&2
