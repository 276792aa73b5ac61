#!/usr/bin/env bash
# Leaves the console polling the simulated printer for MINUTES (Ventrix mode, a poll every
# 100 ms, status sent unasked every 500 ms, the log pane shown) and prints its CPU use and its
# resident memory and open descriptors at the start and at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES [packets|packets-shown|debug-off]}
# "packets": the session recording and the packet view's rows beside the console; "packets-shown"
# with the view shown; "debug-off" with Debug Mode off, the log pane never painted.
extra=${2:-}

. scripts/simulator.sh
build_targets console_soak vantor-sim
make_run_dir kestrel-soak
start_simulator --periodic-ms 500

QT_QPA_PLATFORM=offscreen build/bench/console_soak "$address" "$((minutes * 60))" ${extra:+"$extra"}
