#!/usr/bin/env bash
# Leaves the console polling the simulated printer for MINUTES (Ventrix mode, a poll every
# 100 ms, status sent unasked every 500 ms, the log pane shown) and prints its CPU use and its
# resident memory and open descriptors at the start and at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES}

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target console_soak vantor-sim

run_dir=$(mktemp -d "${TMPDIR:-/tmp}/kestrel-soak.XXXXXX")
sim_pid=""
cleanup() {
    [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$run_dir"
}
trap cleanup EXIT INT TERM

build/sim/vantor-sim --tcp 127.0.0.1:0 --periodic-ms 500 >"$run_dir/sim.out" 2>&1 &
sim_pid=$!
address=""
for _ in $(seq 100); do
    address=$(awk '$1 == "tcp" { print $2; exit }' "$run_dir/sim.out")
    [ -n "$address" ] && break
    sleep 0.05
done
[ -n "$address" ] || { echo "vantor-sim did not start" >&2; exit 1; }

QT_QPA_PLATFORM=offscreen build/bench/console_soak "$address" "$((minutes * 60))"
