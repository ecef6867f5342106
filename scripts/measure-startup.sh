#!/bin/bash
# Measures kt4470: time from process start to the window shown, resident
# memory after start, and CPU use while idle with the port open.
# Usage: scripts/measure-startup.sh [BUILD_DIR] [IDLE_SECONDS]
# Runs under its own X server (xvfb-run) unless DISPLAY is set. The port is
# a pseudo-terminal from kt4470-sim (module mode), linked as COM1 in a
# temporary working folder.
set -euo pipefail

build=$(cd "${1:-build}" && pwd)
idle=${2:-60}
app="$build/src/app/kt4470"
sim="$build/tools/sim/kt4470-sim"
[ -x "$app" ] || { echo "measure: $app not built" >&2; exit 1; }

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$idle"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
export KT4470_DATA_DIR="$work"  # the session logs of the runs stay in the temporary folder

if [ -x "$sim" ]; then
    "$sim" --mode module --link "$work/COM1" >/dev/null 2>&1 &
    pids+=($!)
    for _ in $(seq 50); do [ -e "$work/COM1" ] && break; sleep 0.1; done
fi
[ -e "$work/COM1" ] || echo "measure: no simulator; COM1 falls back to /dev/ttyS0" >&2

# An all-zero settings record (Com1, 2400): without one the start-up warning
# box would wait for the operator.
head -c 4200 /dev/zero >"$work/KT4470.cfg"

# Start-up: median of five runs, process start to the first show handled.
times=()
for run in 1 2 3 4 5; do
    log="$work/trace$run"
    start=$(date +%s%3N)
    KT4470_TRACE_STARTUP=1 "$app" >"$log" 2>/dev/null &
    pid=$!
    for _ in $(seq 200); do grep -q "window shown" "$log" 2>/dev/null && break; sleep 0.02; done
    shown=$(sed -n 's/.*shown at \([0-9]*\) ms.*/\1/p' "$log")
    if [ "$run" -lt 5 ]; then kill "$pid"; wait "$pid" 2>/dev/null || true; fi
    [ -n "$shown" ] && times+=($((shown - start)))
done
pids+=($pid)
startup=$(printf '%s\n' "${times[@]}" | sort -n | sed -n 3p)

sleep 1
rss_kb=$(awk '/^VmRSS/ {print $2}' /proc/$pid/status)

# Idle CPU: user + system ticks of the process over the idle period.
ticks() { awk '{print $14 + $15}' /proc/$pid/stat; }
hz=$(getconf CLK_TCK)
t0=$(ticks)
sleep "$idle"
t1=$(ticks)
cpu=$(awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$idle" 'BEGIN {printf "%.2f", 100 * d / hz / s}')

echo "startup_ms (median of 5): $startup   [${times[*]}]"
echo "rss_mb after start: $(awk -v k="$rss_kb" 'BEGIN {printf "%.1f", k / 1024}')"
echo "idle_cpu_percent over ${idle}s with the port open: $cpu"
