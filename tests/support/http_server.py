"""A small HTTP server for the tests: serves a folder on 127.0.0.1.

Run with Debian's /usr/bin/python3 -u. It prints "serving on port N" once it
listens, then one line per answered request: "request GET /path 200", with
" conditional" added for a request with If-None-Match or If-Modified-Since.
Files are sent with an ETag (their time and size) and Last-Modified; a
conditional request for a file that did not change is answered 304.

Besides the files of the folder it answers:
  --redirect FROM TO   a request for FROM gets a 302 to TO (may be repeated)
  /_stream/N           N bytes of "x" with no Content-Length, then the
                       connection closes
  /_stall              the status line and headers, then nothing
  /_gzip/PATH          the file PATH compressed, with Content-Encoding: gzip,
  /_deflate/PATH       or deflate, whatever the request accepts
  /_latin1/PATH        the file PATH as "text/html; charset=iso-8859-1"
  /_drip/N             a page of N bytes, sent at 2 bytes a second
  /_status/N           an answer with the HTTP status N and a line of text
  /_exit               a page, then the server ends: every later request is
                       refused
  /trap/N              a page titled "Trap N" that links /trap/N+1, for any N:
                       a site without end
  --html-without-extension
                       files whose name has no extension are sent as
                       text/html (else as application/octet-stream)
"""

import argparse
import functools
import gzip
import http.server
import sys
import os
import threading
import time
import zlib


class Handler(http.server.SimpleHTTPRequestHandler):
    redirects = {}
    html_without_extension = False
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
        elif self.path.startswith("/trap/") and self.path[6:].isdigit():
            number = int(self.path[6:])
            self.send_page(b'<title>Trap %d</title><a href="/trap/%d">next</a>'
                           % (number, number + 1))
        elif self.path.startswith("/_drip/") and self.path[7:].isdigit():
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", self.path[7:])
            self.end_headers()
            try:
                for _ in range(0, int(self.path[7:]), 2):
                    self.wfile.write(b"xx")
                    self.wfile.flush()
                    time.sleep(1)
            except ConnectionError:
                pass  # the client gave up waiting
        elif self.path == "/_exit":
            self.send_page(b"<title>Last</title>")
            self.wfile.flush()
            os._exit(0)
        elif self.path.startswith("/_status/") and self.path[9:].isdigit():
            body = b"status %s\n" % self.path[9:].encode()
            self.send_response(int(self.path[9:]))
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
        elif self.path.startswith("/_latin1/"):
            try:
                with open(self.translate_path(self.path[len("/_latin1"):]), "rb") as page:
                    body = page.read()
            except OSError:
                self.send_error(404)
                return
            self.send_page(body, "text/html; charset=iso-8859-1")
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

    def send_head(self):
        # The ETag of a file; If-None-Match that names it is answered 304.
        # Without If-None-Match, If-Modified-Since is answered by the base.
        self.etag = None
        path = self.translate_path(self.path)
        if os.path.isfile(path):
            info = os.stat(path)
            etag = '"%x-%x"' % (info.st_mtime_ns, info.st_size)
            if self.headers.get("If-None-Match") == etag:
                self.send_response(304)
                self.send_header("ETag", etag)
                self.end_headers()
                return None
            self.etag = etag
        return super().send_head()

    def end_headers(self):
        if getattr(self, "etag", None):
            self.send_header("ETag", self.etag)
            self.etag = None
        super().end_headers()

    def send_page(self, body, content_type="text/html"):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def guess_type(self, path):
        if self.html_without_extension and not os.path.splitext(path)[1]:
            return "text/html"
        return super().guess_type(path)

    def log_request(self, code="-", size="-"):
        code = getattr(code, "value", code)
        conditional = ("If-None-Match" in self.headers
                       or "If-Modified-Since" in self.headers)
        sys.stdout.write("request %s %s %s%s\n" % (self.command, self.path, code,
                                                    " conditional" if conditional else ""))
        sys.stdout.flush()

    def log_message(self, format, *args):
        pass


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--directory", required=True)
    parser.add_argument("--redirect", nargs=2, action="append", default=[])
    parser.add_argument("--html-without-extension", action="store_true")
    options = parser.parse_args()
    Handler.redirects = dict(options.redirect)
    Handler.html_without_extension = options.html_without_extension
    handler = functools.partial(Handler, directory=options.directory)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    server.daemon_threads = True
    print("serving on port %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
