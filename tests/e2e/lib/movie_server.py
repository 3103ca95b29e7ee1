"""A small HTTP server on 127.0.0.1 for the lobby's whole-program tests.

It serves a folder (version files of a fake update server; one with a ".stall" file beside it
answers after ten seconds) and lets a test talk to its scripted
movie: the movie logs lines with GET /log?<text> and polls GET /next for JavaScript to run; the
test pushes that JavaScript with POST /push. Usage: movie_server.py <root> <port file> <log file>
"""
import http.server
import os
import sys
import threading
import time
import urllib.parse

root, port_file, log_file = sys.argv[1:4]
queue = []
lock = threading.Lock()


class Handler(http.server.SimpleHTTPRequestHandler):
    def __init__(self, *args, **kwargs):
        super().__init__(*args, directory=root, **kwargs)

    def log_message(self, *args):
        pass

    def end_headers(self):
        # The movie is a file: page; let it read our answers.
        self.send_header("Access-Control-Allow-Origin", "*")
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def answer(self, status, body=b""):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        path, _, query = self.path.partition("?")
        if path == "/log":
            line = urllib.parse.unquote(query)
            with lock, open(log_file, "a", encoding="utf-8") as out:
                out.write(line + "\n")
            return self.answer(200)
        if path == "/next":
            with lock:
                job = queue.pop(0) if queue else None
            return self.answer(200, job.encode()) if job else self.answer(204)
        # A file with ".stall" beside it answers only after ten seconds: a stalled server.
        if os.path.exists(os.path.join(root, path.lstrip("/")) + ".stall"):
            time.sleep(10)
        return super().do_GET()

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length).decode("utf-8")
        if self.path == "/push":
            with lock:
                queue.append(body)
            return self.answer(200)
        return self.answer(404)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
with open(port_file + ".tmp", "w") as f:
    f.write(str(server.server_address[1]))
os.rename(port_file + ".tmp", port_file)
server.serve_forever()
