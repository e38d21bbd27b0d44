#!/usr/bin/python3
"""Three sites on a real Prometheus: three headless programs on the simulated
analyzer, each with its own station, scraped every second through file-based
service discovery with a site label, the alert rules loaded. Checks that
Prometheus sees each site's readings as that site's placeholders give them,
that a real scrape passes promtool's linter, and that a stopped site goes
down.

usage: prometheus_sites.py PROGRAM SOURCE_DIR WORK_FOLDER
Exit 77 (with the reason) when prometheus or promtool is missing.
"""
import json
import os
import shutil
import signal
import subprocess
import sys
import time
import urllib.parse
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from metrics_scrape import free_port, number, read_placeholders, wait_port  # noqa: E402

PROMETHEUS, PROMTOOL = "/usr/bin/prometheus", "/usr/bin/promtool"
FIELDS = ["frequency_", "pilot_", "rds_", "rdspi", "rdsps", "rdspty", "rdsrt"]
# Three stations on the frequency the program starts on.
STATIONS = [
    ("north", "pi = D3A1\nps = NORTH FM\npilot = 6.2\nrds = 3.0\n"),
    ("south", "pi = D3B2\nps = SOUTH 1\npilot = 7.4\nrds = 4.1\n"),
    ("east", "pi = D3C3\nps = EAST\npilot = 6.9\nrds = 2.6\n"),
]
DEADLINE = time.time() + 150
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def left():
    return max(1.0, DEADLINE - time.time())


def query(api, promql):
    url = f"{api}/api/v1/query?" + urllib.parse.urlencode({"query": promql})
    with urllib.request.urlopen(url, timeout=10) as r:
        reply = json.load(r)
    if reply.get("status") != "success":
        raise SystemExit(f"query {promql!r}: {reply}")
    return reply["data"]["result"]


def by_site(api, promql):
    return {r["metric"].get("site"): r for r in query(api, promql)}


def wait_for(what, condition, seconds):
    end = min(time.time() + seconds, DEADLINE)
    while time.time() < end:
        if condition():
            return True
        time.sleep(0.25)
    failures.append("timed out waiting for " + what)
    return False


def start_site(program, folder, name, station):
    os.makedirs(folder)
    shutil.copy(program, os.path.join(folder, "sondaro"))
    world = os.path.join(folder, "world.txt")
    with open(world, "w") as f:
        f.write("[station]\nfreq = 87.60\nlevel = 60\n" + station)
    metrics_port, socket_port = free_port(), free_port()
    env = dict(os.environ, HOME=folder, XDG_CONFIG_HOME=folder, TMPDIR=folder, XDG_RUNTIME_DIR=folder,
               ASAN_OPTIONS="detect_leaks=0")
    proc = subprocess.Popen([os.path.join(folder, "sondaro"), "--headless", "--simulate",
                             "--sim-world", world, "--metrics-port", str(metrics_port),
                             "--socket-port", str(socket_port)], cwd=folder, env=env,
                            stdout=subprocess.DEVNULL)
    return {"name": name, "proc": proc, "metrics": metrics_port, "socket": socket_port}


def stop(proc):
    if proc.poll() is not None:
        return proc.returncode
    proc.send_signal(signal.SIGTERM)
    try:
        return proc.wait(timeout=30)
    except subprocess.TimeoutExpired:
        proc.kill()
        return "killed"


def main():
    program, source, folder = sys.argv[1], sys.argv[2], sys.argv[3]
    for tool in (PROMETHEUS, PROMTOOL):
        if not os.access(tool, os.X_OK):
            print(f"SKIP: {tool} is missing (Debian package prometheus)")
            return 77
    started = time.time()
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    sites, prometheus = [], None
    try:
        for name, station in STATIONS:
            sites.append(start_site(program, os.path.join(folder, name), name, station))

        # The scrape configuration the README shows, with a 1 s interval.
        targets = os.path.join(folder, "targets.json")
        with open(targets, "w") as f:
            json.dump([{"targets": [f"127.0.0.1:{s['metrics']}"], "labels": {"site": s["name"]}}
                       for s in sites], f)
        config = os.path.join(folder, "prometheus.yml")
        rules = os.path.join(source, "contrib", "prometheus", "sondaro-alerts.yml")
        with open(config, "w") as f:
            f.write(f"""global:
  scrape_interval: 1s
  scrape_timeout: 1s
  evaluation_interval: 1s
rule_files:
  - {rules}
scrape_configs:
  - job_name: sondaro
    file_sd_configs:
      - files: [{targets}]
        refresh_interval: 1s
""")
        web = free_port()
        api = f"http://127.0.0.1:{web}"
        prometheus = subprocess.Popen(
            [PROMETHEUS, f"--config.file={config}", f"--storage.tsdb.path={folder}/tsdb",
             f"--web.listen-address=127.0.0.1:{web}"],
            stdout=subprocess.DEVNULL, stderr=open(os.path.join(folder, "prometheus.log"), "w"))

        controls = [wait_port(s["socket"], 30) for s in sites]
        values = [read_placeholders(c, FIELDS) for c in controls]
        read_at = time.time()

        def ready():
            try:
                with urllib.request.urlopen(api + "/-/ready", timeout=2) as r:
                    return r.status == 200
            except OSError:
                return False

        if not wait_for("Prometheus ready", ready, 30):
            return 1
        # Two scrapes of every site, the latest after the placeholders were read.
        def scraped_twice():
            counts = by_site(api, 'count_over_time(up{job="sondaro"}[5m])')
            stamps = by_site(api, 'timestamp(up{job="sondaro"})')
            return all(s["name"] in counts and float(counts[s["name"]]["value"][1]) >= 2 and
                       float(stamps[s["name"]]["value"][1]) > read_at for s in sites)

        if not wait_for("two scrapes of every site", scraped_twice, 30):
            return 1

        up = by_site(api, 'up{job="sondaro"}')
        freq = by_site(api, "sondaro_tuned_frequency_hertz")
        pilot = by_site(api, "sondaro_pilot_deviation_hertz")
        rds = by_site(api, "sondaro_rds_deviation_hertz")
        info = by_site(api, "sondaro_rds_info")
        for s, v in zip(sites, values):
            n = s["name"]
            check(n in up and up[n]["value"][1] == "1", f"up is 1 for {n}")

            def same(series, placeholder, scale):
                got = float(series[n]["value"][1]) if n in series else None
                want = number(v[placeholder]) * scale
                check(got is not None and abs(got - want) <= 0.5,
                      f"{n}: {placeholder} {v[placeholder]!r} against {got}")

            same(freq, "frequency_", 1e6)
            same(pilot, "pilot_", 1e3)
            same(rds, "rds_", 1e3)
            labels = info.get(n, {}).get("metric", {})
            for label, placeholder in (("pi", "rdspi"), ("ps", "rdsps"), ("pty", "rdspty"),
                                       ("rt", "rdsrt")):
                # Prometheus keeps no empty label.
                check(labels.get(label, "") == v[placeholder],
                      f"{n}: rds_info {label}={labels.get(label)!r} against {v[placeholder]!r}")
        # Each site shows its own station.
        check(sorted(v["rdspi"] for v in values) == ["D3A1", "D3B2", "D3C3"],
              f"three stations: {[v['rdspi'] for v in values]}")

        # A real scrape, with every reading taken, passes the linter.
        with urllib.request.urlopen(f"http://127.0.0.1:{sites[0]['metrics']}/metrics",
                                    timeout=10) as r:
            text = r.read()
        lint = subprocess.run([PROMTOOL, "check", "metrics"], input=text, capture_output=True,
                              timeout=30)
        check(lint.returncode == 0 and not lint.stdout.strip() and not lint.stderr.strip(),
              f"promtool check metrics: {lint.stdout!r} {lint.stderr!r}")
        check(b"sondaro_build_info{version=" in text, "build info in the scrape")

        for c in controls:
            c.close()
        stopped = sites[1]
        check(stop(stopped["proc"]) == 0, f"{stopped['name']} exits cleanly")

        def down():
            now = by_site(api, 'up{job="sondaro"}')
            return (now.get(stopped["name"], {}).get("value", [0, ""])[1] == "0" and
                    all(now.get(s["name"], {}).get("value", [0, ""])[1] == "1"
                        for s in sites if s is not stopped))

        wait_for(f"up of {stopped['name']} to become 0", down, 20)
    finally:
        for s in sites:
            code = stop(s["proc"])
            check(code == 0, f"{s['name']} exit code {code}")
        if prometheus:
            stop(prometheus)
        if failures:
            log = os.path.join(folder, "prometheus.log")
            if os.path.exists(log):
                print(open(log).read()[-3000:])
        shutil.rmtree(folder, ignore_errors=True)
    for f in failures:
        print("FAILED:", f)
    print(f"{len(failures)} failed checks in {time.time() - started:.1f} s")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
