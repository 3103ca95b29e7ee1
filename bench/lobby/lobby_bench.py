"""Lobby benchmark: Quorvane against a minimal WebKitGTK window showing the same page.

Prints three ratios (lobby / peer, lower is better): start-up time from process start to the
page's first registered callback, the median round trip of "LoginServer" (fscommand to the
movie's callback; median of batch means, the page's clock being too coarse for one trip)
against a bare script-message echo, and resident memory of the whole
process tree (the program and its web engine processes) once the page is shown.
Usage: lobby_bench.py <build dir> <minimal_view> <page template> [repetitions] [rounds]
"""
import http.server
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time

build, peer, template = sys.argv[1:4]
reps = int(sys.argv[4]) if len(sys.argv) > 4 else 5
rounds = int(sys.argv[5]) if len(sys.argv) > 5 else 5000
events = {}
cond = threading.Condition()


class Marks(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        what, _, value = self.path.lstrip("/").partition("?")
        with cond:
            events[what] = (time.monotonic(), value)
            cond.notify_all()
        self.send_response(204)
        self.send_header("Access-Control-Allow-Origin", "*")
        self.end_headers()


def wait_for(what, timeout=120):
    with cond:
        if not cond.wait_for(lambda: what in events, timeout):
            raise RuntimeError("no '%s' within %d s" % (what, timeout))
        return events[what]


def tree_rss_kib(root):
    """Resident memory of a process and all its descendants, in KiB."""
    children = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open("/proc/%s/stat" % pid) as f:
                ppid = int(f.read().rsplit(")", 1)[1].split()[1])
            children.setdefault(ppid, []).append(int(pid))
        except (OSError, ValueError, IndexError):
            pass
    total, todo = 0, [root]
    while todo:
        pid = todo.pop()
        todo.extend(children.get(pid, []))
        try:
            with open("/proc/%d/status" % pid) as f:
                total += next(int(l.split()[1]) for l in f if l.startswith("VmRSS:"))
        except (OSError, StopIteration):
            pass
    return total


def run(argv, cwd=None):
    """One run: start-up seconds, median round trip in ms, resident KiB."""
    events.clear()
    t0 = time.monotonic()
    proc = subprocess.Popen(argv, cwd=cwd, stderr=subprocess.DEVNULL)
    try:
        ready = wait_for("ready")[0] - t0
        time.sleep(1.0)
        rss = tree_rss_kib(proc.pid)
        median = float(wait_for("median")[1])
        return ready, median, rss
    finally:
        proc.terminate()
        try:
            proc.wait(10)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
        time.sleep(0.3)


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Marks)
threading.Thread(target=server.serve_forever, daemon=True).start()
port = server.server_address[1]
work = tempfile.mkdtemp()
try:
    with open(template) as f:
        page = f.read().replace("@PORT@", str(port)).replace("@ROUNDS@", str(rounds))
    prog = os.path.join(work, "prog")
    subprocess.run(["cmake", "--install", build, "--prefix", prog], check=True, stdout=subprocess.DEVNULL)
    os.makedirs(os.path.join(prog, "bench"))
    with open(os.path.join(prog, "bench", "index.html"), "w") as f:
        f.write(page)
    cfg = os.path.join(prog, "Config.cfg")
    with open(cfg) as f:
        text = f.read()
    # A closed port: the lobby's own version check is refused at once.
    text = text.replace(">movie/index.html<", ">bench/index.html<")
    text = re.sub(r"<UpdateUrl>.*</UpdateUrl>", "<UpdateUrl>http://127.0.0.1:9</UpdateUrl>", text)
    with open(cfg, "w") as f:
        f.write(text)
    os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
    os.environ["XDG_CACHE_HOME"] = os.path.join(work, "cache")
    lobby, minimal = [], []
    for _ in range(reps):  # interleaved, so both see the same machine
        lobby.append(run([os.path.join(prog, "Quorvane")], cwd=prog))
        minimal.append(run([peer, os.path.join(prog, "bench", "index.html")]))
    names = ["start-up (s)", "round trip (ms)", "resident (KiB)"]
    print("%-16s %12s %12s %8s" % ("median of %d" % reps, "Quorvane", "minimal", "ratio"))
    for i, name in enumerate(names):
        a = statistics.median(r[i] for r in lobby)
        b = statistics.median(r[i] for r in minimal)
        print("%-16s %12.4g %12.4g %8.3f" % (name, a, b, a / b))
finally:
    server.shutdown()
    shutil.rmtree(work, ignore_errors=True)
