"""A small HTTP server for the tests: serves a folder on 127.0.0.1.

Run with Debian's /usr/bin/python3 -u. It prints "serving on port N" once it
listens, then one line per answered request: "request GET /path 200".

Besides the files of the folder it answers:
  --redirect FROM TO   a request for FROM gets a 302 to TO (may be repeated)
  /_stream/N           N bytes of "x" with no Content-Length, then the
                       connection closes
  /_stall              the status line and headers, then nothing
  /_gzip/PATH          the file PATH compressed, with Content-Encoding: gzip,
  /_deflate/PATH       or deflate, whatever the request accepts
"""

import argparse
import functools
import gzip
import http.server
import sys
import threading
import zlib


class Handler(http.server.SimpleHTTPRequestHandler):
    redirects = {}
    encoders = {"_gzip": gzip.compress, "_deflate": zlib.compress}

    def do_GET(self):
        if self.path in self.redirects:
            self.send_response(302)
            self.send_header("Location", self.redirects[self.path])
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif self.path.startswith("/_stream/"):
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            remaining = int(self.path[len("/_stream/"):])
            while remaining > 0:
                piece = min(remaining, 65536)
                self.wfile.write(b"x" * piece)
                remaining -= piece
        elif self.path == "/_stall":
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            self.wfile.flush()
            threading.Event().wait()
        elif self.path.split("/")[1] in self.encoders:
            encoding = self.path.split("/")[1][1:]
            path = self.translate_path(self.path[len(encoding) + 2:])
            try:
                with open(path, "rb") as page:
                    body = self.encoders["_" + encoding](page.read())
            except OSError:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Encoding", encoding)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        else:
            super().do_GET()

    def log_request(self, code="-", size="-"):
        code = getattr(code, "value", code)
        sys.stdout.write("request %s %s %s\n" % (self.command, self.path, code))
        sys.stdout.flush()

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--directory", required=True)
    parser.add_argument("--redirect", nargs=2, action="append", default=[])
    options = parser.parse_args()
    Handler.redirects = dict(options.redirect)
    handler = functools.partial(Handler, directory=options.directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    print("serving on port %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
