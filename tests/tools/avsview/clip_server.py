#!/usr/bin/env python3
"""HTTP server for the avsview and web player tests: serves the files of a
folder on 127.0.0.1, on a free port that it writes to a file once it listens.
Clips (.avs) go out as video/avs, other files with the type their extension
names (a page, its scripts, the player's .wasm).

--truncate-at N  sends the full Content-Length but closes the connection
                 after N bytes of the body (a download that breaks off).
--no-length      sends no Content-Length (the body ends with the connection).
--chunked        answers in HTTP/1.1 chunked transfer coding: no length at all.
--stall          takes the connection but never answers.
--rate B         sends clips at B bytes a second (a modem), in pieces of
                 --piece bytes (default 1400); other files go at once.
--lifetime S     exits by itself after S seconds, so that a test that dies
                 cannot leave the server behind.
"""
import argparse
import http.server
import mimetypes
import os
import sys
import threading
import time

TYPES = {".avs": "video/avs", ".wasm": "application/wasm", ".js": "text/javascript",
         ".mjs": "text/javascript", ".html": "text/html; charset=utf-8"}


def content_type(path):
    extension = os.path.splitext(path)[1].lower()
    return TYPES.get(extension) or mimetypes.guess_type(path)[0] or "application/octet-stream"


def make_handler(folder, truncate_at, no_length, stall, chunked, rate, piece):
    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1" if chunked else "HTTP/1.0"

        def do_GET(self):
            if stall:
                sys.stderr.write("clip_server: stalling %s\n" % self.path)
                sys.stderr.flush()
                threading.Event().wait()
            path = os.path.join(folder, os.path.basename(self.path.split("?")[0]))
            if not os.path.isfile(path):
                self.send_error(404, "Not Found")
                return
            with open(path, "rb") as f:
                body = f.read()
            kind = content_type(path)
            self.send_response(200)
            self.send_header("Content-Type", kind)
            if chunked:
                self.send_header("Transfer-Encoding", "chunked")
                self.send_header("Connection", "close")
            elif not no_length:
                self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if truncate_at is not None:
                body = body[:truncate_at]
            paced = rate is not None and kind == "video/avs"
            size = piece if paced else 8192
            started = time.monotonic()
            for at in range(0, len(body), size):
                self.write_part(body[at:at + size])
                if paced:
                    time.sleep(max(0.0, started + (at + size) / rate - time.monotonic()))
            if chunked:
                self.wfile.write(b"0\r\n\r\n")
            self.wfile.flush()
            self.close_connection = True

        def write_part(self, part):
            if chunked:
                self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
            else:
                self.wfile.write(part)
            self.wfile.flush()

        def log_message(self, fmt, *args):
            sys.stderr.write("clip_server: " + (fmt % args) + "\n")

    return Handler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--truncate-at", type=int)
    parser.add_argument("--no-length", action="store_true")
    parser.add_argument("--stall", action="store_true")
    parser.add_argument("--chunked", action="store_true")
    parser.add_argument("--rate", type=float)
    parser.add_argument("--piece", type=int, default=1400)
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), make_handler(args.dir, args.truncate_at, args.no_length, args.stall, args.chunked,
                                       args.rate, args.piece))
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    temp = args.port_file + ".tmp"
    with open(temp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(temp, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
