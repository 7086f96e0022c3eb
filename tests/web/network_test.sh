#!/usr/bin/env bash
# A network of three stations for real: "north" and "south" each hear their
# own simulator and forward over UDP to a central station, which hears a
# third simulator itself and keeps the common history on a PostgreSQL/PostGIS
# server this test starts. Checked at the central station: who heard whom
# (coverage and "heard by" per station), the history on the server with each
# report's station, a past moment and a track through its API.
#
#   network_test.sh ORVANTA_STATION ORVANTA_CLI PG_TEST_CLUSTER
# Exit 77 (skipped) when the PostgreSQL server binaries are not installed.
set -uo pipefail
station=$1 cli=$2 cluster=$3
work=$(mktemp -d /tmp/orvanta-network-XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
    # The simulators start inside $(...), a subshell: their numbers come through a file.
    for p in "${pids[@]}" $(cat "$work/simulator.pids" 2>/dev/null); do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    bash "$cluster" stop "$work/pg" >/dev/null 2>&1
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
wait_for() {  # wait_for FILE PATTERN SECONDS
    for _ in $(seq 1 $(( $3 * 10 ))); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    fail "no '$2' in $1 after $3 s"; cat "$1" >&2; return 1
}
free_port() { python3 -c 'import socket; s=socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

bash "$cluster" start "$work/pg" --watch $$ > "$work/pg.url" 2> "$work/pg.log"
status=$?
[ "$status" = 77 ] && { echo "network_test: no PostgreSQL server here"; exit 77; }
[ "$status" = 0 ] || { cat "$work/pg.log" >&2; exit 1; }
url=$(cat "$work/pg.url")
pgport=$(cat "$work/pg/port")

simulator() {  # simulator NAME SEED -> its port in $work/NAME.port
    "$cli" simulate --stations 60 --seed "$2" --centre "$3" "$4" --tcp 127.0.0.1:0 > /dev/null 2> "$work/$1-sim.log" &
    echo $! >> "$work/simulator.pids"
    wait_for "$work/$1-sim.log" "port [0-9]" 10 || exit 1
    sed -n 's/.*(port \([0-9]*\)).*/\1/p' "$work/$1-sim.log" | head -1
}
setup() {  # setup NAME SIMPORT INPUTS OUTPUTS SETTINGS
    mkdir -p "$work/$1"
    printf '"REM Comport"\r\n1,4800,8,"N",1\r\n"REM IP Address"\r\n#TRUE#,"127.0.0.1",%s\r\n"REM IP List"\r\n0\r\n"REM Data tests"\r\n#FALSE#,#FALSE#\r\n"REM RefPos Settings"\r\n51.98,3.95\r\n2,0\r\n"REM Binary Message Standard"\r\n0\r\n"REM Inputs"\r\n%s"REM Outputs"\r\n%s\r\n' \
        "$2" "$3" "$4" > "$work/$1/Orvanta.ini"
    printf '[Settings]\n%s\n' "$5" > "$work/$1/Orvanta.conf"
}
start_station() {  # start_station NAME
    HOME="$work/home" "$station" --data-dir "$work/$1" --http 127.0.0.1:0 2> "$work/$1.log" &
    pids+=($!)
}

mkdir -p "$work/home"
udp=$(free_port)
setup central "$(simulator central 3 51.98 3.95)" $'1\r\n"udp",#TRUE#,"127.0.0.1",'"$udp"$',38400\r\n' \
    '#FALSE#,"127.0.0.1",10111,#FALSE#,10112,#FALSE#,"127.0.0.1"' \
    "$(printf 'HistoryServer=1\nHistoryHost=127.0.0.1\nHistoryPort=%s\nHistoryDatabase=orvanta_template\nHistoryUser=postgres' "$pgport")"
for edge in "north 1 52.40 4.20" "south 2 51.60 3.70"; do
    set -- $edge
    setup "$1" "$(simulator "$1" "$2" "$3" "$4")" $'0\r\n' "#TRUE#,\"127.0.0.1\",$udp,#FALSE#,10112,#FALSE#,\"127.0.0.1\"" \
        "StationName=$1"
done
for name in central north south; do start_station "$name"; done
wait_for "$work/central.log" "web view on http://127.0.0.1:[1-9]" 20 || exit 1
port=$(sed -n 's|.*web view on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$work/central.log" | head -1)
base="http://127.0.0.1:$port"

# Coverage and messages per forwarding station.
ok=
for _ in $(seq 1 40); do
    sleep 0.5
    curl -s --max-time 5 "$base/api/coverage" > "$work/coverage.json"
    python3 - "$work/coverage.json" <<'EOF' 2>/dev/null && { ok=1; break; }
import json, sys
kinds = {(k["input"], k["source"]): k for k in json.load(open(sys.argv[1]))["coverage"]}
for want in ((0, ""), (1, "north"), (1, "south")):
    assert want in kinds and kinds[want]["messages"] >= 20, want
EOF
done
[ -n "$ok" ] || fail "central coverage per station: $(cat "$work/coverage.json")"

# A target of north's simulator that the central station has heard: heard by north, through input 1, and by nobody else.
mmsis() {  # mmsis SEED LAT LON: the stations that simulator sends
    "$cli" simulate --stations 60 --seed "$1" --centre "$2" "$3" --fast --count 3000 --stdout --quiet |
        "$cli" decode 2>/dev/null | python3 -c 'import json, sys; print(" ".join(sorted({str(json.loads(l)["MMSI"]) for l in sys.stdin})))'
}
curl -s --max-time 5 "$base/api/targets?form=compact" > "$work/targets.json"
north_mmsi=$(python3 - "$work/targets.json" "$(mmsis 1 52.40 4.20)" "$(mmsis 2 51.60 3.70) $(mmsis 3 51.98 3.95)" <<'EOF'
import json, sys
north, others = set(sys.argv[2].split()), set(sys.argv[3].split())
heard = [t for t in json.load(open(sys.argv[1]))["targets"] if str(t["mmsi"]) in north - others and t["lat"] is not None]
print(heard[0]["mmsi"] if heard else 0)
EOF
)
[ "$north_mmsi" != 0 ] || fail "the central station heard none of north's targets"
curl -s --max-time 5 "$base/api/targets/$north_mmsi" | python3 -c '
import json, sys
heard = json.load(sys.stdin)["heard_by"]
assert any(h["source"] == "north" and h["input"] == 1 for h in heard), heard
assert not any(h["source"] != "north" for h in heard), heard' || fail "heard_by of $north_mmsi"

# The common history on the server: every station's reports, each with its station.
sleep 2
"$cli" history "$url" --at "$(date -u +%Y-%m-%dT%H:%M:%SZ)" --window 600 --format csv > "$work/situation.csv" 2> "$work/history.err" ||
    fail "orvanta-cli history on the server: $(cat "$work/history.err")"
python3 - "$work/situation.csv" <<'EOF' || fail "the server's history by station"
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
by = {}
for r in rows:
    by[r["source"]] = by.get(r["source"], 0) + 1
assert by.get("north", 0) >= 20 and by.get("south", 0) >= 20 and by.get("", 0) >= 20, by
EOF
curl -s --max-time 10 "$base/api/situation?at=$(date -u -d '-1 sec' +%Y-%m-%dT%H:%M:%SZ)&form=compact" |
    python3 -c 'import json,sys; n=len(json.load(sys.stdin)["targets"]); assert n >= 60, n' || fail "/api/situation from the server"
curl -s --max-time 10 "$base/api/targets/$north_mmsi/track?format=geojson" |
    python3 -c 'import json,sys; d=json.load(sys.stdin); assert d["features"], d' || fail "/api/targets/$north_mmsi/track from the server"

echo "network_test: $failures failure(s)"
[ "$failures" = 0 ]
