#!/usr/bin/env bash
# Starts the console against the simulated printer: installs what is missing, builds kestrel
# and vantor-sim, starts the simulator on loopback TCP and a pseudo-terminal, and opens the
# console in the demo folder with the simulator's address as its port.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

. scripts/simulator.sh
build_targets kestrel vantor-sim
make_run_dir kestrel-demo
start_simulator --pty "$run_dir/vantor" --periodic-ms 500
echo "Simulated Vantor 60 (Ventrix mode, status every 500 ms) listening on $address and on"
echo "the serial port $run_dir/vantor (COM1). Select a Ventrix ticket, check Ventrix Mode, press"
echo "COMM to open the port and Print; Debug Mode shows every byte."

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
