#!/usr/bin/env python3
"""Start-up cost of the program beside a bare Qt window, in one run.

Windowed: time from exec to the first mapped top-level window whose title
starts with the program's name (the X server polled every 2 ms), and resident
memory one second after it appeared; the program and the baseline in turn,
A B A B ..., after one warm-up pair; the medians of the pairwise ratios.
Headless: time from exec to the socket control server accepting, and
resident memory one second after.
"""
import ctypes
import os
import signal
import socket
import statistics
import subprocess
import sys
import time

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
Window = ctypes.c_ulong


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", Window), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = Window
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                           ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XWindowAttributes)]
x11.XFetchName.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]

# Windows vanish between the listing and the query: ignore X errors.
_ignore = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)
x11.XSetErrorHandler(ctypes.cast(_ignore, ctypes.c_void_p))


def mapped_with_title(dpy, prefix):
    root = x11.XDefaultRootWindow(dpy)
    r, p = Window(), Window()
    children = ctypes.POINTER(Window)()
    n = ctypes.c_uint()
    if not x11.XQueryTree(dpy, root, ctypes.byref(r), ctypes.byref(p), ctypes.byref(children),
                          ctypes.byref(n)):
        return False
    found = False
    try:
        for i in range(n.value):
            w = children[i]
            attrs = XWindowAttributes()
            if not x11.XGetWindowAttributes(dpy, w, ctypes.byref(attrs)) or attrs.map_state != 2:
                continue
            name = ctypes.c_char_p()
            if x11.XFetchName(dpy, w, ctypes.byref(name)) and name.value:
                title = name.value.decode(errors="replace")
                x11.XFree(name)
                if title.startswith(prefix):
                    found = True
                    break
    finally:
        if children:
            x11.XFree(children)
    return found


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    return float("nan")


def cpu_ms(pid):
    """CPU time of all the process's threads so far (schedstat, ns)."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total / 1e6


def stop(proc):
    proc.send_signal(signal.SIGTERM)
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


def windowed_once(dpy, cmd, prefix, env):
    t0 = time.monotonic()
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while not mapped_with_title(dpy, prefix):
            if proc.poll() is not None:
                raise RuntimeError(f"{cmd[0]} ended with {proc.returncode} before showing a window")
            if time.monotonic() - t0 > 30:
                raise RuntimeError(f"{cmd[0]} showed no window in 30 s")
            time.sleep(0.002)
        shown = time.monotonic() - t0
        cpu = cpu_ms(proc.pid)
        time.sleep(1.0)
        return shown, rss_mib(proc.pid), cpu
    finally:
        stop(proc)


def headless_once(cmd, port, env):
    t0 = time.monotonic()
    proc = subprocess.Popen(cmd, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        while True:
            try:
                with socket.create_connection(("127.0.0.1", port), timeout=0.05):
                    break
            except OSError:
                pass
            if proc.poll() is not None:
                raise RuntimeError(f"headless program ended with {proc.returncode}")
            if time.monotonic() - t0 > 30:
                raise RuntimeError("socket control server never listened")
            time.sleep(0.002)
        listening = time.monotonic() - t0
        time.sleep(1.0)
        return listening, rss_mib(proc.pid)
    finally:
        stop(proc)


def main():
    program, baseline, pairs = sys.argv[1], sys.argv[2], int(sys.argv[3])
    env = dict(os.environ)
    dpy = x11.XOpenDisplay(env["DISPLAY"].encode())
    if not dpy:
        sys.exit("cannot open the X display " + env["DISPLAY"])
    ours, base = [], []
    for i in range(pairs + 1):  # the first pair warms the caches and is not counted
        a = windowed_once(dpy, [program], "Sondaro", env)
        b = windowed_once(dpy, [baseline], "bare_qt", env)
        if i:
            ours.append(a)
            base.append(b)
    t_ratio = statistics.median(a[0] / b[0] for a, b in zip(ours, base))
    m_ratio = statistics.median(a[1] / b[1] for a, b in zip(ours, base))
    med = lambda xs, k: statistics.median(x[k] for x in xs)
    print(f"windowed, {pairs} pairs (medians):")
    print(f"  exec to first mapped window: Sondaro {med(ours, 0) * 1000:.0f} ms, "
          f"bare Qt {med(base, 0) * 1000:.0f} ms, ratio {t_ratio:.2f}x (target 1.15x)")
    print(f"  resident memory 1 s after:   Sondaro {med(ours, 1):.1f} MiB, "
          f"bare Qt {med(base, 1):.1f} MiB, ratio {m_ratio:.2f}x (target 1.25x)")
    # On a busy machine the wall time drifts; the CPU time spent up to the
    # window's appearance does not.
    c_ratio = statistics.median(a[2] / b[2] for a, b in zip(ours, base))
    print(f"  CPU time up to the window:   Sondaro {med(ours, 2):.0f} ms, "
          f"bare Qt {med(base, 2):.0f} ms, ratio {c_ratio:.2f}x")
    port = 20000 + os.getpid() % 20000
    heads = [headless_once([program, "--headless", "--socket-port", str(port)], port, env)
             for _ in range(5)]
    print("headless, 5 runs (medians):")
    print(f"  exec to socket control listening: {med(heads, 0) * 1000:.0f} ms")
    print(f"  resident memory 1 s after:        {med(heads, 1):.1f} MiB")
    ok = t_ratio <= 1.15 and m_ratio <= 1.25
    print("within both targets" if ok else "OUTSIDE a target")


if __name__ == "__main__":
    main()
