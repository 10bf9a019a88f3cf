#!/usr/bin/env bash
# Runs the build's prefix steps: each component that must live inside the Wine prefix
# (kernel services, devices) leaves a script in BUILD/prefix.d. Steps are idempotent and
# cheap when nothing changed; they run when the prefix is made and at every test session.
#   prefix-steps.sh PREFIX BUILD_DIR
set -euo pipefail
prefix=$1
build=$2
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
for step in "$build"/prefix.d/*.sh; do
    [ -f "$step" ] || continue
    bash "$step" "$prefix" "$build" >/dev/null || { echo "prefix step failed: $step" >&2; exit 1; }
done
