#!/usr/bin/python3
"""The real program, headless on its simulated analyzer, with the metrics
endpoint on: /metrics is fetched with a real HTTP client, parsed with
prometheus_client's text-format parser, and compared with the placeholders
read through socket control at the same moment. Requests other than GET
/metrics get an error and leave the endpoint working.

usage: metrics_scrape.py PROGRAM WORK_FOLDER
"""
import os
import shutil
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

from prometheus_client.parser import text_string_to_metric_families

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))
from local_ports import free_port, wait_port  # noqa: E402  (prometheus_sites takes them from here)

FIELDS = ["frequency_", "level", "level_", "quality", "pilot_", "rds_", "maxhold_", "pmlast_",
          "pmave_", "abovelimit", "maxat", "totalsamples", "connected", "rdsbler", "rdsbler60",
          "rdspi", "rdsps", "rdspty", "rdsrt"]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)




def scrape(port):
    with urllib.request.urlopen(f"http://127.0.0.1:{port}/metrics", timeout=10) as r:
        check(r.status == 200, "GET /metrics answers 200")
        check(r.headers.get_content_type() == "text/plain", "text format")
        text = r.read().decode("utf-8")
    samples = {}
    for family in text_string_to_metric_families(text):
        for s in family.samples:
            key = s.name + "".join(f"|{k}={v}" for k, v in sorted(s.labels.items()))
            samples[key] = s
    return samples


def read_placeholders(control, fields=FIELDS):
    """Readings of every kind, then the streams stopped, so nothing moves
    between the placeholders and a scrape; the placeholders' values."""
    lines = ["SETMODE(0)", "SEND(*M)", "SEND(?U)", "GETPILOT", "GETRDS", "GETQUALITY",
             "FREQUENCYDEVIATION.ACQUIRE", "MODULATIONPOWER.RUN", "SLEEP(3)",
             "MODULATIONPOWER.STOP", "SEND(*m)", "RAWDATA.START", "SLEEP(4)", "RDS.GETDATA",
             "RAWDATA.STOP", "SLEEP(1)",
             "GET(<<" + "%tab".join("%" + f for f in fields) + ">>%cr)"]
    control.sendall("".join(l + "\r" for l in lines).encode("latin-1"))
    received = b""
    end = time.time() + 60
    while b">>" not in received and time.time() < end:
        control.settimeout(end - time.time())
        chunk = control.recv(4096)
        if not chunk:
            break
        received += chunk
    text = received.decode("latin-1")
    if "<<" not in text or ">>" not in text:
        raise SystemExit("no placeholder line: " + repr(text))
    return dict(zip(fields, text[text.index("<<") + 2:text.index(">>")].split("\t")))


def number(text):
    return float(text.replace(",", "."))


def http_status(port, method, path, body=None):
    req = urllib.request.Request(f"http://127.0.0.1:{port}{path}", data=body, method=method)
    try:
        with urllib.request.urlopen(req, timeout=10) as r:
            return r.status
    except urllib.error.HTTPError as e:
        return e.code


def main():
    program, folder = sys.argv[1], sys.argv[2]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(program, os.path.join(folder, "sondaro"))
    metrics_port, socket_port = free_port(), free_port()
    env = dict(os.environ, ASAN_OPTIONS="detect_leaks=0")
    proc = subprocess.Popen([os.path.join(folder, "sondaro"), "--headless", "--simulate",
                             "--metrics-port", str(metrics_port),
                             "--socket-port", str(socket_port)], cwd=folder, env=env)
    try:
        control = wait_port(socket_port, 30)
        values = read_placeholders(control)
        samples = scrape(metrics_port)

        def metric(name, **labels):
            key = name + "".join(f"|{k}={v}" for k, v in sorted(labels.items()))
            return samples[key].value if key in samples else None

        def same(name, placeholder, scale=1.0, tolerance=0.0, **labels):
            text_value = values[placeholder]
            got = metric(name, **labels)
            if text_value in ("", "-"):
                check(got is None, f"{name} absent like %{placeholder}")
                return
            want = number(text_value) * scale
            check(got is not None and abs(got - want) <= tolerance,
                  f"{name}={got} against %{placeholder}={text_value}")

        same("sondaro_tuned_frequency_hertz", "frequency_", 1e6, 0.5)
        level = "sondaro_signal_level_dbuv" if "dBuV" in values["level"] else "sondaro_signal_level_raw"
        same(level, "level_")
        check(metric("sondaro_signal_quality") == int(values["quality"][:5]), "quality")
        same("sondaro_pilot_deviation_hertz", "pilot_", 1e3, 0.5)
        same("sondaro_rds_deviation_hertz", "rds_", 1e3, 0.5)
        same("sondaro_peak_deviation_hertz", "maxhold_", 1e3, 0.5)
        same("sondaro_modulation_power_dbr", "pmlast_")
        same("sondaro_modulation_power_average_dbr", "pmave_")
        # The placeholders round to one decimal of a percent.
        same("sondaro_deviation_above_limit_ratio", "abovelimit", 0.01, 0.0005)
        same("sondaro_deviation_max_at_hertz", "maxat", 1e3)
        same("sondaro_deviation_samples", "totalsamples")
        same("sondaro_link_connected", "connected")
        same("sondaro_rds_block_error_ratio", "rdsbler", 0.01, 0.0005, window="10s")
        same("sondaro_rds_block_error_ratio", "rdsbler60", 0.01, 0.0005, window="60s")
        info = [s for k, s in samples.items() if k.startswith("sondaro_rds_info|")]
        check(len(info) == 1, "one RDS info sample")
        if info:
            labels = info[0].labels
            for label, placeholder in (("pi", "rdspi"), ("ps", "rdsps"), ("pty", "rdspty"),
                                       ("rt", "rdsrt")):
                check(labels.get(label) == values[placeholder],
                      f"info {label}={labels.get(label)!r} against {values[placeholder]!r}")
            check(labels.get("ps", "").startswith('"'), "the quoted PS survives escaping")
        check(metric("sondaro_rds_groups_received_total") > 0, "groups counted")
        check(values["rdspi"] not in ("", "-"), "RDS was decoded")
        for required in ("frequency_", "pilot_", "pmlast_", "totalsamples", "rdsbler"):
            check(values[required] not in ("", "-"), f"%{required} has a value")

        # Only GET of /metrics: everything else is an error, and the
        # endpoint goes on.
        check(http_status(metrics_port, "POST", "/metrics", b"x=1") >= 400, "POST refused")
        check(http_status(metrics_port, "PUT", "/metrics", b"x") >= 400, "PUT refused")
        check(http_status(metrics_port, "GET", "/kaveli.ini") == 404, "no files served")
        check(http_status(metrics_port, "GET", "/") == 404, "nothing at /")
        with socket.create_connection(("127.0.0.1", metrics_port), timeout=10) as raw:
            raw.sendall(b"\x00\xff GARBAGE " + b"A" * 100000 + b"\r\n\r\n")
            try:
                raw.recv(1024)
            except OSError:
                pass
        check("sondaro_link_up" in scrape(metrics_port), "still answering")
        control.close()
    finally:
        proc.send_signal(signal.SIGTERM)
        try:
            code = proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            proc.kill()
            code = "killed"
        check(code == 0, f"exit code {code}")
        shutil.rmtree(folder, ignore_errors=True)
    for f in failures:
        print("FAILED:", f)
    print(f"{len(failures)} failed checks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
