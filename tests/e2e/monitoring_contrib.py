#!/usr/bin/python3
"""The shipped monitoring files checked with promtool: the alert rules pass
`promtool check rules` and their unit tests; every query of the Grafana
dashboard is valid PromQL (written as recording rules into a temporary file
for `promtool check rules`) and names only series the program exports or the
rules record.

usage: monitoring_contrib.py SOURCE_DIR WORK_FOLDER
Exit 77 (with the reason) when promtool is missing.
"""
import json
import os
import re
import shutil
import subprocess
import sys

PROMTOOL = "/usr/bin/promtool"
# Functions and keywords that look like series names in a query.
PROMQL_WORDS = {"by", "on", "or", "and", "unless", "without", "ignoring", "group_left",
                "group_right", "bool", "offset", "time", "abs", "count_over_time", "label_values"}


def promtool(*args):
    r = subprocess.run([PROMTOOL, *args], capture_output=True, text=True, timeout=60)
    return r.returncode, r.stdout + r.stderr


def queries(node):
    if isinstance(node, dict):
        for k, v in node.items():
            if k == "expr" and isinstance(v, str):
                yield v
            else:
                yield from queries(v)
    elif isinstance(node, list):
        for v in node:
            yield from queries(v)


def main():
    source, folder = sys.argv[1], sys.argv[2]
    if not os.access(PROMTOOL, os.X_OK):
        print(f"SKIP: {PROMTOOL} is missing (Debian package prometheus)")
        return 77
    failures = []
    rules_dir = os.path.join(source, "contrib", "prometheus")
    rules = os.path.join(rules_dir, "sondaro-alerts.yml")
    code, out = promtool("check", "rules", rules)
    if code != 0:
        failures.append("check rules: " + out)
    code, out = promtool("test", "rules", os.path.join(rules_dir, "sondaro-alerts.test.yml"))
    if code != 0:
        failures.append("test rules: " + out)

    # Names the program can export, and those the rules record.
    exporter = open(os.path.join(source, "src", "platform", "metrics_exporter.cpp")).read()
    known = set(re.findall(r'"(sondaro_[a-z0-9_]+)"', exporter)) | {"up"}
    known |= set(re.findall(r"record:\s*(\S+)", open(rules).read()))

    dashboard = json.load(open(os.path.join(source, "contrib", "grafana", "sondaro-sites.json")))
    exprs = list(queries(dashboard))
    if not exprs:
        failures.append("no queries in the dashboard")
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    lines = ["groups:", "  - name: dashboard", "    rules:"]
    for i, e in enumerate(exprs):
        # Grafana's variables as a matcher Prometheus accepts.
        promql = e.replace("$site", ".*")
        lines += [f"      - record: dashboard:query{i}", f"        expr: {json.dumps(promql)}"]
        for name in re.findall(r"[a-zA-Z_:][a-zA-Z0-9_:]*(?=\s*[{\[)]|\s*$|\s*[<>*+-])", promql):
            if name not in known and name not in PROMQL_WORDS:
                failures.append(f"dashboard query {e!r} names {name}, which nothing exports")
    path = os.path.join(folder, "dashboard-rules.yml")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    code, out = promtool("check", "rules", path)
    if code != 0:
        failures.append("dashboard queries: " + out)
    shutil.rmtree(folder, ignore_errors=True)
    for f in failures:
        print("FAILED:", f)
    print(f"{len(exprs)} dashboard queries, {len(failures)} failed checks")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
