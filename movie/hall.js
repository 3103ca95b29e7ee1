// The hall's games and what may be done with each, driven by the host's answers.
// No DOM here: the page draws whatever this model says after each change.
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory(require('./protocol.js'));
  else root.LobbyHall = factory(root.LobbyProtocol);
})(typeof self !== 'undefined' ? self : this, function (P) {
  'use strict';

  // A game name is a directory name on the host side, and the host takes exactly the plain
  // names: not empty, not "." or "..", no "/" or "\", no control characters, at most 255 UTF-16
  // units. Spaces and Chinese are fine.
  function isPlainName(name) {
    return name.length > 0 && name.length <= 255 && name !== '.' && name !== '..' && !/[\u0000-\u001f\u007f\/\\]/.test(name);
  }

  // games.json: either a list or { games: [...] }; entries without a usable name are dropped.
  function readGameList(data) {
    const list = Array.isArray(data) ? data : data && Array.isArray(data.games) ? data.games : [];
    const seen = new Set();
    const games = [];
    for (const item of list) {
      if (!item || typeof item !== 'object' || !isPlainName(String(item.name ?? ''))) continue;
      if (seen.has(item.name)) continue;
      seen.add(item.name);
      games.push({
        name: item.name,
        title: String(item.title || item.name),
        description: String(item.description || ''),
        color: String(item.color || ''),
        start: item.start && typeof item.start === 'object' ? item.start : {},
      });
    }
    return games;
  }

  const OFFLINE = '未连接到大厅程序';

  class Hall {
    constructor(bridge, onChange) {
      this.bridge = bridge;
      this.onChange = onChange || (() => {});
      this.games = [];
      this.playing = null; // name of the game asked to start, until LogoutGame
    }

    // New list; games already known keep what is going on with them.
    setGames(list) {
      const old = new Map(this.games.map((g) => [g.name, g]));
      this.games = list.map((g) => {
        const prev = old.get(g.name);
        return Object.assign({ result: null, checks: 0, busy: null, notice: '' }, prev || {}, g);
      });
      this.onChange();
    }

    get(name) {
      return this.games.find((g) => g.name === name) || null;
    }

    state(game) {
      if (game.busy) return game.busy;
      if (game.checks > 0 || game.result === null) return 'checking';
      return P.stateFromResult(game.result);
    }

    updateRunning() {
      return this.games.some((g) => g.busy === 'installing' || g.busy === 'updating');
    }

    checkAll() {
      for (const g of this.games) this.sendCheck(g);
      this.onChange();
    }

    check(name) {
      const g = this.get(name);
      if (!g) return;
      this.sendCheck(g);
      this.onChange();
    }

    sendCheck(game) {
      if (!this.bridge.connected) {
        game.result = 1;
        game.notice = OFFLINE;
        return;
      }
      game.checks += 1;
      this.bridge.call('CheckGame', P.checkGameRequest(game));
    }

    onCheckResult(answer) {
      const g = this.get(P.answerGameName(answer));
      if (!g) return;
      g.checks = Math.max(0, g.checks - 1);
      const r = Number(answer && answer.Result);
      g.result = [0, 1, 2, 3].includes(r) ? r : 1; // an unknown answer counts as a failed check
      if (g.result === 1 && (!g.notice || P.isCheckNotice(g.notice))) g.notice = P.checkNotice(answer);
      if (g.result !== 1 && P.isCheckNotice(g.notice)) g.notice = '';
      this.onChange();
    }

    // Installs (not installed) or updates (newer version); one at a time, as the host allows.
    update(name) {
      const g = this.get(name);
      if (!g) return { error: '没有这个游戏' };
      if (!this.bridge.connected) return { error: OFFLINE };
      const state = this.state(g);
      if (state !== 'missing' && state !== 'outdated') return { error: '现在不能安装或更新' };
      if (this.updateRunning() || this.playing) return { error: '请等当前的任务结束' };
      g.busy = state === 'missing' ? 'installing' : 'updating';
      g.notice = '';
      this.bridge.call('UpdateGame', P.updateGameRequest(g));
      this.onChange();
      return { ok: true };
    }

    onUpdateResult(answer) {
      const g = this.get(P.answerGameName(answer));
      if (!g) return;
      const wasInstall = g.busy === 'installing';
      if (g.busy === 'installing' || g.busy === 'updating') g.busy = null;
      const outcome = P.updateOutcome(answer, wasInstall);
      g.updateFailed = outcome.failed;
      g.notice = outcome.notice;
      this.sendCheck(g);
      this.onChange();
    }

    // Starts a current game; a game with a newer version only when the user chose to play anyway.
    play(name, account, anyway) {
      const g = this.get(name);
      if (!g) return { error: '没有这个游戏' };
      if (!this.bridge.connected) return { error: OFFLINE };
      const state = this.state(g);
      if (state === 'outdated' && !anyway) return { confirm: true };
      if (state !== 'current' && state !== 'outdated') return { error: '游戏还不能开始' };
      if (this.updateRunning() || this.playing) return { error: '请等当前的任务结束' };
      const built = P.playGameRequest(g, account);
      if (built.error) {
        g.notice = built.error;
        this.onChange();
        return { error: built.error };
      }
      g.busy = 'starting';
      g.notice = '';
      this.playing = g.name;
      this.bridge.call('PlayGame', built.request);
      this.onChange();
      return { ok: true };
    }

    // LoginGame and LogoutGame name no game: they are about the one this hall started.
    onLoginGame() {
      const g = this.playing && this.get(this.playing);
      if (g) g.busy = 'playing';
      this.onChange();
    }

    onLogoutGame() {
      const g = this.playing && this.get(this.playing);
      if (g && (g.busy === 'playing' || g.busy === 'starting')) g.busy = null;
      this.playing = null;
      this.onChange();
    }

    // What the card offers: the main action and, for a game with a newer version, playing anyway.
    actions(name) {
      const g = this.get(name);
      const state = g ? this.state(g) : 'checking';
      const free = !this.updateRunning() && !this.playing;
      const main = {
        current: { action: 'play', label: '开始游戏', enabled: free },
        outdated: { action: 'update', label: '更新', enabled: free && this.bridge.connected },
        missing: { action: 'install', label: '安装', enabled: free && this.bridge.connected },
        failed: { action: 'retry', label: '重试', enabled: true },
      }[state] || { action: 'wait', label: P.stateText(state), enabled: false };
      // After an update that did not install, the same button tries it again.
      if (g && g.updateFailed && (state === 'outdated' || state === 'missing')) main.label = '重试';
      const playAnyway = state === 'outdated' ? { enabled: free } : null;
      return { state, main, playAnyway };
    }
  }

  return { Hall, readGameList };
});
