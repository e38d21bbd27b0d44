#!/usr/bin/python3
"""Figures of the web view: the program's CPU time with the MPX stream
running, first without viewers, then with N viewers (default 20) on the MPX
page, and each viewer's traffic. The program runs headless on its simulated
analyzer; CPU comes from /proc/<pid>/stat.

usage: tools/bench-web.py [PROGRAM] [--viewers N] [--seconds S]
(PROGRAM defaults to build/release/sondaro)
"""
import argparse
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import web_client  # noqa: E402
from local_ports import free_port, wait_port  # noqa: E402




def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def cpu_share(pid, seconds):
    """Share of one core the process used over `seconds`."""
    c0, t0 = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(pid) - c0) / (time.monotonic() - t0)


class Viewer(threading.Thread):
    def __init__(self, port):
        super().__init__(daemon=True)
        self.ws = web_client.WebSocket("127.0.0.1", port, timeout=30)
        self.ws.send_text("show 4")  # the MPX page
        self.pictures = 0
        self.stop = False

    def run(self):
        try:
            while not self.stop:
                op, _ = self.ws.receive()
                self.pictures += op == 2
        except (web_client.Closed, OSError):
            pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("program", nargs="?", default="build/release/sondaro")
    parser.add_argument("--viewers", type=int, default=20)
    parser.add_argument("--seconds", type=float, default=20)
    a = parser.parse_args()
    program = os.path.abspath(a.program)
    folder = tempfile.mkdtemp(prefix="sondaro-bench-web-")
    shutil.copy(program, os.path.join(folder, "sondaro"))
    module = os.path.join(os.path.dirname(program), "libsondaro_web.so")
    if os.path.exists(module):
        shutil.copy(module, folder)
    web_port, socket_port = free_port(), free_port()
    proc = subprocess.Popen([os.path.join(folder, "sondaro"), "--headless", "--simulate", "--web-port",
                             str(web_port), "--socket-port", str(socket_port)], cwd=folder,
                            stderr=subprocess.DEVNULL, env=dict(os.environ, ASAN_OPTIONS="detect_leaks=0"))
    viewers = []
    try:
        control = wait_port(socket_port)
        wait_port(web_port).close()
        control.sendall(b"MPX.RUN\r")
        time.sleep(5)  # link up, stream flowing
        idle = cpu_share(proc.pid, a.seconds)
        viewers = [Viewer(web_port) for _ in range(a.viewers)]
        for v in viewers:
            v.start()
        time.sleep(3)
        received0 = [v.ws.received for v in viewers]
        pictures0 = [v.pictures for v in viewers]
        t0 = time.monotonic()
        watched = cpu_share(proc.pid, a.seconds)
        span = time.monotonic() - t0
        rates = [(v.ws.received - r) / span for v, r in zip(viewers, received0)]
        pictures = [(v.pictures - p) / span for v, p in zip(viewers, pictures0)]
        alive = sum(v.is_alive() for v in viewers)
        print(f"program: {program}")
        print(f"MPX stream running, {a.seconds:.0f} s each")
        print(f"CPU without viewers: {idle * 100:.2f} % of one core")
        print(f"CPU with {a.viewers} viewers on the MPX page: {watched * 100:.2f} % of one core "
              f"(+{(watched - idle) * 100:.2f})")
        print(f"traffic per viewer: mean {sum(rates) / len(rates) / 1000:.1f} kB/s, "
              f"max {max(rates) / 1000:.1f} kB/s; MPX pictures {sum(pictures) / len(pictures):.2f}/s; "
              f"viewers still connected: {alive}/{a.viewers}")
    finally:
        for v in viewers:
            v.stop = True
            v.ws.close()
        proc.terminate()
        proc.wait(timeout=30)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
