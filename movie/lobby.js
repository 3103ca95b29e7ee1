// The lobby movie's page: the log-in form, the hall, the menu and the dialogs.
// Requests and answers are built and read by LobbyProtocol; the games' states live in LobbyHall.
(function () {
  'use strict';

  const P = window.LobbyProtocol;
  const bridge = P.createBridge(window);
  const $ = (id) => document.getElementById(id);

  const session = { account: '', form: P.defaultForm(), accountTouched: false, loggedIn: false };
  const hall = new window.LobbyHall.Hall(bridge, render);
  let gamesLoaded = false;
  let pendingPlay = null; // game waiting for "play anyway"
  const pointer = { x: 400, y: 300 };

  // ---------- log-in ----------

  function fillForm(form) {
    session.form = form;
    if (!session.accountTouched) $('account').value = form.account;
    $('remember').checked = form.remember;
    const server = $('server');
    server.replaceChildren(...form.servers.map((s, i) => new Option(s.label, String(i))));
    server.value = String(form.node);
    $('net-mode').replaceChildren(...P.NET_MODES.map((m) => new Option(m.label, String(m.value))));
    $('net-mode').value = String(form.netMode);
    showAddress();
  }

  function chosen() {
    return {
      account: $('account').value.trim(),
      remember: $('remember').checked,
      node: Number($('server').value) || 0,
      netMode: Number($('net-mode').value) || 0,
    };
  }

  function showAddress() {
    const c = chosen();
    const address = P.serverAddress(session.form.servers[c.node], c.netMode);
    $('server-address').textContent = address ? `连接地址：${address}` : '连接地址：本机（演示）';
  }

  function submitLogin(event) {
    event.preventDefault();
    const c = chosen();
    if (!c.account) {
      $('login-error').textContent = '请输入账号';
      $('account').focus();
      return;
    }
    $('login-error').textContent = '';
    $('password').value = ''; // the password goes nowhere
    bridge.call('SaveServer', P.saveServerRequest(c));
    session.account = c.account;
    session.loggedIn = true;
    showHall(c);
  }

  // ---------- hall ----------

  function showHall(c) {
    $('login-screen').hidden = true;
    $('hall-screen').hidden = false;
    document.body.dataset.screen = 'hall';
    const server = session.form.servers[c.node];
    const welcome = $('welcome');
    welcome.replaceChildren('欢迎，', Object.assign(document.createElement('b'), { textContent: c.account }));
    $('info-account').textContent = c.account;
    $('info-server').textContent = server ? server.label : '';
    $('info-net').textContent = (P.NET_MODES[c.netMode] || P.NET_MODES[0]).label;
    if (gamesLoaded) hall.checkAll();
    setStatus(bridge.connected ? '正在检查游戏版本…' : '未连接到大厅程序：只能浏览，不能安装或开始游戏');
    const first = document.querySelector('.game .action:not(:disabled)') || $('refresh-button');
    first.focus();
    render();
  }

  function loadJson(url) {
    return fetch(url)
      .then((r) => {
        if (!r.ok && r.status !== 0) throw new Error(String(r.status));
        return r.json();
      })
      .catch(() => new Promise((resolve, reject) => {
        // Some engines refuse fetch() on file:// but still allow XMLHttpRequest.
        const xhr = new XMLHttpRequest();
        xhr.open('GET', url);
        xhr.onload = () => {
          try { resolve(JSON.parse(xhr.responseText)); } catch (e) { reject(e); }
        };
        xhr.onerror = () => reject(new Error('xhr'));
        xhr.send();
      }));
  }

  function loadGames() {
    return loadJson('games.json').then(
      (data) => {
        $('games-error').hidden = true;
        hall.setGames(window.LobbyHall.readGameList(data));
        gamesLoaded = true;
        if (session.loggedIn) hall.checkAll();
      },
      () => {
        $('games-error').hidden = false;
        setStatus('无法读取游戏列表');
      });
  }

  function refresh() {
    if (!session.loggedIn) {
      bridge.command('LoginServer', '');
      return;
    }
    setStatus('正在刷新…');
    loadGames().then(() => { if (gamesLoaded) setStatus('已刷新'); });
  }

  function card(game) {
    let li = document.querySelector(`.game[data-name="${CSS.escape(game.name)}"]`);
    if (li) return li;
    li = document.createElement('li');
    li.className = 'game';
    li.dataset.name = game.name;
    li.innerHTML =
      '<div class="icon" aria-hidden="true"></div>' +
      '<div class="info"><div class="title-row"><h3></h3><span class="badge"></span></div>' +
      '<p class="desc"></p><p class="notice"></p></div>' +
      '<div class="buttons"><button type="button" class="action"></button>' +
      '<button type="button" class="play-anyway">开始游戏</button></div>';
    li.querySelector('.action').addEventListener('click', () => onAction(game.name));
    li.querySelector('.play-anyway').addEventListener('click', () => onPlay(game.name));
    return li;
  }

  function drawGame(game) {
    const li = card(game);
    const a = hall.actions(game.name);
    li.dataset.state = a.state;
    if (game.color) li.style.setProperty('--game-color', game.color);
    li.querySelector('.icon').textContent = [...game.title][0] || '?';
    li.querySelector('h3').textContent = game.title;
    li.querySelector('.badge').textContent = P.stateText(a.state);
    li.querySelector('.desc').textContent = game.description;
    li.querySelector('.notice').textContent = game.notice || '';
    const action = li.querySelector('.action');
    action.textContent = a.main.label;
    action.dataset.action = a.main.action;
    action.disabled = !a.main.enabled;
    action.classList.toggle('primary', a.main.enabled && a.main.action !== 'retry');
    const anyway = li.querySelector('.play-anyway');
    anyway.hidden = !a.playAnyway;
    anyway.disabled = !(a.playAnyway && a.playAnyway.enabled);
    return li;
  }

  function render() {
    const list = $('game-list');
    const items = hall.games.map(drawGame);
    items.forEach((li, i) => { if (list.children[i] !== li) list.insertBefore(li, list.children[i] || null); });
    while (list.children.length > items.length) list.lastElementChild.remove();
    reflectState();
  }

  function onAction(name) {
    const a = hall.actions(name).main;
    if (a.action === 'retry') hall.check(name);
    else if (a.action === 'install' || a.action === 'update') report(hall.update(name), name);
    else if (a.action === 'play') onPlay(name);
  }

  function onPlay(name) {
    const r = hall.play(name, session.account, false);
    if (r.confirm) {
      pendingPlay = name;
      const g = hall.get(name);
      $('play-text').textContent = `“${g.title}”有新版本，建议先更新。仍要用当前版本开始游戏吗？`;
      openDialog('play-dialog', 'play-cancel');
      return;
    }
    report(r, name);
  }

  function report(result, name) {
    const g = hall.get(name);
    if (result.error) setStatus(result.error);
    else if (g) setStatus(`${g.title}：${P.stateText(hall.state(g))}`);
  }

  function onCheckResult(answer) {
    hall.onCheckResult(answer);
    const g = hall.get(P.answerGameName(answer));
    if (g) setStatus(`${g.title}：${P.stateText(hall.state(g))}`);
  }

  function setStatus(text) {
    $('status-bar').textContent = text;
  }

  // One line for automation: the screen, each game's state, the open dialog or menu.
  // The page title stays as it is: the host may show it.
  function reflectState() {
    const open = document.querySelector('.backdrop:not([hidden])');
    const parts = [`screen=${document.body.dataset.screen}`];
    if (session.loggedIn) for (const g of hall.games) parts.push(`${g.name}=${hall.state(g)}`);
    if (open) parts.push(`dialog=${open.id}`);
    if (!$('context-menu').hidden) parts.push('menu=open');
    const text = parts.join(' ');
    $('lobby-state').textContent = text;
  }

  // ---------- menu and dialogs ----------

  let returnFocus = null;

  function openMenu(x, y) {
    const menu = $('context-menu');
    menu.hidden = false;
    const w = menu.offsetWidth;
    const h = menu.offsetHeight;
    menu.style.left = `${Math.max(0, Math.min(x, window.innerWidth - w - 2))}px`;
    menu.style.top = `${Math.max(0, Math.min(y, window.innerHeight - h - 2))}px`;
    if (!returnFocus) returnFocus = document.activeElement;
    menu.querySelector('button').focus();
    reflectState();
  }

  function closeMenu(restore) {
    const menu = $('context-menu');
    if (menu.hidden) return;
    menu.hidden = true;
    if (restore && returnFocus && document.contains(returnFocus)) returnFocus.focus();
    returnFocus = null;
    reflectState();
  }

  // One dialog at a time: a newer question (the host's log-out) replaces an open one.
  function openDialog(id, focusId) {
    closeMenu(false);
    const open = openDialogEl();
    if (!open) returnFocus = document.activeElement;
    else if (open.id !== id) open.hidden = true;
    if (open && open.id === 'play-dialog' && id !== 'play-dialog') pendingPlay = null;
    $(id).hidden = false;
    $(focusId).focus();
    reflectState();
  }

  function closeDialog(id) {
    $(id).hidden = true;
    if (!openDialogEl() && returnFocus && document.contains(returnFocus) && !returnFocus.disabled) {
      returnFocus.focus();
    }
    if (!openDialogEl()) returnFocus = null;
    reflectState();
  }

  function openDialogEl() {
    return document.querySelector('.backdrop:not([hidden])');
  }

  function askLogout() {
    $('logout-text').textContent = session.loggedIn
      ? '确定要注销账号并退出游戏大厅吗？'
      : '确定要退出游戏大厅吗？';
    openDialog('logout-dialog', 'logout-cancel');
  }

  function confirmLogout() {
    closeDialog('logout-dialog');
    bridge.command('LogoutServer', '');
    // The host closes the window; without one, go back to the log-in form.
    session.loggedIn = false;
    $('hall-screen').hidden = true;
    $('login-screen').hidden = false;
    document.body.dataset.screen = 'login';
    $('account').focus();
    reflectState();
  }

  function showAbout() {
    closeMenu(false);
    const path = session.form.mainPath;
    $('about-version').textContent = P.versionText(session.form, bridge.connected);
    $('about-path').textContent = path ? `程序目录：${path}` : '';
    openDialog('about-dialog', 'about-close');
  }

  function menuCommand(command) {
    closeMenu(true);
    if (command === 'refresh') refresh();
    else if (command === 'about') showAbout();
  }

  // Tab stays inside an open dialog; arrows move through the menu; Escape closes either.
  function onKey(event) {
    const menu = $('context-menu');
    const dialog = openDialogEl();
    if (event.key === 'Escape') {
      if (!menu.hidden) closeMenu(true);
      else if (dialog) closeDialog(dialog.id);
      else return;
      event.preventDefault();
      return;
    }
    if (!menu.hidden && (event.key === 'ArrowDown' || event.key === 'ArrowUp' || event.key === 'Tab')) {
      const items = [...menu.querySelectorAll('button')];
      const i = items.indexOf(document.activeElement);
      const step = event.key === 'ArrowUp' || (event.key === 'Tab' && event.shiftKey) ? -1 : 1;
      items[(i + step + items.length) % items.length].focus();
      event.preventDefault();
      return;
    }
    if (dialog && event.key === 'Tab') {
      const items = [...dialog.querySelectorAll('button:not(:disabled)')];
      const i = items.indexOf(document.activeElement);
      const step = event.shiftKey ? -1 : 1;
      items[(i + step + items.length) % items.length].focus();
      event.preventDefault();
    }
  }

  // ---------- wiring ----------

  function wire() {
    $('login-form').addEventListener('submit', submitLogin);
    $('login-form').addEventListener('keydown', (e) => {
      // Enter on the check box or a list also logs in.
      if (e.key === 'Enter' && (e.target.type === 'checkbox' || e.target.tagName === 'SELECT')) {
        e.preventDefault();
        const form = $('login-form');
        if (form.requestSubmit) form.requestSubmit();
        else form.dispatchEvent(new Event('submit', { cancelable: true }));
      }
    });
    $('account').addEventListener('input', () => { session.accountTouched = true; });
    $('server').addEventListener('change', showAddress);
    $('net-mode').addEventListener('change', showAddress);

    $('refresh-button').addEventListener('click', refresh);
    $('logout-button').addEventListener('click', askLogout);
    $('games-retry').addEventListener('click', () => loadGames());
    document.querySelector('.side').addEventListener('click', (e) => {
      const link = e.target.closest('a[data-url]');
      if (!link) return;
      e.preventDefault();
      const url = P.webAddress(link.dataset.url);
      if (url) {
        bridge.command('OpenWeb', url);
        setStatus(P.openingText(url));
      }
    });

    $('context-menu').addEventListener('click', (e) => {
      const item = e.target.closest('button');
      if (item) menuCommand(item.dataset.command);
    });
    $('logout-confirm').addEventListener('click', confirmLogout);
    $('logout-cancel').addEventListener('click', () => closeDialog('logout-dialog'));
    $('about-close').addEventListener('click', () => closeDialog('about-dialog'));
    $('play-cancel').addEventListener('click', () => { pendingPlay = null; closeDialog('play-dialog'); });
    $('play-confirm').addEventListener('click', () => {
      const name = pendingPlay;
      pendingPlay = null;
      closeDialog('play-dialog');
      if (name) report(hall.play(name, session.account, true), name);
    });

    document.addEventListener('keydown', onKey);
    const track = (e) => { pointer.x = e.clientX; pointer.y = e.clientY; };
    document.addEventListener('mousemove', track, true);
    document.addEventListener('mousedown', (e) => {
      track(e);
      if (!$('context-menu').contains(e.target)) closeMenu(false);
    }, true);
    // With a host, right clicks arrive as "RightClick"; a plain browser gets the event itself.
    if (!bridge.connected) {
      document.addEventListener('contextmenu', (e) => {
        e.preventDefault();
        if (!openDialogEl()) openMenu(e.clientX, e.clientY);
      });
    }

    bridge.listen('LoginServer', (answer) => {
      const form = P.formFromLoginAnswer(answer);
      session.form.lobbyVersion = form.lobbyVersion;
      if (!session.loggedIn) fillForm(form);
      if (form.skippedUpdate) $('login-error').textContent = P.skippedUpdateText(form);
    });
    bridge.listen('CheckGameResult', onCheckResult);
    bridge.listen('UpdateGameResult', (answer) => {
      hall.onUpdateResult(answer);
      const g = hall.get(P.answerGameName(answer));
      if (g) setStatus(g.notice || `${g.title}：正在重新检查…`);
    });
    bridge.listen('LoginGame', () => { hall.onLoginGame(); setStatus('游戏已启动'); });
    bridge.listen('LogoutGame', () => { hall.onLogoutGame(); setStatus('游戏已结束'); });
    bridge.listen('LogoutServer', askLogout);
    bridge.listen('RightClick', () => { if (!openDialogEl()) openMenu(pointer.x, pointer.y); });
  }

  wire();
  fillForm(P.defaultForm());
  reflectState();
  loadGames();
  $('account').focus();
  // Callbacks are registered first: the host may answer while this call is still running.
  bridge.command('LoginServer', '');
})();
