"""A small WebSocket client on the standard library, for the web view's
figures (tools/bench-web.py) and tests: the handshake, text and binary
frames from the server, masked text frames to it."""
import base64
import os
import socket
import struct


class Closed(Exception):
    pass


class WebSocket:
    def __init__(self, host, port, path="/ws", headers=None, timeout=10, host_header=None):
        self.sock = socket.create_connection((host, port), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        lines = [f"GET {path} HTTP/1.1", f"Host: {host_header or f'{host}:{port}'}", "Upgrade: websocket",
                 "Connection: Upgrade", f"Sec-WebSocket-Key: {key}", "Sec-WebSocket-Version: 13"]
        lines += [f"{k}: {v}" for k, v in (headers or {}).items()]
        self.sock.sendall(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                raise Closed("closed during the handshake")
            head += chunk
        self.status = int(head.split(b" ", 2)[1])
        if self.status != 101:
            raise Closed(f"handshake answered {self.status}")
        self.buffer = b""
        self.received = 0

    def _read(self, n):
        while len(self.buffer) < n:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise Closed("connection closed")
            self.received += len(chunk)
            self.buffer += chunk
        out, self.buffer = self.buffer[:n], self.buffer[n:]
        return out

    def receive(self):
        """The next message: (opcode, payload); 1 text, 2 binary, 8 close."""
        message, opcode = b"", None
        while True:
            b0, b1 = self._read(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._read(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._read(8))[0]
            payload = self._read(n)
            op = b0 & 0x0F
            if op == 8:
                code = struct.unpack(">H", payload[:2])[0] if len(payload) >= 2 else None
                raise Closed(f"closed by the server: {code} {payload[2:].decode(errors='replace')}")
            if op in (9, 10):
                continue
            if op != 0:
                opcode = op
            message += payload
            if b0 & 0x80:
                return opcode, message

    def send_text(self, text):
        data = text.encode()
        mask = os.urandom(4)
        header = bytes([0x81])
        if len(data) < 126:
            header += bytes([0x80 | len(data)])
        else:
            header += bytes([0x80 | 126]) + struct.pack(">H", len(data))
        self.sock.sendall(header + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def close(self):
        self.sock.close()
