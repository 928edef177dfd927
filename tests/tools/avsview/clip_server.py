#!/usr/bin/env python3
"""HTTP server for the avsview tests: serves the files of a folder on
127.0.0.1, on a free port that it writes to a file once it listens.

--truncate-at N  sends the full Content-Length but closes the connection
                 after N bytes of the body (a download that breaks off).
--no-length      sends no Content-Length (the body ends with the connection).
--chunked        answers in HTTP/1.1 chunked transfer coding: no length at all.
--stall          takes the connection but never answers.
--lifetime S     exits by itself after S seconds, so that a test that dies
                 cannot leave the server behind.
"""
import argparse
import http.server
import os
import sys
import threading


def make_handler(folder, truncate_at, no_length, stall, chunked):
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
            self.send_response(200)
            self.send_header("Content-Type", "video/avs")
            if chunked:
                self.send_header("Transfer-Encoding", "chunked")
                self.send_header("Connection", "close")
            elif not no_length:
                self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            if truncate_at is not None:
                body = body[:truncate_at]
            if chunked:
                self.write_chunked(body)
            else:
                self.wfile.write(body)
            self.wfile.flush()
            self.close_connection = True

        def write_chunked(self, body, size=8192):
            for at in range(0, len(body), size):
                part = body[at:at + size]
                self.wfile.write(b"%x\r\n%s\r\n" % (len(part), part))
            self.wfile.write(b"0\r\n\r\n")

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
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), make_handler(args.dir, args.truncate_at, args.no_length, args.stall, args.chunked))
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
