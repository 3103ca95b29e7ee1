#!/usr/bin/python3
"""Serves a lobby page folder on http://127.0.0.1:<port>/ with a stand-in for the lobby, so a
page can be built in any browser with its developer tools.

Every HTML page gets the stand-in (fake_host.js, beside this file) as its first script. Only
files inside the folder are served; the server listens on the loopback address only.
Usage: serve.py <page folder> [port]   (port 0 picks a free one; the address is printed)
"""
import http.server
import os
import sys
import urllib.parse

KIT = os.path.dirname(os.path.abspath(__file__))
HOST_PATH = "/__movie_kit__/fake_host.js"
INJECT = (b'<script>window.FAKE_HOST_SCENARIO = "kit";</script>'
          b'<script src="' + HOST_PATH.encode() + b'"></script>')


def inject(page):
    """The page with the stand-in before its first script: after <head ...>, or at the top."""
    lower = page.lower()
    at = lower.find(b"<head")
    if at >= 0:
        end = page.find(b">", at)
        if end >= 0:
            return page[:end + 1] + INJECT + page[end + 1:]
    return INJECT + page


class Handler(http.server.SimpleHTTPRequestHandler):
    root = "."

    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=self.root, **kwargs)

    def end_headers(self):
        # Every edit shows on the next reload.
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def inside(self, path):
        """The real file the request names, or None when it is not a regular file in the folder."""
        real = os.path.realpath(path)
        root = os.path.realpath(self.root)
        if os.path.commonpath([real, root]) != root or not os.path.isfile(real):
            return None
        return real

    def send_bytes(self, data, content_type):
        self.send_response(200)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)

    def serve(self):
        path = urllib.parse.urlsplit(self.path).path
        if path == HOST_PATH:
            with open(os.path.join(KIT, "fake_host.js"), "rb") as f:
                return self.send_bytes(f.read(), "text/javascript; charset=utf-8")
        if path.endswith("/"):
            path += "index.html"
        real = self.inside(self.translate_path(path))
        if real is None:
            return self.send_error(404)
        with open(real, "rb") as f:
            data = f.read()
        content_type = self.guess_type(real)
        if content_type == "text/html":
            return self.send_bytes(inject(data), "text/html; charset=utf-8")
        return self.send_bytes(data, content_type)

    def do_GET(self):
        self.serve()

    def do_HEAD(self):
        self.serve()


def main():
    if len(sys.argv) < 2 or not os.path.isdir(sys.argv[1]):
        sys.exit("usage: serve.py <page folder> [port]")
    Handler.root = os.path.abspath(sys.argv[1])
    port = int(sys.argv[2]) if len(sys.argv) > 2 else 8700
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), Handler)
    print(f"http://127.0.0.1:{server.server_address[1]}/  serving {Handler.root}", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
