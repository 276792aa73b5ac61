#!/usr/bin/env bash
# Starts the console against the simulated printer: installs what is missing, builds kestrel
# and vantor-sim, starts the simulator on loopback TCP and a pseudo-terminal, and opens the
# console in the demo folder with the simulator's address as its port.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target kestrel vantor-sim

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-demo.XXXXXX")
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$run_dir"
}
trap cleanup EXIT INT TERM

"$root/build/sim/vantor-sim" --tcp 127.0.0.1:0 --pty "$run_dir/vantor" --periodic-ms 500 \
    >"$run_dir/sim.out" 2>"$run_dir/sim.err" &
sim_pid=$!
address=""
for _ in $(seq 100); do
    address=$(awk '$1 == "tcp" { print $2; exit }' "$run_dir/sim.out")
    [ -n "$address" ] && break
    sleep 0.05
done
if [ -z "$address" ]; then
    echo "vantor-sim did not start:" >&2
    cat "$run_dir/sim.err" >&2
    exit 1
fi
echo "Simulated Vantor 60 (Ventrix mode, status every 500 ms) listening on $address and on"
echo "the serial port $run_dir/vantor (COM1). Press COMM to open it, check Ventrix Mode, and"
echo "print a demo ticket; Debug Mode shows every byte."

# The demo keeps its own settings, so it neither reads nor changes the user's: COM1 is the
# simulator's serial port, and its TCP address is offered in the port dialog as one used before.
export KESTREL_SETTINGS="$run_dir/IOCommKestrel.reg"
printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Quillon\\IOCommKestrel]\n"COM1"="%s"\n"TCP"=" %s"\n' \
    "$run_dir/vantor" "$address" >"$KESTREL_SETTINGS"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: the console runs on Qt's offscreen platform (Ctrl+C ends it)."
    export QT_QPA_PLATFORM=offscreen
fi
# Demo tickets are found in the current directory.
mkdir -p "$root/demo"
cd "$root/demo"
"$root/build/src/ui/kestrel" ventrix "/port:$address"
