#!/usr/bin/env bash
# Starts or stops the Wine session that the tests share.
#   wine-session.sh start|stop PREFIX BUILD_DIR
set -euo pipefail
action=$1
prefix=$2
build=$3
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
here=$(cd "$(dirname "$0")" && pwd)
case $action in
start)
    "$here/wineprefix.sh" "$prefix" "$build"
    # A persistent server and the session's own processes, started here with their output
    # detached, so that no later test's output stays held by them.
    wineserver -p </dev/null >/dev/null 2>&1 || true # already running: fine
    wine "$build/bin/bitness32.exe" </dev/null >/dev/null 2>&1 || true
    # The stand-ins that live in the prefix, refreshed from this build.
    "$here/prefix-steps.sh" "$prefix" "$build" </dev/null
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: wine-session.sh start|stop PREFIX BUILD_DIR" >&2
    exit 2
    ;;
esac
