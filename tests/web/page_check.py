#!/usr/bin/env python3
"""Loads the station's page in headless Chromium and checks what a person sees.

Drives Chromium over its DevTools protocol (a WebSocket spoken with the
standard library only): opens the page, waits until the list holds the
targets, reads what the page shows, and saves screenshots at a desktop and a
phone size.

  page_check.py URL MIN_ROWS SHOT_PREFIX   exit 0 when every check holds
"""
import base64
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import urllib.request


class DevTools:
    def __init__(self, ws_url):
        m = re.match(r"ws://([^:/]+):(\d+)(/.*)", ws_url)
        self.sock = socket.create_connection((m.group(1), int(m.group(2))), timeout=30)
        key = base64.b64encode(os.urandom(16)).decode()
        self.sock.sendall((f"GET {m.group(3)} HTTP/1.1\r\nHost: {m.group(1)}:{m.group(2)}\r\n"
                           f"Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                           "Sec-WebSocket-Version: 13\r\n\r\n").encode())
        head = b""
        while b"\r\n\r\n" not in head:
            head += self.sock.recv(1)
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise RuntimeError("no WebSocket: " + head.decode(errors="replace"))
        self.next_id = 0

    def _send(self, text):
        data = text.encode()
        mask = os.urandom(4)
        header = bytes([0x81])
        if len(data) < 126:
            header += bytes([0x80 | len(data)])
        elif len(data) < 65536:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(data))
        else:
            header += bytes([0x80 | 127]) + struct.pack(">Q", len(data))
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def _exact(self, n):
        out = b""
        while len(out) < n:
            chunk = self.sock.recv(n - len(out))
            if not chunk:
                raise RuntimeError("DevTools closed the connection")
            out += chunk
        return out

    def _receive(self):
        message = b""
        while True:
            b0, b1 = self._exact(2)
            length = b1 & 0x7F
            if length == 126:
                length = struct.unpack(">H", self._exact(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self._exact(8))[0]
            message += self._exact(length)
            if b0 & 0x80:
                return json.loads(message)

    def call(self, method, **params):
        self.next_id += 1
        self._send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            reply = self._receive()
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True)
        return result.get("result", {}).get("value")

    def screenshot(self, path, width, height, scale):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=scale,
                  mobile=width < 600)
        time.sleep(1.5)
        shot = self.call("Page.captureScreenshot", format="png")
        with open(path, "wb") as f:
            f.write(base64.b64decode(shot["data"]))


def main():
    url, min_rows, prefix = sys.argv[1], int(sys.argv[2]), sys.argv[3]
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        print("page_check: chromium is not installed", file=sys.stderr)
        return 1
    profile = tempfile.mkdtemp(prefix="orvanta-chromium-")
    proc = subprocess.Popen([browser, "--headless=new", "--no-sandbox", "--disable-gpu", "--no-first-run",
                             "--remote-debugging-port=0", f"--user-data-dir={profile}", "about:blank"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    failures = []
    try:
        ws = None
        deadline = time.time() + 60
        while time.time() < deadline and not ws:
            line = proc.stderr.readline()
            m = re.search(r"DevTools listening on (ws://\S+)", line)
            if m:
                port = re.match(r"ws://[^:]+:(\d+)/", m.group(1)).group(1)
                for page in json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list")):
                    if page.get("type") == "page":
                        ws = page["webSocketDebuggerUrl"]
        if not ws:
            print("page_check: Chromium gave no DevTools address", file=sys.stderr)
            return 1
        tools = DevTools(ws)
        tools.call("Page.enable")
        tools.call("Runtime.enable")
        tools.call("Emulation.setDeviceMetricsOverride", width=1280, height=800, deviceScaleFactor=1, mobile=False)
        tools.call("Page.navigate", url=url)
        rows = 0
        deadline = time.time() + 30
        while time.time() < deadline and rows < min_rows:
            time.sleep(0.5)
            rows = tools.evaluate("document.querySelectorAll('#targets tbody tr').length") or 0
        if rows < min_rows:
            failures.append(f"the list shows {rows} rows, expected at least {min_rows}")
        status = tools.evaluate("document.getElementById('status').textContent") or ""
        if "targets" not in status:
            failures.append(f"status line reads {status!r}")
        # Every received text is plain text: no element came from a name.
        injected = tools.evaluate("document.querySelectorAll('#targets b, #card b, #alarm-table b').length")
        if injected:
            failures.append(f"{injected} elements made from received text")
        drawn = tools.evaluate(
            "(() => { const c = document.querySelector('.targets-canvas'); const d = c.getContext('2d')"
            ".getImageData(0, 0, c.width, c.height).data; let n = 0; for (let i = 3; i < d.length; i += 4)"
            " if (d[i]) n++; return n; })()")
        if not drawn:
            failures.append("nothing drawn on the map")
        # A click on a row fills the card with the target's fields.
        tools.evaluate("document.querySelector('#targets tbody tr').click()")
        time.sleep(1.5)
        fields = tools.evaluate("document.querySelectorAll('#card-fields dt').length") or 0
        if fields < 20:
            failures.append(f"the card shows {fields} fields")
        # The selected target's stored track, and the time bar under the map.
        if tools.evaluate("document.getElementById('timebar').hidden"):
            failures.append("no time bar: the page found no history")
        note = ""
        deadline = time.time() + 10
        while time.time() < deadline and not re.match(r"\d+ stored report", note):
            time.sleep(0.5)
            note = tools.evaluate("document.getElementById('track-note').textContent") or ""
            # The history writes within a second: a target first heard just now may have no stored report yet.
            if note.startswith("no stored"):
                tools.evaluate("loadTrack()")
        track_paths = tools.evaluate("document.querySelectorAll('path.history-track').length") or 0
        if not re.match(r"\d+ stored report", note) or not track_paths:
            failures.append(f"no track of the selected target drawn ({note!r}, {track_paths} paths)")
        tools.screenshot(prefix + "-desktop.png", 1280, 800, 1)
        tools.screenshot(prefix + "-phone.png", 390, 844, 2)
        # The coverage: a polar plot and a row per input.
        tools.evaluate("document.querySelector('nav button[data-panel=coverage]').click()")
        time.sleep(0.5)
        coverage_rows = tools.evaluate("document.querySelectorAll('#coverage-table tbody tr').length") or 0
        if coverage_rows < 1:
            failures.append("the coverage panel lists no input")
        tools.screenshot(prefix + "-coverage.png", 1280, 800, 1)
        # A past moment: the banner, the tinted page, the stations as they were; Live brings the present back.
        # The time bar's handle moved back to the middle of what is stored, as a hand would.
        tools.evaluate("document.querySelector('nav button[data-panel=list]').click();"
                       "const s = document.getElementById('tb-slider'); s.value = 500;"
                       "s.dispatchEvent(new Event('input'))")
        banner, past_rows = "", 0
        deadline = time.time() + 10
        while time.time() < deadline and not (banner.startswith("HISTORY ") and past_rows >= min_rows // 2):
            time.sleep(0.5)
            banner = tools.evaluate("document.getElementById('history-banner').hidden ? '' : "
                                    "document.getElementById('history-banner').textContent") or ""
            past_rows = tools.evaluate("document.querySelectorAll('#targets tbody tr').length") or 0
        if not re.fullmatch(r"HISTORY \d{4}-\d\d-\d\d \d\d:\d\d:\d\d", banner):
            failures.append(f"history banner reads {banner!r}")
        if past_rows < min_rows // 2:
            failures.append(f"the past picture lists {past_rows} rows")
        if not tools.evaluate("document.body.classList.contains('past')"):
            failures.append("the past picture is not set apart from live")
        tools.screenshot(prefix + "-history.png", 1280, 800, 1)
        tools.screenshot(prefix + "-history-phone.png", 390, 844, 2)
        tools.evaluate("document.getElementById('tb-live').click()")
        time.sleep(1)
        if not tools.evaluate("document.getElementById('history-banner').hidden") or \
                tools.evaluate("document.body.classList.contains('past')"):
            failures.append("Live did not bring the present back")
        print(f"page_check: {rows} rows, status {status!r}, {drawn} map pixels, card {fields} fields, "
              f"track {note!r}, past {banner!r} with {past_rows} rows")
    finally:
        proc.kill()
        proc.wait()
        shutil.rmtree(profile, ignore_errors=True)
    for f in failures:
        print("page_check: " + f, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
