#!/bin/bash
# The terminal against the simulator, without hardware: builds what is
# needed, prepares a demo folder with a settings file (port "Com1"), starts
# kt4470-sim linked as demo/COM1, then kt4470 in that folder, and stops the
# simulator when the window closes.
#
# Usage: scripts/run-demo.sh [module|sms]
# Environment: BUILD (build folder, default build), CMAKE_FLAGS (for its
# first configuration, as the Makefile passes them), JOBS (parallel jobs),
# DEMO (demo folder, default demo), NUMBER (the module's phone number in SMS
# mode), SIM_ARGS (extra simulator options, e.g. "--split" or "--noise 0.05").
set -euo pipefail
cd "$(dirname "$0")/.."

mode="${1:-module}"
build="${BUILD:-build}"
jobs="${JOBS:-2}"
demo="${DEMO:-demo}"
number="${NUMBER:-+4917000000001}"

case "$mode" in
module | sms) ;;
*)
    echo "run-demo: MODE must be module or sms, not '$mode'" >&2
    exit 2
    ;;
esac

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); try: xvfb-run -a make run" >&2
    exit 1
fi

scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
    # shellcheck disable=SC2086
    cmake -S . -B "$build" ${CMAKE_FLAGS:-}
fi
cmake --build "$build" -j "$jobs" --target kt4470 kt4470-sim kt4470ctl

kt4470="$PWD/$build/src/app/kt4470"
sim="$build/tools/sim/kt4470-sim"
ctl="$build/tools/ctl/kt4470ctl"
case "$build" in /*) kt4470="$build/src/app/kt4470" ;; esac

mkdir -p "$demo"
cfg="$demo/KT4470.cfg"
if [ ! -f "$cfg" ]; then
    "$ctl" cfg new "$cfg"
    # Keep what the operator changes in the demo; delete the answers read
    # from the simulated modem's inbox, as the program does by default.
    "$ctl" cfg set "$cfg" SaveOnExit=1 DeleteSms=1
fi
if [ "$mode" = sms ]; then
    "$ctl" cfg set "$cfg" PortIndex=0 SmsModeOn=1 ModuleNumber="$number" ModuleNumberCopy="$number"
    sim_args=(--mode modem --module-number "$number")
    role="GSM modem for the module $number"
else
    "$ctl" cfg set "$cfg" PortIndex=0 SmsModeOn=0
    sim_args=(--mode module)
    role="module"
fi

# A link left behind by a simulator that was killed is replaced by the new one.
link="$demo/COM1"
log="$demo/sim.log"
: >"$log"
# shellcheck disable=SC2206
extra=(${SIM_ARGS:-})
"$sim" "${sim_args[@]}" "${extra[@]}" --link "$link" --log "$log" >"$demo/sim.out" 2>&1 &
sim_pid=$!
app_pid=""
# shellcheck disable=SC2317  # run by the traps
stop_all() {
    for pid in $app_pid $sim_pid; do
        if kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
}
trap stop_all EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# The simulator prints its device and makes the link; wait for both.
for _ in $(seq 100); do
    if [ -L "$link" ] && [ -e "$link" ]; then break; fi
    if ! kill -0 "$sim_pid" 2>/dev/null; then
        echo "run-demo: kt4470-sim stopped:" >&2
        cat "$demo/sim.out" >&2
        exit 1
    fi
    sleep 0.1
done
if ! [ -e "$link" ]; then
    echo "run-demo: kt4470-sim made no link $link within 10 s" >&2
    exit 1
fi
echo "run-demo: kt4470-sim ($role) on $(readlink "$link"), linked as $link; log in $log"

# In the background, so that a signal to this script stops both programs.
(cd "$demo" && exec "$kt4470") &
app_pid=$!
status=0
wait "$app_pid" || status=$?
app_pid=""
exit "$status"
