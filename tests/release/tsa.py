#!/usr/bin/env python3
"""A time-stamp server (RFC 3161 over HTTP) on this machine, for the release check.

    tsa.py FOLDER

FOLDER holds tsa.cnf (an `openssl ts` configuration naming the server's
certificate and key). Each request is answered by `openssl ts -reply`. Prints
the port it listens on (127.0.0.1 only), then serves until it is ended.
"""
import http.server
import os
import subprocess
import sys
import tempfile

FOLDER = sys.argv[1]


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.TemporaryDirectory() as scratch:
            query_file = os.path.join(scratch, "query.tsq")
            reply_file = os.path.join(scratch, "reply.tsr")
            with open(query_file, "wb") as out:
                out.write(query)
            made = subprocess.run(["openssl", "ts", "-reply", "-config", "tsa.cnf", "-queryfile", query_file,
                                   "-out", reply_file], cwd=FOLDER, capture_output=True)
            if made.returncode != 0:
                sys.stderr.write(made.stderr.decode(errors="replace"))
                self.send_error(500)
                return
            with open(reply_file, "rb") as reply:
                body = reply.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
