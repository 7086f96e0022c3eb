#!/usr/bin/env bash
# orvanta-station for real: the simulator feeds it over TCP, its API is asked
# over loopback, hostile requests are refused, the access token guards a
# non-loopback address, SIGHUP reads the setup again, SIGTERM stops it in
# order, and the page is loaded in headless Chromium (screenshots beside the
# build's test output).
#
#   station_test.sh ORVANTA_STATION ORVANTA_CLI SHOT_DIR
set -uo pipefail
station=$1 cli=$2 shots=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_status() {  # expect_status WANT CURL-ARGS...
    local want=$1; shift
    local got
    got=$(curl -s -o /dev/null -w '%{http_code}' --max-time 10 "$@")
    [ "$got" = "$want" ] || fail "curl $* gave $got, expected $want"
}
wait_for() {  # wait_for FILE PATTERN SECONDS
    for _ in $(seq 1 $(( $3 * 10 ))); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    fail "no '$2' in $1 after $3 s"; cat "$1" >&2; return 1
}

# The simulator on a free port, and a data folder whose setup reads from it.
"$cli" simulate --stations 200 --seed 7 --tcp 127.0.0.1:0 > /dev/null 2> "$work/sim.log" &
pids+=($!)
wait_for "$work/sim.log" "port [0-9]" 10 || exit 1
simport=$(sed -n 's/.*(port \([0-9]*\)).*/\1/p' "$work/sim.log" | head -1)
data="$work/data"
mkdir -p "$data" "$work/home"
printf '"REM Comport"\r\n1,4800,8,"N",1\r\n"REM IP Address"\r\n#TRUE#,"127.0.0.1",%s\r\n"REM IP List"\r\n0\r\n"REM Data tests"\r\n#FALSE#,#FALSE#\r\n"REM RefPos Settings"\r\n51.98,3.95\r\n2,0\r\n"REM Binary Message Standard"\r\n0\r\n' \
    "$simport" > "$data/Orvanta.ini"

HOME="$work/home" "$station" --data-dir "$data" --http 127.0.0.1:0 2> "$work/station.log" &
spid=$!
pids+=($spid)
wait_for "$work/station.log" "web view on http://127.0.0.1:[1-9]" 20 || exit 1
port=$(sed -n 's|.*web view on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/station.log" | head -1)
base="http://127.0.0.1:$port"
wait_for "$work/station.log" "State : Connected" 20

# The API: valid JSON with the targets the simulator sends.
sleep 4
curl -s --max-time 10 "$base/api/targets" > "$work/targets.json"
python3 - "$work/targets.json" <<'EOF' || fail "/api/targets"
import json, sys
d = json.load(open(sys.argv[1]))
assert len(d["targets"]) >= 20, len(d["targets"])
for key in ("MMSI", "Latitude", "cpa", "tcpa", "rx_percent"):
    assert key in d["targets"][0], key
EOF
mmsi=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["targets"][0]["MMSI"])' "$work/targets.json")
curl -s --max-time 10 "$base/api/targets.geojson" | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["type"]=="FeatureCollection"' \
    || fail "/api/targets.geojson"
curl -s --max-time 10 "$base/api/stats" | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["counters"]["DecodedMessageCount"]>0' \
    || fail "/api/stats"
curl -s --max-time 10 "$base/api/targets/$mmsi" | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["statistics"]["rows"]' \
    || fail "/api/targets/$mmsi"
expect_status 200 "$base/api/alarms"
# The station stands at the simulator's centre: the reports come from every side.
curl -s --max-time 10 "$base/api/coverage" | python3 -c 'import json,sys; s=json.load(sys.stdin)["coverage"][0]["sectors"]; assert sum(1 for x in s if x) >= 18, s' \
    || fail "/api/coverage"
expect_status 404 "$base/api/targets/100000001"
# The history the station keeps: its span, a past moment, a station's track.
curl -s --max-time 10 "$base/api/history" | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["first"] and d["last"], d' \
    || fail "/api/history"
curl -s --max-time 10 "$base/api/situation?at=$(date -u -d '-1 sec' +%Y-%m-%dT%H:%M:%SZ)&form=compact" |
    python3 -c 'import json,sys; d=json.load(sys.stdin); assert len(d["targets"]) >= 20, len(d["targets"])' || fail "/api/situation"
curl -s --max-time 10 "$base/api/targets/$mmsi/track" | python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["positions"], d' \
    || fail "/api/targets/$mmsi/track"
expect_status 400 "$base/api/situation?at=yesterday"
# Every answer against its schema.
python3 "$here/api_schema.py" "$base" "$mmsi" || fail "the API's answers against their schemas"
# Hostile requests.
expect_status 404 --path-as-is "$base/../../etc/passwd"
expect_status 404 --path-as-is "$base/%2e%2e/%2e%2e/etc/passwd"
expect_status 404 --path-as-is "$base/leaflet/..%2f..%2f..%2fetc%2fpasswd"
expect_status 405 -X DELETE "$base/api/targets"
expect_status 413 -X POST --data 'x=1' "$base/api/targets"
expect_status 431 -H "X-Pad: $(head -c 9000 /dev/zero | tr '\0' a)" "$base/api/targets"
# A thousand connections at once that send nothing: beyond the 64 places they
# are turned away, and once they are gone the station serves again.
python3 - "$port" <<'EOF' || fail "1,000 connections at once"
import socket, sys, time
port = int(sys.argv[1])
held = [socket.create_connection(("127.0.0.1", port), timeout=5) for _ in range(1000)]
time.sleep(1)
turned_away = 0
for s in held:
    s.settimeout(0.01)
    try:
        data = s.recv(4096)
        turned_away += data == b"" or data.startswith(b"HTTP/1.1 503")
    except (socket.timeout, ConnectionResetError):
        pass
for s in held:
    s.close()
assert turned_away >= 1000 - 64, turned_away
print(f"1,000 connections: {turned_away} turned away")
EOF
sleep 1
expect_status 200 "$base/api/stats"

# The page, as a browser shows it.
python3 "$here/page_check.py" "$base/" 50 "$shots/station-page" || fail "the page in Chromium"

# SIGHUP reads the setup again; SIGTERM stops in order and keeps the ship data.
kill -HUP "$spid"
wait_for "$work/station.log" "reading the setup again" 5
kill -TERM "$spid"
for _ in $(seq 1 100); do kill -0 "$spid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$spid" 2>/dev/null; then fail "still running 10 s after SIGTERM"; else
    wait "$spid"; status=$?
    [ "$status" = 0 ] || fail "exit status $status after SIGTERM"
fi
grep -q "orvanta-station: stopped" "$work/station.log" || fail "no 'stopped' in the log"
[ -s "$data/Shipdata.dat" ] || fail "no ship database stored at the end"

# Any address but loopback needs the access token made at the first start.
HOME="$work/home" "$station" --data-dir "$data" --http 0.0.0.0:0 2> "$work/open.log" &
opid=$!
pids+=($opid)
wait_for "$work/open.log" "access token needed" 20 || exit 1
oport=$(sed -n 's|.*web view on http://0.0.0.0:\([0-9]*\)/.*|\1|p' "$work/open.log" | head -1)
token=$(sed -n 's/^WebViewToken=//p' "$data/Orvanta.conf" | head -1)
[ ${#token} -ge 32 ] || fail "no access token stored ($token)"
expect_status 401 "http://127.0.0.1:$oport/api/stats"
expect_status 401 -H "Authorization: Bearer wrong" "http://127.0.0.1:$oport/api/stats"
expect_status 200 -H "Authorization: Bearer $token" "http://127.0.0.1:$oport/api/stats"
expect_status 200 "http://127.0.0.1:$oport/?token=$token"
kill -TERM "$opid"

echo "station_test: $failures failure(s)"
[ "$failures" = 0 ]
