#!/usr/bin/env python3
"""Checks the answers of a live station's API against their schemas: every
field there, of its type, and nothing a reader would not expect (a number
where a text belongs, a missing key, a list of the wrong length).

  api_schema.py BASE_URL MMSI     exit 0 when every answer holds
"""
import json
import sys
import urllib.request

NUM = (int, float)
OPT_NUM = (int, float, type(None))
STR = (str,)
OPT_STR = (str, type(None))
INT = (int,)
BOOL = (bool,)
LIST = (list,)
DICT = (dict,)

COMPACT = {
    "mmsi": INT, "name": STR, "callsign": STR, "class": STR, "class_text": STR, "ship_type": INT,
    "ship_type_text": STR, "status": STR, "nav_status": STR, "lat": OPT_NUM, "lon": OPT_NUM, "sog": OPT_NUM,
    "cog": OPT_NUM, "heading": OPT_NUM, "range_nm": OPT_NUM, "bearing": OPT_NUM, "cpa": OPT_NUM, "tcpa": OPT_NUM,
    "dangerous": BOOL, "own": BOOL, "symbol": STR, "group": INT, "angle": OPT_NUM, "virtual": BOOL,
    "off_position": BOOL, "dims": LIST, "heard_s_ago": NUM,
}
STATS = {"time_ms": INT, "counters": DICT, "MessageTypeCount": DICT, "inputs": LIST}
INPUT = {"input": INT, "Bytes": INT, "Sentences": INT, "ChecksumErrors": INT, "Ignored": INT, "Overflow": INT,
         "CutOff": INT, "seconds_since_data": OPT_NUM}
COVERAGE_KEY = {"input": INT, "source": STR, "messages": INT, "sectors": LIST}
SECTOR = {"bearing": INT, "range_nm": NUM, "lat": NUM, "lon": NUM, "mmsi": INT, "time": INT}
ALARM = {"mmsi": INT, "name": STR, "cpa": OPT_NUM, "tcpa": OPT_NUM, "cpa_position": (list, type(None)),
         "range": OPT_NUM, "bearing": OPT_NUM, "acknowledged": BOOL}
POSITION = {"time": STR, "mmsi": INT, "type": INT, "class": STR, "lat": NUM, "lon": NUM, "sog": OPT_NUM,
            "cog": OPT_NUM, "heading": OPT_NUM, "status": OPT_NUM, "input": INT, "source": STR}
SPAN = {"first": OPT_STR, "last": OPT_STR}

failures = []


def get(url):
    with urllib.request.urlopen(url, timeout=10) as r:
        return json.load(r)


def check(where, value, schema, exact=True):
    if not isinstance(value, dict):
        failures.append(f"{where}: not an object")
        return
    for key, types in schema.items():
        if key not in value:
            failures.append(f"{where}: no {key!r}")
        elif not isinstance(value[key], types) or (isinstance(value[key], bool) and bool not in types):
            failures.append(f"{where}: {key!r} is {value[key]!r}")
    if exact:
        for key in value.keys() - schema.keys():
            failures.append(f"{where}: unexpected {key!r}")


def main():
    base, mmsi = sys.argv[1].rstrip("/"), sys.argv[2]
    compact = get(base + "/api/targets?form=compact")["targets"]
    for k, t in enumerate(compact):
        check(f"compact[{k}]", t, COMPACT)
        if len(t.get("dims", [])) != 4:
            failures.append(f"compact[{k}]: dims {t.get('dims')!r}")
    # The full list: every target has the same fields, the numbered row first.
    full = get(base + "/api/targets")["targets"]
    keys = [list(t.keys()) for t in full]
    if any(k != keys[0] for k in keys) or keys[0][0] != "Number" or "MMSI" not in keys[0]:
        failures.append("full list: targets with differing fields")
    stats = get(base + "/api/stats")
    check("stats", stats, STATS)
    for name, value in stats["counters"].items():
        if not isinstance(value, int):
            failures.append(f"stats counter {name}: {value!r}")
    for k, i in enumerate(stats["inputs"]):
        check(f"stats.inputs[{k}]", i, INPUT)
    for k, key in enumerate(get(base + "/api/coverage")["coverage"]):
        check(f"coverage[{k}]", key, COVERAGE_KEY)
        if len(key["sectors"]) != 36:
            failures.append(f"coverage[{k}]: {len(key['sectors'])} sectors")
        for s in key["sectors"]:
            if s is not None:
                check(f"coverage[{k}] sector", s, SECTOR)
    for k, a in enumerate(get(base + "/api/alarms")["alarms"]):
        check(f"alarms[{k}]", a, ALARM)
    check("history", get(base + "/api/history"), SPAN)
    track = get(f"{base}/api/targets/{mmsi}/track")
    check("track", track, {"mmsi": INT, "positions": LIST})
    for k, p in enumerate(track["positions"]):
        check(f"track[{k}]", p, POSITION)
    detail = get(f"{base}/api/targets/{mmsi}")
    check("detail", detail, {"targets": LIST, "statistics": DICT, "heard_by": LIST})
    for f in failures[:20]:
        print("api_schema: " + f, file=sys.stderr)
    print(f"api_schema: {len(compact)} compact and {len(full)} full targets, {len(track['positions'])} stored "
          f"positions checked; {len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
