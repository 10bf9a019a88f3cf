#!/usr/bin/env bash
# The optical drives' prefix step: running it again changes nothing, and it makes a letter
# that a test left as a fixed disk (or that is missing) an optical drive on its folder again,
# in the running session.
#   drives-step-test.sh BUILD_DIR DISC_DIR
set -euo pipefail
build=$1
discs=$2
prefix=$build/wineprefix
step=$build/prefix.d/60-optical-drives.sh
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
drivectl() { "$build/wine-run" "$build/bin/drivectl.exe" "$@" </dev/null | tr -d '\r'; }
expect_optical() {
    for letter in d e; do
        [ "$(drivectl show $letter)" = "$letter: cdrom $discs/$letter" ] ||
            fail "$1: $(drivectl show $letter)"
    done
    [ "$(readlink "$prefix/dosdevices/d:")" = "$discs/d" ] || fail "$1: the link of d: is not kept"
}

bash "$step" "$prefix" "$build" >/dev/null || fail "first run"
expect_optical "first run"
out=$(bash "$step" "$prefix" "$build" | tr -d '\r') || fail "second run"
[ "$out" = $'d: unchanged\ne: unchanged' ] || fail "second run changed something: $out"
echo "ok: run twice, the second changes nothing"

drivectl fixed d "$discs/d" >/dev/null || fail "making d: a fixed disk"
[ "$(drivectl show d)" = "d: fixed $discs/d" ] || fail "d: did not become a fixed disk"
bash "$step" "$prefix" "$build" >/dev/null || fail "run after a fixed disk"
expect_optical "after a fixed disk"
echo "ok: a letter turned into a fixed disk is an optical drive again"
