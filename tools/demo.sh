#!/usr/bin/env bash
# The suite's main job, end to end under Wine: builds everything, installs Zapper with a
# small button table and the stand-in hardware library, starts it, presses buttons on the
# simulated remote control and sends the tile launcher's notifications, and
# shows what Zapper did (its debugger output, the keys it sent, the programs it started),
# then stops it with "/exit".
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$root/build

bash tools/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" >/dev/null

export WINEPREFIX=$build/wineprefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
tools/wine-session.sh start "$WINEPREFIX" "$build"
trap 'tools/wine-session.sh stop "$WINEPREFIX" "$build"' EXIT
run() { "$build/wine-run" "$@"; }
say() { printf '\n== %s\n' "$*"; }

# Zapper's folder: the program, the stand-in hardware library (which woke the machine with
# the Media Center button), a debug log to the debugger output, and a recorder standing in
# for Tunerdesk.
demo=$build/demo
rm -rf "$demo" && mkdir -p "$demo"
cp "$build/bin/Zapper.exe" "$build/bin/SysBridge.dll" "$demo/"
cp "$build/bin/recorder.exe" "$demo/Tunerdesk.exe"
printf '[SysBridge]\r\nWakeupCode=0x90\r\nManufactureID=0x1234\r\nMachineID=0x42\r\n' >"$demo/SysBridge.ini"
printf '[LOG]\r\nLevel=2\r\nDestination=1\r\n' >"$demo/DbgLog.ini"
windemo=$(printf 'Z:%s' "$demo" | tr / '\\')

say "Button table (HKLM\\SOFTWARE\\KESTREL\\Zapper, copied to the user on first start)"
key='HKLM\SOFTWARE\KESTREL\Zapper'
run reg delete 'HKCU\SOFTWARE\KESTREL\Zapper' /f >/dev/null 2>&1 || true
run reg delete "$key" /f /reg:32 >/dev/null 2>&1 || true
table=(
    "MCE,6F,FFBC,88,0,0,0,0,,0,200,5B"
    "ThreeD,90,FF00,1,0,0,0,0,,0,200,33"
    "Play,B0,C,1,0,0,0,0,,0,201,B3"
    "Record,B2,C,1,0,0,0,0,,0,200,11&52"
    "TV,67,FF00,1,0,0,0,0,,0,200,11&54"
    "Guide,8D,FFBC,88,0,0,0,0,,0,100,Tunerdesk.exe /Guide"
)
run reg add "$key" /v CurrentVersion /d 3.0.1 /f /reg:32 >/dev/null
run reg add "$key" /v DemoSetting /t REG_DWORD /d 1 /f /reg:32 >/dev/null
for i in "${!table[@]}"; do
    run reg add "$key\\DemoSetting" /v "Line$i" /d "${table[$i]}" /f /reg:32 >/dev/null
    echo "  ${table[$i]}"
done

say "Starting Zapper (it polls the firmware for the wake-up code first, about 3 s)"
run "$build/bin/dbgcapture.exe" -o "$windemo\\debug.txt" -t 30 &
capture=$!
# A stand-in for the shell's desktop: Wine hands HID input only to a session whose
# foreground thread has a focus window, and Windows' shell always provides one.
run "$build/bin/zapperctl.exe" desktop 25 &
desktop=$!
run "$build/bin/zapperctl.exe" keys 25 >"$demo/keys.txt" &
keys=$!
sleep 1
run "$demo/Zapper.exe" &
zapper=$!
run "$build/bin/zapperctl.exe" wait 30
echo "  Zapper is running, its window hidden: $(run "$build/bin/zapperctl.exe" running && echo yes)"

say "Remote control: Play (a hold line), Guide (starts Tunerdesk /Guide), the 3D button"
run "$build/bin/remote.exe" -v hold Play 300 wait 100 click Guide wait 100 click 3D
sleep 1

say "Tile launcher: record, then TV (notifications 0x0D63 and 0x0D67)"
run "$build/bin/tilelauncher.exe" record
run "$build/bin/tilelauncher.exe" tv
sleep 1

say "Stopping Zapper with /exit"
run "$demo/Zapper.exe" /exit
wait "$zapper"
echo "  Zapper has ended"
sleep 1
kill "$capture" "$keys" "$desktop" 2>/dev/null || true
wait 2>/dev/null || true

say "What Zapper wrote to the debugger output"
grep -E '\[Zapper\]|\[INF\].*(execute :|ev Page)|CreateKeyEvent|Change3DState' "$demo/debug.txt" | sed 's/^/  /' || true
say "Keys Zapper sent"
sed 's/^/  /' "$demo/keys.txt"
say "Programs Zapper started"
if [ -f "$demo/Tunerdesk.exe.log" ]; then sed -n 's/^command=/  /p' "$demo/Tunerdesk.exe.log"; else echo "  none"; fi
say "What Zapper asked the hardware library"
sed 's/^/  /' "$demo/SysBridge.calls.txt"
