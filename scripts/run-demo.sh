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

# Sample values for every page of a new demo settings file, one NAME=VALUE
# a line: numbers, masks, texts, limits, the logger and GPRS parameters, a
# schedule. Texts are Latin-1 bytes, as the window stores them.
sample_settings() {
    local n k
    # "Serial Port": keep what the operator changes in the demo; delete the
    # answers read from the simulated modem's inbox.
    echo SaveOnExit=1
    echo DeleteSms=1
    echo WaitSmsTimeout=15000
    # "Main" (SMS mode stores its own number below).
    echo ModuleNumber=+4917000000001
    echo ModuleNumberCopy=+4917000000001
    # "Abonents": alarm numbers, SIM phone book, routing masks.
    local numbers=(+4917011111111 +4917022222222 +4930123456 +4940987654)
    for n in 1 2 3 4; do echo "AlarmNumber[$n]=${numbers[n - 1]}"; done
    for n in 1 2 3; do echo "PhoneBookNumber[$n]=${numbers[n - 1]}"; done
    echo TempRouteMask=13-
    echo AnalogRouteMask=F31C----
    echo DigitalRouteMask=1111222244-8
    # "External SMS" and "Int/Ext SMS": per temperature and analog input the
    # texts below the minimum, back to normal and above the maximum; per
    # digital input the events 0-1 and 1-0, with the commands run inside.
    local inputs=("Boiler" $'K\xfchlraum' "Outdoor" "Tank level" "Pressure" "Humidity" "Flow" "Battery"
        "Solar panel" "Pump current" "Gas")
    for n in $(seq 0 10); do
        echo "ExtSmsText[$((3 * n + 1))]=${inputs[n]} too low "
        echo "ExtSmsText[$((3 * n + 2))]=${inputs[n]} normal"
        echo "ExtSmsText[$((3 * n + 3))]=${inputs[n]} too high "
        k=$((n % 8 + 1))
        echo "IntSmsText[$((3 * n + 1))]=F SETOU$k"
        echo "IntSmsText[$((3 * n + 3))]=F SETOU$k"
        echo "IntSmsText[$((3 * n + 2))]=7 RSTOU$k"
    done
    local doors=("Door" "Window" "Motion" "Smoke" "Flood" "Mains" "Alarm key" "Gate" "Fire" "Panic" "Tamper"
        "Heater")
    for n in $(seq 1 12); do
        echo "ExtSmsText[$((33 + n))]=${doors[n - 1]} alarm"
        echo "ExtSmsText[$((45 + n))]=${doors[n - 1]} ok"
        k=$(((n - 1) % 8 + 1))
        echo "IntSmsText[$((33 + n))]=F SETOU$k"
        echo "IntSmsText[$((45 + n))]=7 RSTOU$k"
        # "IOname": the inputs' states.
        echo "IntSmsText[$((57 + n))]=${doors[n - 1]} on"
        echo "IntSmsText[$((69 + n))]=${doors[n - 1]} off"
    done
    local outputs=("Siren" "Light" "Valve" "Pump" "Fan" "Heater" "Lock" "Relay 8")
    for n in $(seq 1 8); do
        echo "IntSmsText[$((81 + n))]=${outputs[n - 1]} ON"
        echo "IntSmsText[$((89 + n))]=${outputs[n - 1]} OFF"
    done
    # "Analog 1-8" and "Analog 9-16": limits, modes, multipliers, dividers,
    # 20 mA corrections.
    for n in $(seq 1 16); do
        echo "AnalogMin[$n]=$((5 + n))"
        echo "AnalogMax[$n]=$((95 - n))"
    done
    for n in $(seq 1 8); do
        echo "AnalogMode[$n]=$((n % 3 == 0 ? 1 : 0))"
        echo "MuxText[$n]=$((96 + n))"
    done
    echo AnalogMultipliers=11213141
    echo AnalogDividers=11112290
    # "Temp/Counter": temperature limits, some below zero.
    printf '%s\n' "TempMin[1]=-20" "TempMax[1]=85" "TempMin[2]=-5" "TempMax[2]=8" "TempMin[3]=15" "TempMax[3]=30"
    # "SMS Shedule": temperatures at 07, 12, 17 and 22 o'clock.
    echo ScheduleString=T07121722
    # "IO control", "Other" and "GPRS, FTP": pulses, filters, the logger
    # (both pages' copies), the option string, the GPRS, FTP and HTTP
    # parameters.
    local pulses=(0 1 2 5 0 0 9 3)
    for n in $(seq 1 8); do echo "PulseLength[$n]=${pulses[n - 1]}"; done
    echo SampleRate=3
    echo GprsSampleRate=3
    echo LoggerPeriod=2
    echo GprsLoggerPeriod=2
    echo DigitalFilter=3
    echo TempTimeout=10
    echo AnalogTimeout=5
    echo "OtherFlags=MPEDEDDDDEEDEDE "
    echo Apn=internet.example.net
    echo GprsUser=demo
    echo GprsPassword=secret
    echo ServerAddress=192.0.2.10
    echo FtpHost=ftp.example.org
    echo FtpUser=kt4470
    echo FtpPassword=ftp-secret
    echo FtpDirectory=site-07
    echo HttpHost=logger.example.org
}

mkdir -p "$demo"
cfg="$demo/KT4470.cfg"
if [ ! -f "$cfg" ]; then
    "$ctl" cfg new "$cfg"
    mapfile -t samples < <(sample_settings)
    "$ctl" cfg set "$cfg" "${samples[@]}"
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
