#!/usr/bin/python3
"""The web view in a real browser: Debian's chromium, headless, driven over
its DevTools protocol, against the headless program on its simulated
analyzer with an access token set. Without the token the page is the login
and no data flows; after it, the page shows the frequency and PI that
socket control's GET gives at that moment, and the MPX picture changes
while the stream runs. A foreign Host header, a foreign Origin and any
method but GET are refused. Screenshots at a phone's and a desktop's width
are left in the work folder.

usage: web_view.py PROGRAM WORK_FOLDER
exit 77 (skipped) where chromium cannot start.
"""
import base64
import http.client
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
import web_client  # noqa: E402
from local_ports import free_port, wait_port  # noqa: E402

TOKEN = "s3cret-Token"
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)




def control_get(control, lines, fields):
    """Runs script lines over socket control, then one GET of the fields."""
    control.sendall("".join(l + "\r" for l in lines).encode("latin-1"))
    control.sendall(("GET(<<" + "%tab".join("%" + f for f in fields) + ">>%cr)\r").encode("latin-1"))
    received, end = b"", time.time() + 60
    while b">>" not in received and time.time() < end:
        control.settimeout(end - time.time())
        chunk = control.recv(4096)
        if not chunk:
            break
        received += chunk
    text = received.decode("latin-1")
    if "<<" not in text or ">>" not in text:
        raise SystemExit("no placeholder line: " + repr(text))
    return dict(zip(fields, text[text.rindex("<<") + 2:text.rindex(">>")].split("\t")))


class Browser:
    """chromium --headless with one page, driven over the DevTools protocol."""

    def __init__(self, folder):
        binary = shutil.which("chromium")
        if not binary:
            print("skipped: chromium is not installed")
            sys.exit(77)
        args = [binary, "--headless=new", "--disable-gpu", "--no-first-run", "--remote-debugging-port=0",
                "--user-data-dir=" + os.path.join(folder, "chromium"), "about:blank"]
        if os.geteuid() == 0:
            args.insert(1, "--no-sandbox")  # chromium refuses root otherwise
        self.proc = subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        url, end = None, time.time() + 30
        while time.time() < end:
            line = self.proc.stderr.readline()
            if not line:
                break
            m = re.search(r"DevTools listening on (ws://\S+)", line)
            if m:
                url = m.group(1)
                break
        if not url:
            self.proc.kill()
            print("skipped: chromium did not start")
            sys.exit(77)
        port = int(re.match(r"ws://[^:]+:(\d+)/", url).group(1))
        with urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list", timeout=10) as r:
            page = next(t for t in json.load(r) if t["type"] == "page")
        path = re.match(r"ws://[^/]+(/.*)", page["webSocketDebuggerUrl"]).group(1)
        self.ws = web_client.WebSocket("127.0.0.1", port, path, timeout=60)
        self.next_id = 0

    def call(self, method, **params):
        self.next_id += 1
        self.ws.send_text(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            _, message = self.ws.receive()
            reply = json.loads(message)
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})

    def eval(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True, awaitPromise=True)
        return result.get("result", {}).get("value")

    def wait(self, expression, seconds=15):
        end = time.time() + seconds
        while time.time() < end:
            value = self.eval(expression)
            if value:
                return value
            time.sleep(0.2)
        return None

    def open(self, url):
        self.call("Page.navigate", url=url)
        self.wait("document.readyState === 'complete'")

    def screenshot(self, width, height, path):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=1,
                  mobile=width < 600)
        time.sleep(1.0)
        data = self.call("Page.captureScreenshot", format="png")["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        self.proc.kill()
        self.proc.wait()


def http_status(port, method, path, host=None):
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=10)
    headers = {"Host": host} if host else {}
    conn.request(method, path, headers=headers)
    r = conn.getresponse()
    body = r.read()
    conn.close()
    return r.status, body


def websocket_refusal(port, headers, host=None):
    """The close reason the server gives a viewer, or None when it is let in."""
    try:
        ws = web_client.WebSocket("127.0.0.1", port, headers=headers, host_header=host)
        ws.send_text("show 4")
        ws.receive()
        ws.close()
        return None
    except web_client.Closed as e:
        return str(e)


def normal(text):
    return " ".join((text or "").split())


def main():
    program, folder = sys.argv[1], sys.argv[2]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(program, os.path.join(folder, "sondaro"))
    web_port, socket_port = free_port(), free_port()
    with open(os.path.join(folder, "kaveli.ini"), "w") as f:
        f.write(f"[Web]\r\nToken={TOKEN}\r\n")
    browser = Browser(folder)
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    proc = subprocess.Popen([os.path.join(folder, "sondaro"), "--headless", "--simulate", "--web-port",
                             str(web_port), "--socket-port", str(socket_port)], cwd=folder, env=env)
    base = f"http://127.0.0.1:{web_port}/"
    try:
        control = wait_port(socket_port, 30)
        wait_port(web_port, 30).close()

        # Without the token: the login page, and no data.
        browser.open(base)
        check(browser.eval("!!document.getElementById('token')"), "without the token the page is the login")
        check(browser.eval("document.getElementById('freq') === null && document.body.innerText.indexOf('MHz') < 0"),
              "the login page shows no data")
        reason = websocket_refusal(web_port, {})
        check(reason is not None and "login needed" in reason, f"a viewer without the session is closed ({reason})")
        browser.eval("document.getElementById('token').value = 'wrong';"
                     "document.getElementById('login').requestSubmit(); true")
        check(browser.wait("document.getElementById('why').textContent.indexOf('Wrong') >= 0"),
              "a wrong token is told")

        # Logged in: the live page.
        browser.eval(f"document.getElementById('token').value = {json.dumps(TOKEN)};"
                     "document.getElementById('login').requestSubmit(); true")
        check(browser.wait("!!document.getElementById('freq')"), "the token opens the page")
        check(browser.eval("document.cookie") == "", "the session cookie is out of the page's reach")
        check(browser.wait("document.getElementById('conn').textContent === 'Live'"), "the page is live")

        # Same frequency and PI as socket control at that moment.
        values = control_get(control, ["SETMODE(0)", "GETRDS", "RDS.GETDATA", "SLEEP(3)"],
                             ["frequency", "rdspi"])
        check(values["rdspi"] not in ("", "-"), f"socket control reads a PI ({values})")
        expect = json.dumps([normal(values["frequency"]), normal(values["rdspi"])], separators=(",", ":"))
        shown = browser.wait("(() => { const t = (id) => document.getElementById(id).textContent.split(/\\s+/)"
                             ".filter(Boolean).join(' ');"
                             f" const v = [t('freq'), t('pi')]; return JSON.stringify(v) === {json.dumps(expect)}"
                             " ? v : null; })()", 10)
        page_values = browser.eval("[document.getElementById('freq').textContent,"
                                   " document.getElementById('pi').textContent]")
        check(bool(shown), f"frequency and PI as socket control gives them: {values} / page {page_values}")

        # The MPX picture changes while the stream runs.
        control_get(control, ["MPX.RUN", "SLEEP(1)"], ["frequency"])
        browser.eval("document.querySelector('[data-page=mpx]').click(); true")
        first = browser.wait("+(document.getElementById('chart-2').dataset.frames || 0)", 15) or 0
        time.sleep(3)
        later = browser.eval("+(document.getElementById('chart-2').dataset.frames || 0)") or 0
        check(later >= first + 2, f"the MPX picture updates while the stream runs ({first} -> {later})")
        # Asked between two frames, the picture may be loading: wait for one.
        check(browser.wait("document.getElementById('chart-2').naturalWidth === 529", 5),
              "the MPX picture is the program's chart")

        browser.screenshot(390, 844, os.path.join(folder, "web-phone.png"))
        browser.screenshot(1280, 900, os.path.join(folder, "web-desktop.png"))
        browser.eval("document.querySelector('[data-page=rds]').click(); true")
        browser.screenshot(390, 844, os.path.join(folder, "web-phone-rds.png"))

        # What is refused.
        status, body = http_status(web_port, "GET", "/", host=f"evil.example:{web_port}")
        check(status == 403 and b"MHz" not in body, f"a foreign Host header is refused ({status})")
        status, _ = http_status(web_port, "GET", "/", host=f"127.0.0.1:{web_port + 1}")
        check(status == 403, f"our address with another port is refused ({status})")
        reason = websocket_refusal(web_port, {}, host=f"evil.example:{web_port}")
        check(reason is not None and "unknown host" in reason, f"a viewer with a foreign Host is closed ({reason})")
        reason = websocket_refusal(web_port, {"Origin": "http://evil.example"})
        check(reason is not None and "foreign origin" in reason, f"a viewer from a foreign page is closed ({reason})")
        for method in ("POST", "PUT", "DELETE", "HEAD"):
            status, _ = http_status(web_port, method, "/")
            check(status == 405, f"{method} is refused ({status})")
        status, _ = http_status(web_port, "GET", "/../kaveli.ini")
        check(status == 404, f"no files beyond the page ({status})")
        check(proc.poll() is None, "the program still runs")
    finally:
        browser.close()
        proc.terminate()
        try:
            proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            proc.kill()
    if failures:
        print("failed:\n  " + "\n  ".join(failures))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
