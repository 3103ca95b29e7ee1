// The lobby movie's side of the host messages: building requests, reading answers, and the
// address conversions the host expects. No DOM here, so node can load it for the tests.
(function (root, factory) {
  if (typeof module === 'object' && module.exports) module.exports = factory();
  else root.LobbyProtocol = factory();
})(typeof self !== 'undefined' ? self : this, function () {
  'use strict';

  // Network modes: which DNS name of a server entry the client connects through.
  const NET_MODES = [
    { value: 0, label: '自动', field: 'AutoDns' },
    { value: 1, label: '电信', field: 'TelDns' },
    { value: 2, label: '联通', field: 'UniDns' },
  ];

  // Result codes of CheckGameResult, as the hall names them.
  const CHECK_STATES = ['current', 'failed', 'outdated', 'missing'];

  const STATE_TEXT = {
    checking: '正在检查…',
    current: '最新',
    failed: '检查失败',
    outdated: '有新版本',
    missing: '未安装',
    installing: '正在安装…',
    updating: '正在更新…',
    starting: '正在启动…',
    playing: '游戏中…',
  };

  function toInt(value, fallback) {
    const n = typeof value === 'number' ? value : parseInt(String(value ?? ''), 10);
    return Number.isFinite(n) ? Math.trunc(n) : fallback;
  }

  // Arrays may arrive as arrays or, from a lenient decoder, as objects keyed "0", "1", ...
  function toList(value) {
    if (Array.isArray(value)) return value;
    if (value && typeof value === 'object') {
      return Object.keys(value)
        .filter((k) => /^\d+$/.test(k))
        .sort((a, b) => a - b)
        .map((k) => value[k]);
    }
    return [];
  }

  // The host reads the address as the four bytes of one integer, lowest byte first:
  // 127.0.0.1 -> 0x0100007F. Multiplication keeps the value unsigned for high first octets.
  function ipToNumber(text) {
    const parts = String(text ?? '').trim().split('.');
    if (parts.length !== 4) return null;
    let value = 0;
    for (let i = 3; i >= 0; i--) {
      if (!/^\d{1,3}$/.test(parts[i])) return null;
      const octet = Number(parts[i]);
      if (octet > 255) return null;
      value = value * 256 + octet;
    }
    return value;
  }

  // The host swaps the two bytes of the port back (network to host order).
  function portToNumber(port) {
    const p = toInt(port, NaN);
    if (!Number.isInteger(p) || p < 1 || p > 65535) return null;
    return ((p & 0xff) << 8) | (p >> 8);
  }

  function stateFromResult(result) {
    const n = toInt(result, -1);
    return CHECK_STATES[n] || 'failed';
  }

  function stateText(state) {
    return STATE_TEXT[state] || state;
  }

  function clampIndex(value, length) {
    const n = toInt(value, 0);
    return n >= 0 && n < length ? n : 0;
  }

  function readServer(item, index) {
    const s = item && typeof item === 'object' ? item : {};
    const entry = {
      autoDns: String(s.AutoDns ?? ''),
      telDns: String(s.TelDns ?? ''),
      uniDns: String(s.UniDns ?? ''),
      port: toInt(s.Port, 0),
    };
    const host = entry.autoDns || entry.telDns || entry.uniDns;
    entry.label = host || `服务器 ${index + 1}`;
    return entry;
  }

  // Form model before (or without) the host's answer.
  function defaultForm() {
    return {
      account: '',
      remember: false,
      servers: [{ autoDns: '', telDns: '', uniDns: '', port: 0, label: '本地演示服务器' }],
      node: 0,
      netMode: 0,
      mainPath: '',
      userTag: [],
      lobbyVersion: '',
      skippedUpdate: null,
    };
  }

  // The "LoginServer" answer filling the log-in form.
  function formFromLoginAnswer(answer) {
    const a = answer && typeof answer === 'object' ? answer : {};
    const form = defaultForm();
    const servers = toList(a.LoginServer).map(readServer);
    if (servers.length) form.servers = servers;
    form.remember = toInt(a.SaveAccount, 0) !== 0;
    form.account = form.remember ? String(a.UserName ?? '') : '';
    form.node = clampIndex(a.LoginNode, form.servers.length);
    form.netMode = clampIndex(a.NetMode, NET_MODES.length);
    form.mainPath = String(a.MainPath ?? '');
    form.userTag = toList(a.UserTag).map((b) => toInt(b, 0) & 0xff);
    form.lobbyVersion = String(a.LobbyVersion ?? '');
    const skipped = a.SkippedUpdate && typeof a.SkippedUpdate === 'object' ? a.SkippedUpdate : null;
    if (skipped) form.skippedUpdate = { version: String(skipped.Version ?? ''), outcome: String(skipped.Outcome ?? '') };
    return form;
  }

  // What a failed check says to the player, by the host's reason (older hosts send none).
  const CHECK_NOTICES = {
    unreachable: '无法连接更新服务器',
    noRelease: '服务器上没有这个游戏的版本',
    queueFull: '检查请求太多，请稍后重试',
  };
  const CHECK_FAILED = '无法连接更新服务器，或服务器上没有这个游戏';

  // The notice for a "CheckGameResult": empty unless its Result is 1.
  function checkNotice(answer) {
    const a = answer && typeof answer === 'object' ? answer : {};
    const r = toInt(a.Result, 1);
    if (r === 0 || r === 2 || r === 3) return '';
    return CHECK_NOTICES[a.Reason] || CHECK_FAILED;
  }

  function isCheckNotice(text) {
    return text === CHECK_FAILED || Object.values(CHECK_NOTICES).includes(text);
  }

  // How an "UpdateGameResult" ended, from its Outcome (and Reason when nothing ran):
  // { failed, notice }. An older host sends no Outcome: Result 1 then means nothing started.
  function updateOutcome(answer, wasInstall) {
    const a = answer && typeof answer === 'object' ? answer : {};
    const what = wasInstall ? '安装' : '更新';
    switch (a.Outcome) {
      case 'installed': return { failed: false, notice: '' };
      case 'nothingToDo': return { failed: false, notice: '已是最新版本' };
      case 'failed': return { failed: true, notice: `${what}失败` };
      case 'refused': return { failed: true, notice: `${what}失败：更新包未通过校验` };
      case 'notRun':
        if (a.Reason === 'unreachable') return { failed: true, notice: '无法连接更新服务器' };
        if (a.Reason === 'noRelease') return { failed: true, notice: '服务器上没有可安装的版本' };
        return { failed: true, notice: `${what}失败：无法启动更新程序` };
      default:
        break;
    }
    if (toInt(a.Result, 0) !== 1) return { failed: false, notice: '' };
    return { failed: false, notice: wasInstall ? '未能开始安装：服务器上没有可安装的版本' : '未能开始更新：没有可用的新版本' };
  }

  // The host name the chosen network mode connects through; the automatic name when the
  // carrier's own name is empty.
  function serverAddress(server, netMode) {
    if (!server) return '';
    const mode = NET_MODES[netMode] || NET_MODES[0];
    const byMode = { AutoDns: server.autoDns, TelDns: server.telDns, UniDns: server.uniDns };
    const host = byMode[mode.field] || server.autoDns || server.telDns || server.uniDns;
    if (!host) return '';
    return server.port ? `${host}:${server.port}` : host;
  }

  // The user name is only handed to the host for remembering when the user asked for it.
  function saveServerRequest(login) {
    const remember = !!login.remember;
    return {
      UserName: remember ? String(login.account ?? '') : '',
      SaveAccount: remember ? 1 : 0,
      NetMode: toInt(login.netMode, 0),
      LoginNode: toInt(login.node, 0),
    };
  }

  // GameParam of CheckGame/UpdateGame is the game's name: the host hands it back unchanged,
  // so answers are matched to games by it.
  function checkGameRequest(game) {
    return { GameName: game.name, GameParam: game.name };
  }

  function updateGameRequest(game) {
    return { GameName: game.name, GameParam: game.name };
  }

  // Start values of a games.json entry turned into the PlayGame request.
  // Answers { request } or { error } (a Chinese message for the hall).
  function playGameRequest(game, account) {
    const start = (game && game.start) || {};
    const ip = ipToNumber(start.ip);
    if (ip === null) return { error: `游戏服务器地址无效：${start.ip ?? '(空)'}` };
    const port = portToNumber(start.port);
    if (port === null) return { error: `游戏服务器端口无效：${start.port ?? '(空)'}` };
    const text = (v) => (v === undefined || v === null ? '' : String(v));
    return {
      request: {
        GameName: game.name,
        GameParam: {
          GameIp: ip,
          GamePort: port,
          GameUid: text(account),
          GameKey: text(start.key),
          GameMode: text(start.mode),
          GameChannel: text(start.channel),
          GameModex: text(start.modex),
        },
      },
    };
  }

  // Only web pages go to the user's browser.
  function webAddress(url) {
    const text = String(url ?? '').trim();
    return /^https?:\/\/[^\s/]+/i.test(text) ? text : null;
  }

  // The status line after "OpenWeb": the host hands the address to the system, and whether a
  // browser comes up is not known here.
  function openingText(url) {
    return `正在打开浏览器：${url}`;
  }

  // The program's version for "关于", from "LoginServer"'s LobbyVersion.
  function versionText(form, connected) {
    const version = form && form.lobbyVersion;
    if (version) return `程序版本：${version}`;
    return connected ? '程序版本：未知' : '程序版本：未连接到大厅程序';
  }

  // A self-update of the lobby that did not install, told at log-in; empty when there was none.
  function skippedUpdateText(form) {
    const s = form && form.skippedUpdate;
    if (!s) return '';
    const why = s.outcome === 'refused' ? '更新包未通过校验' : '更新失败';
    return `大厅更新到 ${s.version} 没有完成（${why}），本次使用当前版本`;
  }

  // The answer's GameParam names the game; GameName is the fallback.
  function answerGameName(answer) {
    const a = answer && typeof answer === 'object' ? answer : {};
    if (typeof a.GameParam === 'string' && a.GameParam) return a.GameParam;
    return String(a.GameName ?? '');
  }

  // The bridge the host injects, or a silent one when the page runs without a host.
  function createBridge(root) {
    const ei = root && root.ExternalInterface;
    const connected = !!(ei && typeof ei.call === 'function');
    return {
      connected,
      call(name, arg) {
        if (connected) ei.call(name, arg);
      },
      command(name, args) {
        if (root && typeof root.fscommand === 'function') root.fscommand(name, args == null ? '' : String(args));
      },
      listen(name, fn) {
        if (ei && typeof ei.addCallback === 'function') ei.addCallback(name, fn);
      },
    };
  }

  return {
    NET_MODES,
    ipToNumber,
    portToNumber,
    stateFromResult,
    stateText,
    defaultForm,
    formFromLoginAnswer,
    serverAddress,
    saveServerRequest,
    checkGameRequest,
    updateGameRequest,
    playGameRequest,
    webAddress,
    answerGameName,
    openingText,
    versionText,
    skippedUpdateText,
    checkNotice,
    isCheckNotice,
    updateOutcome,
    createBridge,
  };
});
