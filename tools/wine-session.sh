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
    # The session's desktop, as a Windows shell provides one: Wine hands HID input only to a
    # session whose foreground thread has a focus window, and a program that brings its own
    # window to the front can leave the session without one. The stand-in takes the
    # foreground back whenever nobody has it; it ends with the session's wineserver.
    desktop_pid=$(cat "$prefix/.desktop.pid" 2>/dev/null || true)
    if [ -f "$build/bin/zapperctl.exe" ] && ! { [ -n "$desktop_pid" ] && kill -0 "$desktop_pid" 2>/dev/null; }; then
        nohup wine "$build/bin/zapperctl.exe" desktop 86400 </dev/null >/dev/null 2>&1 &
        echo $! >"$prefix/.desktop.pid"
    fi
    ;;
stop)
    rm -f "$prefix/.desktop.pid"
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
    ;;
*)
    echo "usage: wine-session.sh start|stop PREFIX BUILD_DIR" >&2
    exit 2
    ;;
esac
