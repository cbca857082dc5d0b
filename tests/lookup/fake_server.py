#!/usr/bin/env python3
"""A fake MusicBrainz, Cover Art Archive and gnudb on the loopback address, for the tests.

    fake_server.py SCENARIO LOG

SCENARIO is a JSON file: {"routes": [ROUTE, ...]}. A request takes the first route whose "match"
occurs in its target (path and query); the route's "replies" are given in turn, the last one
again and again. A reply:

    status      HTTP status (200)
    headers     extra headers, {"Retry-After": "1"}
    body        text of the body; "{discid}" becomes the disc ID of a /ws/2/discid/ request
    body_file   the body from this file (beside the scenario unless absolute)
    size        a body of this many bytes of "x" instead
    no_length   send no Content-Length (the body ends when the connection closes)
    delay       seconds to wait before answering
    trickle     seconds to wait between the body's pieces of 16 bytes
    redirect    a path on this server: answer 307 with it as the Location

A request without a route is answered 404. Every request is appended to LOG as one JSON line:
{"time": seconds, "method", "target", "path", "query", "headers": {...}}. The server prints its
port on stdout once it listens, and runs until it is ended.
"""
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import urlsplit

SCENARIO, LOG = sys.argv[1], sys.argv[2]
with open(SCENARIO, encoding="utf-8") as f:
    ROUTES = json.load(f)["routes"]
HERE = os.path.dirname(os.path.abspath(SCENARIO))
LOCK = threading.Lock()
SERVED = {}  # route index -> replies given


def pick(target):
    with LOCK:
        for i, route in enumerate(ROUTES):
            if route["match"] in target:
                n = SERVED.get(i, 0)
                SERVED[i] = n + 1
                replies = route["replies"]
                return replies[min(n, len(replies) - 1)]
    return {"status": 404, "body": "not here\n"}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        parts = urlsplit(self.path)
        with LOCK, open(LOG, "a", encoding="utf-8") as log:
            log.write(json.dumps({"time": time.time(), "method": "GET", "target": self.path,
                                  "path": parts.path, "query": parts.query,
                                  "headers": dict(self.headers.items())}) + "\n")
        reply = pick(self.path)
        time.sleep(reply.get("delay", 0))
        if "redirect" in reply:
            self.send_response(307)
            self.send_header("Location", reply["redirect"])
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if "size" in reply:
            body = b"x" * reply["size"]
        elif "body_file" in reply:
            with open(os.path.join(HERE, reply["body_file"]), "rb") as f:
                body = f.read()
        else:
            body = reply.get("body", "").encode("utf-8")
        if parts.path.startswith("/ws/2/discid/"):
            body = body.replace(b"{discid}", parts.path.rsplit("/", 1)[-1].encode())
        self.send_response(reply.get("status", 200))
        for name, value in reply.get("headers", {}).items():
            self.send_header(name, value)
        if not reply.get("no_length"):
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            trickle = reply.get("trickle", 0)
            if trickle:
                for at in range(0, len(body), 16):
                    self.wfile.write(body[at:at + 16])
                    self.wfile.flush()
                    time.sleep(trickle)
            else:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass


server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
server.daemon_threads = True
print(server.server_address[1], flush=True)
server.serve_forever()
