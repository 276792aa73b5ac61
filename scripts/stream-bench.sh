#!/usr/bin/env bash
# A 20 KB/s stream through a pseudo-terminal for SECONDS (default 60) into the console, shown
# under a display (Xvfb when none is set), and the same stream into CuteCom with its hex display
# in the same run; prints both figures (see bench/stream_bench.cpp). Installs the Debian packages
# cutecom, xvfb, xdotool and imagemagick when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

. scripts/simulator.sh
scripts/install-deps.sh cutecom xvfb xdotool imagemagick
build_targets stream_bench

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-stream.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$run_dir"
}
trap cleanup EXIT INT TERM

if [ -z "${DISPLAY:-}" ]; then
    Xvfb :97 -screen 0 1600x1000x24 >"$run_dir/xvfb.log" 2>&1 &
    pids+=($!)
    export DISPLAY=:97
    sleep 1
fi

QT_QPA_PLATFORM=xcb build/bench/stream_bench "$seconds" --compare-tty "$run_dir/tty" \
    --compare-pid-file "$run_dir/pid" &
bench=$!
for _ in $(seq 100); do [ -s "$run_dir/tty" ] && break; sleep 0.1; done
tty=$(cat "$run_dir/tty")

# CuteCom on the second terminal: a session naming it, then Hex output and Open as an operator
# would choose them.
mkdir -p "$run_dir/home/.config/CuteCom"
cat >"$run_dir/home/.config/CuteCom/CuteCom5.conf" <<CONF
[CuteCom]
session=bench

[sessions]
1\\BaudRate=115200
1\\DataBits=8
1\\Device=$tty
1\\FlowControl=0
1\\OpenMode=3
1\\Parity=0
1\\StopBits=1
1\\name=bench
size=1
CONF
HOME="$run_dir/home" XDG_CONFIG_HOME="$run_dir/home/.config" cutecom -s bench \
    >"$run_dir/cutecom.log" 2>&1 &
cutecom=$!
pids+=($cutecom)
window=$(xdotool search --sync --onlyvisible --pid "$cutecom" --name CuteCom | head -1)
sleep 1
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
xdotool key --clearmodifiers alt+x
xdotool key --clearmodifiers alt+o
echo "$cutecom" >"$run_dir/pid"
# STREAM_SCREENSHOT=FILE: the screen ten seconds into the stream, to see both windows at work.
if [ -n "${STREAM_SCREENSHOT:-}" ]; then
    (sleep 12 && import -window root "$STREAM_SCREENSHOT") &
fi
wait "$bench"
