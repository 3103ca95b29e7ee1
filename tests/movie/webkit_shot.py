#!/usr/bin/python3
# Dev-only: one screenshot of a page in WebKitGTK, the engine the lobby embeds.
# Usage: webkit_shot.py URL OUT.png   (needs python3-gi, python3-gi-cairo, gir1.2-webkit2-4.1, a display)
# Prints the page's state line (#lobby-state) and the fake host's keyboard result, if any.
import sys

import cairo  # noqa: F401  (makes the snapshot surface convertible)
import gi

gi.require_foreign('cairo')
gi.require_version('Gtk', '3.0')
gi.require_version('WebKit2', '4.1')
from gi.repository import GLib, Gtk, WebKit2  # noqa: E402

url, out = sys.argv[1], sys.argv[2]
window = Gtk.Window()
window.set_default_size(800, 600)
view = WebKit2.WebView()
settings = view.get_settings()
# The movie reads games.json beside itself; the lobby's view needs the same setting.
settings.set_allow_file_access_from_file_urls(True)
settings.set_enable_write_console_messages_to_stdout(True)
window.add(view)
window.show_all()
view.load_uri(url)

STATE = "document.getElementById('lobby-state').textContent + ' | ' + (document.body.dataset.fakeResult || '')"


def printed(v, result):
    print(v.evaluate_javascript_finish(result).to_string())
    Gtk.main_quit()


def shot(v, result):
    v.get_snapshot_finish(result).write_to_png(out)
    v.evaluate_javascript(STATE, -1, None, None, None, printed)


def later():
    view.get_snapshot(WebKit2.SnapshotRegion.VISIBLE, WebKit2.SnapshotOptions.NONE, None, shot)
    return False


GLib.timeout_add(2500, later)
Gtk.main()
