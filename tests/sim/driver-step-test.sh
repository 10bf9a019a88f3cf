#!/usr/bin/env bash
# The stand-in driver's prefix step: running it again changes nothing, it replaces an
# installed image that differs from the build's (as after a rebuild) so that the build's
# driver answers, and it starts a stopped service (as at a session start).
#   driver-step-test.sh BUILD_DIR
set -euo pipefail
build=$1
prefix=$build/wineprefix
step=$build/prefix.d/50-kestrelsim.sh
image=$build/bin64/kestrelsim.sys
installed=$prefix/drive_c/windows/system32/drivers/kestrelsim.sys
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
lcdctl() { "$build/wine-run" "$build/bin/lcdctl.exe" "$@" </dev/null; }
# The image tag of the driver that answers, empty when none does.
answering() { lcdctl show 2>/dev/null | tr -d '\r' | sed -n 's/^image *//p' || true; }
answers_as() {
    [ "$(answering)" = "$1" ] || fail "$2: the driver answering is '$(answering)', not '$1'"
    lcdctl query >/dev/null || fail "$2: \\\\.\\LCD does not answer the backlight requests"
}

for run in first second; do
    bash "$step" "$prefix" "$build" || fail "$run run of the step"
    cmp -s "$image" "$installed" || fail "$run run: the installed image is not the build's"
    answers_as kestrelsim "$run run"
done
echo "ok: run twice, the build's driver runs and answers"

bash "$step" "$prefix" "$build" "$build/bin64/kestrelsim-alt.sys" || fail "installing another image"
answers_as kestrelsim-alt "another image installed"
bash "$step" "$prefix" "$build" || fail "step after another image"
cmp -s "$image" "$installed" || fail "the build's image was not copied back"
answers_as kestrelsim "after a changed image"
echo "ok: a changed image is replaced and the new driver answers"

/usr/lib/wine/wine64 sc stop KestrelSim </dev/null >/dev/null 2>&1 || fail "sc stop"
if lcdctl query >/dev/null 2>&1; then
    fail "\\\\.\\LCD still opens with the service stopped"
fi
bash "$step" "$prefix" "$build" || fail "step after a stop"
answers_as kestrelsim "after a stop"
echo "ok: a stopped service is started again"
