// Dev-only stand-in for the lobby host, for building a movie in a plain browser.
// Loaded before the movie's scripts; never shipped with the movie.
// The scenario comes from the address's hash: #login, #hall, #failed, #installing,
// #playing, #menu, #about, #logout, #play-anyway, #nohost, #keys, #flow, #server-down,
// #update-failed, #open-web (the sample movie's screenshots), or #kit, the default of
// scripts/movie-kit.sh: the host answers and never clicks (an unknown game is installed and
// current, an update installs after a second, a game "runs" for two seconds).
(function () {
  'use strict';
  const scenario = (location.hash || '#' + (window.FAKE_HOST_SCENARIO || 'login')).slice(1);
  const callbacks = {};
  const log = (window.fakeHostLog = []);
  const later = (fn, ms) => setTimeout(fn, ms || 50);
  const send = (name, arg) => later(() => callbacks[name] && callbacks[name](arg));

  const checkResults = {
    hall: { DemoGame: 2, StarChess: 3 },
    failed: { DemoGame: 0, StarChess: 1 },
    installing: { DemoGame: 0, StarChess: 3 },
    playing: { DemoGame: 0, StarChess: 3 },
    'play-anyway': { DemoGame: 2, StarChess: 3 },
    flow: { DemoGame: 3, StarChess: 3 },
    'server-down': { DemoGame: 1, StarChess: 1 },
    'update-failed': { DemoGame: 2, StarChess: 3 },
  };
  // Why a check with Result 1 failed, as the host tells it.
  const reasons = { 'server-down': 'unreachable' };
  const results = checkResults[scenario] || checkResults.hall;
  const kit = scenario === 'kit';

  // The kit's host: answers like the lobby would, with nothing installed or started for real.
  function kitCall(name, arg) {
    const game = arg && typeof arg === 'object' ? String(arg.GameName ?? '') : '';
    const answer = (result) => ({ GameName: game, Result: result, GameParam: arg && arg.GameParam });
    if (name === 'CheckGame') {
      send('CheckGameResult', answer(results[game] ?? 0));
    } else if (name === 'UpdateGame') {
      const state = results[game] ?? 0;
      if (state !== 2 && state !== 3) return send('UpdateGameResult', { ...answer(1), Outcome: 'nothingToDo' });
      later(() => {
        results[game] = 0;
        callbacks.UpdateGameResult && callbacks.UpdateGameResult({ ...answer(0), Outcome: 'installed' });
      }, 1000);
    } else if (name === 'PlayGame') {
      send('LoginGame', 1);
      later(() => callbacks.LogoutGame && callbacks.LogoutGame(1), 2000);
    }
  }

  // The page with no host at all: the form and hall must still work.
  if (scenario !== 'nohost') window.ExternalInterface = {
    addCallback(name, fn) { callbacks[name] = fn; },
    available: true,
    call(name, arg) {
      log.push([name, JSON.stringify(arg)]);
      if (kit) {
        kitCall(name, arg);
      } else if (name === 'CheckGame') {
        const answer = { GameName: arg.GameName, Result: results[arg.GameName] ?? 1, GameParam: arg.GameParam };
        if (answer.Result === 1 && reasons[scenario]) answer.Reason = reasons[scenario];
        send('CheckGameResult', answer);
      } else if (name === 'PlayGame') {
        send('LoginGame', 1);
        if (scenario === 'flow') later(() => callbacks.LogoutGame(1), 200);
      } else if (name === 'UpdateGame' && scenario === 'update-failed') {
        // The updater ran and failed: nothing changed, the next check finds the old version.
        later(() => callbacks.UpdateGameResult({ GameName: arg.GameName, Result: 0, GameParam: arg.GameParam, Outcome: 'failed' }), 200);
      } else if (name === 'UpdateGame' && scenario === 'flow') {
        // The updater installs the game: the next check finds it current.
        later(() => {
          results[arg.GameName] = 0;
          callbacks.UpdateGameResult({ GameName: arg.GameName, Result: 0, GameParam: arg && arg.GameParam });
        }, 200);
      }
      // Otherwise UpdateGame stays unanswered so the installing state can be seen.
    },
  };

  if (scenario !== 'nohost') window.fscommand = function (command, args) {
    log.push([command, args]);
    if (command === 'LoginServer') {
      send('LoginServer', {
        MainPath: '/opt/quorvane',
        UserName: '玩家小明',
        ProxyId: 0,
        LoginMode: 0,
        NetMode: 1,
        LoginNode: 1,
        SaveAccount: 1,
        LoginServer: [
          { AutoDns: 'login1.quorvane.example', TelDns: 'tel1.quorvane.example', UniDns: 'uni1.quorvane.example', Port: 8000 },
          { AutoDns: 'login2.quorvane.example', TelDns: 'tel2.quorvane.example', UniDns: '', Port: 8001 },
        ],
        UserTag: [1, 2, 3, 4, 5, 6],
        LobbyVersion: '1.0.12',
      });
    }
  };

  const click = (selector) => {
    const el = document.querySelector(selector);
    if (el) el.click();
  };

  // Escape closes the menu and the dialogs; the confirmed log-out reaches the host.
  const escape = () => document.activeElement.dispatchEvent(new KeyboardEvent('keydown', { key: 'Escape', bubbles: true }));
  const state = () => document.getElementById('lobby-state').textContent;
  function keys() {
    const seen = [];
    callbacks.RightClick(1);
    seen.push(state(), document.activeElement.dataset.command);
    escape();
    seen.push(state(), document.activeElement.id);
    callbacks.LogoutServer(1);
    seen.push(state(), document.activeElement.id);
    escape();
    seen.push(state());
    callbacks.LogoutServer(1);
    click('#logout-confirm');
    seen.push(state(), JSON.stringify(log.filter(([n]) => n === 'LogoutServer' || n === 'SaveServer')));
    document.body.dataset.fakeResult = seen.join(' | ');
  }

  // Install, play and come back through the page's own buttons.
  function flow() {
    const seen = [];
    const step = (fn, ms) => new Promise((resolve) => setTimeout(() => { fn(); resolve(); }, ms));
    const note = () => seen.push(state().replace(/^screen=hall /, '') + ' ' +
      document.querySelector('.game[data-name="DemoGame"] .action').textContent);
    note();
    step(() => { click('.game[data-name="DemoGame"] .action'); note(); }, 0)
      .then(() => step(note, 120))
      .then(() => step(note, 300))
      .then(() => step(() => { click('.game[data-name="DemoGame"] .action'); note(); }, 0))
      .then(() => step(note, 120))
      .then(() => step(() => {
        note();
        seen.push(JSON.stringify(log.filter(([n]) => n === 'UpdateGame' || n === 'PlayGame')));
        document.body.dataset.fakeResult = seen.join(' | ');
      }, 300));
  }

  window.addEventListener('load', () => {
    if (scenario === 'login' || kit) return;
    later(() => {
      const account = document.getElementById('account');
      if (!account.value) account.value = '访客';
      click('#login-button');
      later(() => {
        document.dispatchEvent(new MouseEvent('mousemove', { clientX: 330, clientY: 250, bubbles: true }));
        if (scenario === 'menu' || scenario === 'about') callbacks.RightClick(1);
        if (scenario === 'about') later(() => click('#context-menu [data-command="about"]'));
        if (scenario === 'logout') callbacks.LogoutServer(1);
        if (scenario === 'installing') click('.game[data-name="StarChess"] .action');
        if (scenario === 'playing') click('.game[data-name="DemoGame"] .action');
        if (scenario === 'play-anyway') click('.game[data-name="DemoGame"] .play-anyway');
        if (scenario === 'update-failed') click('.game[data-name="DemoGame"] .action');
        if (scenario === 'open-web') click('.side a[data-url]');
        if (scenario === 'keys') keys();
        if (scenario === 'flow') flow();
      }, 400);
    }, 300);
  });
})();
