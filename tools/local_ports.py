"""Loopback ports for the scripts that start the program: a free one to give
it, and a wait until it listens."""
import socket
import time


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_port(port, seconds=30):
    """A connection to the port once something listens there."""
    end = time.time() + seconds
    while time.time() < end:
        try:
            return socket.create_connection(("127.0.0.1", port), timeout=5)
        except OSError:
            time.sleep(0.1)
    raise SystemExit(f"nothing listens on {port}")
