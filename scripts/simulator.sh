# Sourced by the scripts that run the console against the simulator: builds what they name,
# starts vantor-sim on a free loopback port with the given options, and stops it on exit.
# After start_simulator, $address is its TCP address.

# build_targets TARGET...: installs what is missing and builds the targets.
build_targets() {
    scripts/install-deps.sh
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build -j"$(nproc)" --target "$@"
}

# make_run_dir NAME: a scratch folder, removed on exit with the simulator.
make_run_dir() {
    run_dir=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    sim_pid=""
    trap stop_simulator EXIT INT TERM
}

# start_simulator [OPTION...]
start_simulator() {
    "$PWD/build/sim/vantor-sim" --tcp 127.0.0.1:0 "$@" >"$run_dir/sim.out" 2>"$run_dir/sim.err" &
    sim_pid=$!
    address=""
    for _ in $(seq 100); do
        address=$(awk '$1 == "tcp" { print $2; exit }' "$run_dir/sim.out")
        [ -n "$address" ] && return 0
        sleep 0.05
    done
    echo "vantor-sim did not start:" >&2
    cat "$run_dir/sim.err" >&2
    exit 1
}

stop_simulator() {
    [ -n "${sim_pid:-}" ] && kill "$sim_pid" 2>/dev/null && wait "$sim_pid" 2>/dev/null
    rm -rf "$run_dir"
}
