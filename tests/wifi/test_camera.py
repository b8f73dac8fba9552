#!/usr/bin/env python3
"""A stand-in for the WiFi microscope, for the tests and for trying Wavenor without one.

It listens on 127.0.0.1 only, on two ports (free ones unless given):
  - the stream port: GET of any path without "action=command" serves a motion-JPEG stream
    (multipart/x-mixed-replace, about 10 frames a second, frames of the current size);
    GET /?action=command&...&id=N&group=01&value=V is a picture setting, answered "OK";
  - the HTTP port: GET /apply.cgi?...&video_idx=N switches the frame size (5 = 320x240,
    3 = 640x480, 4 = 1280x1024) and closes the running streams, as the camera restarts its
    stream in the new size.
Every request goes to the request log (JSON lines: time, port name, path, query, the user and
password of basic authentication, the answer's status).

Modes: "normal"; "refuse" (nothing listens: connections are refused); "silent" (connections are
taken, requests read and never answered); "unauthorized" (every request is answered 401).

When it listens it prints one JSON line on stdout, {"address", "stream_port", "http_port"}, and
writes the same to --ready-file when given. It ends by itself after --lifetime seconds.

The frames are baseline JPEG pictures drawn from flat 8 x 8 blocks (only the DC coefficient of
each block is coded), so that they can be made fast enough with the standard library alone: a
colour gradient, a grid and a white bar that moves one block a frame.
"""

import argparse
import base64
import json
import os
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

SIZES = {5: (320, 240), 3: (640, 480), 4: (1280, 1024)}
BOUNDARY = "wavenorframe"
FRAME_INTERVAL = 0.1
FRAMES_PER_SIZE = 16

# ---- JPEG of flat blocks ----

# The DC tables of the JPEG standard's examples (luminance, chrominance): code lengths 1..16
# and the categories they code.
DC_LUMA_BITS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]
DC_CHROMA_BITS = [0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0]
DC_VALUES = list(range(12))
# Every block ends at once: the AC table holds the end-of-block symbol only, one bit long.
AC_BITS = [1] + [0] * 15
AC_VALUES = [0x00]


def huffman_codes(bits, values):
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


DC_CODES = [huffman_codes(DC_LUMA_BITS, DC_VALUES), huffman_codes(DC_CHROMA_BITS, DC_VALUES)]
AC_CODE = huffman_codes(AC_BITS, AC_VALUES)[0]


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, code, length):
        self.acc = (self.acc << length) | code
        self.n += length
        while self.n >= 8:
            self.n -= 8
            byte = (self.acc >> self.n) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.put((1 << (8 - self.n)) - 1, 8 - self.n)
        return bytes(self.out)


def segment(marker, payload):
    return bytes([0xFF, marker]) + (len(payload) + 2).to_bytes(2, "big") + payload


def encode_blocks(width, height, block_colour):
    """A baseline JPEG whose 8 x 8 blocks are flat: block_colour(bx, by) gives (Y, Cb, Cr)."""
    bw, bh = (width + 7) // 8, (height + 7) // 8
    out = bytearray(b"\xFF\xD8")
    # Quantiser 8 everywhere: the DC coefficient of a flat block of level v is v - 128.
    out += segment(0xDB, bytes([0]) + bytes([8] * 64))
    sof = bytes([8]) + height.to_bytes(2, "big") + width.to_bytes(2, "big") + bytes([3])
    for cid in (1, 2, 3):
        sof += bytes([cid, 0x11, 0])
    out += segment(0xC0, sof)
    out += segment(0xC4, bytes([0x00]) + bytes(DC_LUMA_BITS) + bytes(DC_VALUES))
    out += segment(0xC4, bytes([0x01]) + bytes(DC_CHROMA_BITS) + bytes(DC_VALUES))
    out += segment(0xC4, bytes([0x10]) + bytes(AC_BITS) + bytes(AC_VALUES))
    # Chrominance: DC table 1, and the one AC table.
    out += segment(0xDA, bytes([3, 1, 0x00, 2, 0x10, 3, 0x10, 0, 63, 0]))
    bits = BitWriter()
    previous = [0, 0, 0]
    for by in range(bh):
        for bx in range(bw):
            colour = block_colour(bx, by)
            for c in range(3):
                dc = max(-128, min(127, int(colour[c]) - 128))
                diff = dc - previous[c]
                previous[c] = dc
                category = abs(diff).bit_length()
                code, length = DC_CODES[0 if c == 0 else 1][category]
                bits.put(code, length)
                if category:
                    extra = diff if diff > 0 else diff + (1 << category) - 1
                    bits.put(extra, category)
                bits.put(*AC_CODE)
    out += bits.flush()
    out += b"\xFF\xD9"
    return bytes(out)


def rgb_to_ycc(r, g, b):
    y = 0.299 * r + 0.587 * g + 0.114 * b
    return (y, 128 - 0.168736 * r - 0.331264 * g + 0.5 * b,
            128 + 0.5 * r - 0.418688 * g - 0.081312 * b)


def test_picture(width, height, frame):
    bw, bh = (width + 7) // 8, (height + 7) // 8
    bar = frame % bw

    def colour(bx, by):
        if bx == bar:
            return rgb_to_ycc(255, 255, 255)
        if bx % 10 == 0 or by % 10 == 0:
            return rgb_to_ycc(40, 40, 40)
        return rgb_to_ycc(255 * bx // bw, 255 * by // bh, 160)

    return encode_blocks(width, height, colour)


# ---- The camera ----

class Camera:
    def __init__(self, args):
        self.mode = args.mode
        self.lock = threading.Lock()
        self.size = (args.width, args.height)
        self.generation = 0  # counts size switches; a stream of an older size ends
        self.frames = {}
        self.log_path = args.log
        self.stop = threading.Event()

    def frames_of(self, size):
        with self.lock:
            cached = self.frames.get(size)
        if cached is None:
            cached = [test_picture(size[0], size[1], i) for i in range(FRAMES_PER_SIZE)]
            with self.lock:
                self.frames[size] = cached
        return cached

    def log(self, entry):
        if not self.log_path:
            return
        line = json.dumps(entry, sort_keys=True) + "\n"
        with self.lock:
            with open(self.log_path, "a", encoding="utf-8") as f:
                f.write(line)

    def switch(self, idx):
        size = SIZES.get(idx)
        if size is None:
            return False
        with self.lock:
            self.size = size
            self.generation += 1
        return True

    def current(self):
        with self.lock:
            return self.size, self.generation


def make_handler(camera, port_name):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.0"

        def log_message(self, *args):
            pass

        def credentials(self):
            header = self.headers.get("Authorization", "")
            if not header.startswith("Basic "):
                return None
            try:
                return base64.b64decode(header[6:]).decode("utf-8", "replace")
            except ValueError:
                return None

        def record(self, status):
            parts = urlsplit(self.path)
            camera.log({"time": time.time(), "port": port_name, "path": parts.path,
                        "query": {k: v[-1] for k, v in parse_qs(parts.query,
                                                                  keep_blank_values=True).items()},
                        "auth": self.credentials(), "status": status})

        def answer(self, status, body=b"", content_type="text/plain"):
            self.record(status)
            self.send_response(status)
            if status == 401:
                self.send_header("WWW-Authenticate", 'Basic realm="camera"')
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            if camera.mode == "silent":
                self.record(None)
                camera.stop.wait()
                self.close_connection = True
                return
            if camera.mode == "unauthorized":
                self.answer(401, b"Unauthorized")
                return
            query = parse_qs(urlsplit(self.path).query)
            if port_name == "http":
                if urlsplit(self.path).path == "/apply.cgi":
                    idx = query.get("video_idx", [""])[-1]
                    ok = idx.isdigit() and camera.switch(int(idx))
                    self.answer(200 if ok else 400, b"OK" if ok else b"bad video_idx")
                else:
                    self.answer(404, b"not found")
                return
            if query.get("action", [""])[-1] == "command":
                self.answer(200, b"OK")
                return
            self.stream()

        def stream(self):
            self.record(200)
            size, generation = camera.current()
            frames = camera.frames_of(size)
            self.send_response(200)
            self.send_header("Content-Type",
                             "multipart/x-mixed-replace;boundary=" + BOUNDARY)
            self.send_header("Cache-Control", "no-cache")
            self.end_headers()
            n = 0
            next_time = time.monotonic()
            try:
                while not camera.stop.is_set():
                    if camera.current()[1] != generation:
                        break
                    data = frames[n % len(frames)]
                    self.wfile.write(("--%s\r\nContent-Type: image/jpeg\r\n"
                                      "Content-Length: %d\r\n\r\n" % (BOUNDARY, len(data))
                                      ).encode("ascii"))
                    self.wfile.write(data)
                    self.wfile.write(b"\r\n")
                    self.wfile.flush()
                    n += 1
                    next_time += FRAME_INTERVAL
                    camera.stop.wait(max(0.0, next_time - time.monotonic()))
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True

    return Handler


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def refused_port():
    """A port on which nothing listens: taken from the system, then let go."""
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--mode", choices=["normal", "refuse", "silent", "unauthorized"],
                   default="normal")
    p.add_argument("--stream-port", type=int, default=0)
    p.add_argument("--http-port", type=int, default=0)
    p.add_argument("--width", type=int, default=640)
    p.add_argument("--height", type=int, default=480)
    p.add_argument("--lifetime", type=float, default=120.0,
                   help="seconds after which the camera ends by itself")
    p.add_argument("--log", help="request log, JSON lines")
    p.add_argument("--ready-file", help="where to write the ports once listening")
    args = p.parse_args()

    camera = Camera(args)
    servers = []
    if args.mode == "refuse":
        ports = {"stream": args.stream_port or refused_port(),
                 "http": args.http_port or refused_port()}
    else:
        ports = {}
        for name, port in (("stream", args.stream_port), ("http", args.http_port)):
            server = Server(("127.0.0.1", port), make_handler(camera, name))
            servers.append(server)
            ports[name] = server.server_address[1]
            threading.Thread(target=server.serve_forever, name="camera-" + name,
                             daemon=True).start()
        if args.mode == "normal":
            camera.frames_of(camera.current()[0])  # the first stream starts without delay

    ready = json.dumps({"address": "127.0.0.1", "stream_port": ports["stream"],
                        "http_port": ports["http"]})
    if args.ready_file:
        tmp = args.ready_file + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write(ready + "\n")
        os.replace(tmp, args.ready_file)
    print(ready, flush=True)

    try:
        camera.stop.wait(args.lifetime)
    except KeyboardInterrupt:
        pass
    camera.stop.set()
    for server in servers:
        server.shutdown()
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
