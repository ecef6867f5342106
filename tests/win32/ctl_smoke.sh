#!/bin/sh
# kt4470ctl.exe under Wine: a settings file created, changed and read back
# through the Windows file code, and a PDU encoded.
# Usage: ctl_smoke.sh WORKDIR KT4470CTL.EXE LAUNCHER...
set -eu
work=$1
exe=$2
shift 2

fail() {
    echo "ctl_smoke: $*" >&2
    exit 1
}

rm -rf "$work"
mkdir -p "$work"
cd "$work"

"$@" "$exe" cfg new KT4470.cfg || fail "cfg new failed"
"$@" "$exe" cfg set KT4470.cfg 'AlarmNumber[3]=+12345' 'PortIndex=2' || fail "cfg set failed"
size=$(wc -c <KT4470.cfg)
[ "$size" -eq 4200 ] || fail "KT4470.cfg holds $size bytes, not 4200"
shown=$("$@" "$exe" cfg show KT4470.cfg) || fail "cfg show failed"
echo "$shown" | grep -q '"PortIndex": 2' || fail "PortIndex not read back: $shown"
echo "$shown" | grep -q '"+12345"' || fail "AlarmNumber[3] not read back: $shown"

pdu=$("$@" "$exe" pdu encode --to +4912345 'GETST\r') || fail "pdu encode failed"
echo "$pdu" | tr -d '\r' | grep -Eq '^([0-9A-F]{2})+$' || fail "not a PDU in hex: $pdu"

if "$@" "$exe" cfg show missing.cfg >/dev/null 2>&1; then fail "a missing file was shown"; fi
echo "kt4470ctl.exe: settings file round trip and PDU encoding under Wine passed"
