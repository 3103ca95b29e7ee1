#!/usr/bin/python3
"""The page kit in the lobby's web engine: the kit serves the starter page with its stand-in
host, and the starter logs in, lists its game, installs it and plays it, as a player would click.
Also: the kit serves nothing outside the page folder. Usage: kit_test.py <source dir>
(needs a display; ctest runs it under xvfb-run). Exit 0 pass, 1 fail, 77 skip."""
import os
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request

source = sys.argv[1]
try:
    import gi
    gi.require_version('Gtk', '3.0')
    gi.require_version('WebKit2', '4.1')
    from gi.repository import GLib, Gtk, WebKit2
except (ImportError, ValueError) as e:
    print(f'SKIP - no WebKitGTK for python: {e}')
    sys.exit(77)

failures = 0


def check(what, ok, detail=''):
    global failures
    print(('ok   - ' if ok else 'FAIL - ') + what + (f'  [{detail}]' if detail and not ok else ''))
    failures += 0 if ok else 1


def status(url):
    try:
        return urllib.request.urlopen(url).status
    except urllib.error.HTTPError as e:
        return e.code


work = tempfile.mkdtemp()
page = os.path.join(work, 'page')
os.mkdir(page)
with open(os.path.join(source, 'movie-starter', 'index.html'), 'rb') as f:
    starter = f.read()
with open(os.path.join(page, 'index.html'), 'wb') as f:
    f.write(starter)
with open(os.path.join(work, 'secret.txt'), 'w') as f:
    f.write('not for the page')
os.symlink(os.path.join(work, 'secret.txt'), os.path.join(page, 'link.txt'))

server = subprocess.Popen([sys.executable, os.path.join(source, 'tools/moviekit/serve.py'), page, '0'],
                          stdout=subprocess.PIPE, text=True)
base = server.stdout.readline().split()[0]
try:
    check('the kit serves the page with its stand-in first',
          b'<head><script>window.FAKE_HOST_SCENARIO' in urllib.request.urlopen(base).read())
    for name in ['../secret.txt', '%2e%2e/secret.txt', '%2E%2E%2Fsecret.txt', '..%2fsecret.txt',
                 'link.txt', '.%2e/secret.txt']:
        check(f'the kit refuses {name}', status(base + name) == 404)

    # The starter, clicked through: log in, install the game (it starts as "newer"), play it.
    drive = r'''
      const steps = [];
      const wait = (ms) => new Promise((r) => setTimeout(r, ms));
      const row = () => document.querySelector('#games li[data-name="DemoGame"]');
      const note = (what) => steps.push(what + '=' + (row() ? row().dataset.state : '-') + ':' +
                                        document.getElementById('status').textContent);
      (async () => {
        document.getElementById('account').value = '小明';
        document.getElementById('login-button').click();
        await wait(300); note('login');
        row().querySelector('button').click(); note('install');
        await wait(1500); note('installed');
        row().querySelector('button').click();
        await wait(300); note('playing');
        await wait(2200); note('ended');
        const log = window.fakeHostLog.map(([n, a]) => n + ' ' + a).join('\n');
        document.body.dataset.kitResult = steps.join(' | ') + '\n' + log;
      })();
    '''
    window = Gtk.Window()
    view = WebKit2.WebView()
    window.add(view)
    window.show_all()
    result = {}

    def poll():
        def got(v, r):
            text = v.evaluate_javascript_finish(r).to_string()
            if text != 'pending':
                result['text'] = text
                Gtk.main_quit()
        view.evaluate_javascript("document.body.dataset.kitResult || 'pending'", -1, None, None, None, got)
        return 'text' not in result

    def loaded(v, event):
        if event == WebKit2.LoadEvent.FINISHED:
            GLib.timeout_add(300, lambda: v.evaluate_javascript(drive, -1, None, None, None, None) and False)
            GLib.timeout_add(200, poll)

    view.connect('load-changed', loaded)
    view.load_uri(base)
    GLib.timeout_add_seconds(30, Gtk.main_quit)
    Gtk.main()
    text = result.get('text', '')
    print('# ' + text.replace('\n', '\n# '))
    steps = text.split('\n')[0]
    check('after logging in the game is offered for update',
          'login=newer:欢迎，小明' in steps, steps)
    check('installing shows progress', 'install=busy:正在安装 演示游戏…' in steps, steps)
    check('after the update the game checks as current', 'installed=current:演示游戏：已安装' in steps, steps)
    check('playing shows the game running', 'playing=current:游戏中…' in steps, steps)
    check('and the end of the game', 'ended=current:游戏已结束' in steps, steps)
    check('the log-in saves the remembered account and the chosen server',
          'SaveServer {"UserName":"小明","SaveAccount":1,"NetMode":0,"LoginNode":1}' in text, text)
    check('PlayGame carries the encoded address and port',
          'PlayGame {"GameName":"DemoGame","GameParam":{"GameIp":16777343,"GamePort":35875,'
          '"GameUid":"小明"' in text, text)
finally:
    server.terminate()
sys.exit(1 if failures else 0)
