#!/usr/bin/env bash
# Soak: the headless program from the sanitizer tree against the simulated
# analyzer for MINUTES (default 60), streaming MPX, modulation power and raw
# RDS with the group log on, the metrics endpoint scraped every second, 20
# socket control clients sending tagged lines and one client that never
# reads. Prints resident memory, open descriptors and threads after warm-up
# and at the end; fails on any sanitizer report, memory growth beyond
# SOAK_GROWTH_MB (default 64), a lost or unanswered client line, failed
# scrapes, or an unclean exit.
# Everything lives in build/soak/<time>/: its own HOME, config, runtime and
# temporary folders, and a copy of the program (its settings file is beside it).
set -euo pipefail
cd "$(dirname "$0")/.."
MINUTES=${1:-60}
BUILD=${SOAK_BUILD:-build/check}
program="$BUILD/sondaro"
[ -x "$program" ] || { echo "soak: $program missing; build the sanitizer tree first (make test)"; exit 2; }

run="$PWD/build/soak/$(date +%Y%m%d-%H%M%S)"
mkdir -p "$run"/{home,config,runtime,tmp,app/groups,san}
chmod 700 "$run/runtime"
cp "$program" "$run/app/sondaro"
cat > "$run/app/soak.fms" <<'EOF'
MPX.RUN
MODULATIONPOWER.RUN
RAWDATA.LOG(groups)
RAWDATA.START
EOF
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
socket_port=$(free_port)
metrics_port=$(free_port)

export HOME="$run/home" XDG_CONFIG_HOME="$run/config" XDG_RUNTIME_DIR="$run/runtime" \
  TMPDIR="$run/tmp" QT_QPA_PLATFORM=offscreen
# A small quarantine, so resident memory tells growth rather than ASan's
# delayed reuse; every report goes to a file of its own.
export ASAN_OPTIONS="log_path=$run/san/asan:quarantine_size_mb=16:detect_leaks=1"
export UBSAN_OPTIONS="log_path=$run/san/ubsan:print_stacktrace=1"
export LSAN_OPTIONS="log_path=$run/san/lsan"

echo "soak: ${MINUTES} min in $run (socket control $socket_port, metrics $metrics_port)"
(cd "$run/app" && exec ./sondaro --headless --simulate --socket-port "$socket_port" \
  --metrics-port "$metrics_port" soak.fms > "$run/program.log" 2>&1) &
pid=$!

set +e
python3 - "$pid" "$MINUTES" "$socket_port" "$metrics_port" "$run" "${SOAK_GROWTH_MB:-64}" <<'PY'
import os, socket, sys, threading, time, urllib.request, random

pid, minutes, sport, mport, run, growth_mb = sys.argv[1:]
pid, sport, mport, growth_mb = int(pid), int(sport), int(mport), int(growth_mb)
duration = float(minutes) * 60
CLIENTS = 20
problems = []
stop = threading.Event()

def figures():
    status = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            k, _, v = line.partition(":")
            status[k] = v.strip()
    rss = int(status["VmRSS"].split()[0]) // 1024
    return {"rss_mb": rss, "fds": len(os.listdir(f"/proc/{pid}/fd")),
            "threads": int(status["Threads"])}

def alive():
    try:
        os.kill(pid, 0)
        with open(f"/proc/{pid}/stat") as f:
            return f.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False

def connect(deadline):
    while time.time() < deadline:
        try:
            return socket.create_connection(("127.0.0.1", sport), timeout=5)
        except OSError:
            time.sleep(0.5)
    raise RuntimeError("socket control server never listened")

# Every GET line's output goes to every client: each client checks that the
# answers to its own tagged lines come back, in a bounded time.
stats = {"sent": 0, "answered": 0, "lost": 0, "late": 0}
lock = threading.Lock()

def client(n):
    rng = random.Random(n)
    try:
        s = connect(time.time() + 120)
    except Exception as e:
        problems.append(f"client {n}: {e}")
        return
    s.settimeout(1)
    buf = b""
    k = 0
    while not stop.is_set():
        tag = f"soak-c{n:02d}-{k:06d}"
        k += 1
        line = rng.choice([f"GET({tag}%cr)", f"GETFREQUENCY\rGET({tag} %frequency%cr)"])
        try:
            s.sendall(line.encode() + b"\r")
        except OSError as e:
            problems.append(f"client {n}: send failed: {e}")
            return
        with lock:
            stats["sent"] += 1
        # Lines run one per 100 ms tick for all clients together, and wait
        # while the analyzer's queue is busy.
        deadline = time.time() + 90
        found = False
        while time.time() < deadline:
            if tag.encode() in buf:
                found = True
                buf = buf[buf.index(tag.encode()):][-4096:]
                break
            try:
                chunk = s.recv(65536)
                if not chunk:
                    problems.append(f"client {n}: server closed the connection")
                    return
                buf = (buf + chunk)[-65536:]
            except socket.timeout:
                if stop.is_set() and time.time() > deadline - 60:
                    break
        with lock:
            if found:
                stats["answered"] += 1
            elif stop.is_set():
                stats["late"] += 1  # sent just before the end; not counted lost
            else:
                stats["lost"] += 1
                problems.append(f"client {n}: no answer to {tag} within 90 s")
        time.sleep(rng.uniform(1.0, 3.0))
    s.close()

def deaf_client():
    # Sends lines whose output it never reads.
    try:
        s = connect(time.time() + 120)
        while not stop.is_set():
            s.sendall(b"GET(deaf client line%cr)\r")
            stop.wait(5)
    except OSError:
        pass  # dropped for unread output is the server's right

scrapes = {"ok": 0, "failed": 0}
def scraper():
    url = f"http://127.0.0.1:{mport}/metrics"
    while not stop.is_set():
        t = time.time()
        try:
            with urllib.request.urlopen(url, timeout=5) as r:
                body = r.read()
                if r.status == 200 and b"sondaro_" in body:
                    scrapes["ok"] += 1
                else:
                    scrapes["failed"] += 1
        except Exception:
            scrapes["failed"] += 1
        stop.wait(max(0.0, 1.0 - (time.time() - t)))

threads = [threading.Thread(target=client, args=(n,)) for n in range(CLIENTS)]
threads += [threading.Thread(target=deaf_client, daemon=True), threading.Thread(target=scraper)]
for t in threads:
    t.start()

warmup = min(120.0, duration / 10)
time.sleep(warmup)
if not alive():
    print("soak: the program ended early"); sys.exit(1)
first = figures()
print(f"soak: after {warmup:.0f} s warm-up: {first}", flush=True)
end = time.time() + duration - warmup
samples = [first]
while time.time() < end and alive():
    time.sleep(min(60, max(0.1, end - time.time())))
    if alive():
        samples.append(figures())
        m = samples[-1]
        print(f"soak: {time.strftime('%H:%M:%S')} {m} lines {stats} scrapes {scrapes}", flush=True)
if not alive():
    problems.append("the program ended before the soak did")
last = samples[-1]
stop.set()
for t in threads:
    if not t.daemon:
        t.join(120)
print(f"soak: at the end: {last}")
print(f"soak: client lines {stats}; scrapes {scrapes}")
growth = last["rss_mb"] - first["rss_mb"]
if growth > growth_mb:
    problems.append(f"resident memory grew {growth} MiB (bound {growth_mb} MiB)")
if last["fds"] > first["fds"] + 5:
    problems.append(f"open descriptors grew from {first['fds']} to {last['fds']}")
if last["threads"] > first["threads"] + 2:
    problems.append(f"threads grew from {first['threads']} to {last['threads']}")
if stats["answered"] == 0:
    problems.append("no client line was answered")
if scrapes["ok"] == 0 or scrapes["failed"] > max(3, scrapes["ok"] // 100):
    problems.append(f"scrapes: {scrapes}")
for p in problems[:20]:
    print("soak: PROBLEM", p)
sys.exit(1 if problems else 0)
PY
status=$?
set -e

# The program closes on SIGTERM (saving its settings); leak reports come then.
kill -TERM "$pid" 2>/dev/null || true
for _ in $(seq 1 120); do kill -0 "$pid" 2>/dev/null || break; sleep 1; done
if kill -0 "$pid" 2>/dev/null; then
  echo "soak: PROBLEM the program did not end within 120 s of SIGTERM"
  kill -KILL "$pid" 2>/dev/null || true
  status=1
fi
exit_code=0
wait "$pid" || exit_code=$?
if [ "$exit_code" != 0 ]; then
  echo "soak: PROBLEM the program exited with $exit_code"
  status=1
fi
groups=$(cat "$run"/app/groups/*.txt 2>/dev/null | wc -l)
echo "soak: group log lines written: $groups"
[ "$groups" -gt 0 ] || { echo "soak: PROBLEM no group was logged"; status=1; }
if compgen -G "$run/san/*" > /dev/null; then
  echo "soak: PROBLEM sanitizer reports:"
  for f in "$run"/san/*; do echo "== $f"; head -n 30 "$f"; done
  status=1
fi
[ $status = 0 ] && echo "soak: passed" || echo "soak: FAILED (files in $run)"
exit $status
