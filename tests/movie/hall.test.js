'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const P = require('../../movie/protocol.js');
const { Hall, readGameList } = require('../../movie/hall.js');

const shipped = JSON.parse(fs.readFileSync(path.join(__dirname, '../../movie/games.json'), 'utf8'));

// Records what the hall asks of the host; answers are given by the test.
function fakeBridge(connected = true) {
  const sent = [];
  return { connected, sent, call: (name, arg) => sent.push([name, arg]), command() {}, listen() {} };
}

function hallWith(results) {
  const bridge = fakeBridge();
  let changes = 0;
  const hall = new Hall(bridge, () => { changes += 1; });
  hall.setGames(readGameList(shipped));
  hall.checkAll();
  for (const [, req] of bridge.sent.splice(0)) {
    hall.onCheckResult({ GameName: req.GameName, Result: results[req.GameName], GameParam: req.GameParam });
  }
  return { hall, bridge, changes: () => changes };
}

const stateOf = (hall, name) => hall.state(hall.get(name));

test('the shipped games.json has the demo game and one more, each startable', () => {
  const games = readGameList(shipped);
  assert.ok(games.length >= 2);
  assert.equal(games[0].name, 'DemoGame');
  for (const g of games) assert.ok(P.playGameRequest(g, 'u').request, g.name);
});

test('game list entries need a usable directory name, once each', () => {
  const games = readGameList({ games: [
    { name: 'A', title: '甲' }, { name: '../x' }, { name: '' }, { title: 'no name' }, { name: 'A' }, null, { name: 'B' },
  ] });
  assert.deepEqual(games.map((g) => g.name), ['A', 'B']);
  assert.equal(games[1].title, 'B');
  assert.deepEqual(readGameList([{ name: 'C' }]).map((g) => g.name), ['C']);
  assert.deepEqual(readGameList('garbage'), []);
});

// The same inputs as the host's own test of its plain-name rule: the list keeps exactly the
// names the host would list and start.
test('game list keeps every name the host takes, Chinese and spaces included, and no other', () => {
  const good = ['G', '象棋 2', 'Sky Farm', '星际象棋', 'a.b', '...', 'x'.repeat(255)];
  const bad = ['', '.', '..', '../G', 'a/b', 'a\\b', '/bin', 'a\nb', 'a\u0000b', 'tab\t', 'del\u007f', 'x'.repeat(256)];
  const names = readGameList([...good, ...bad].map((name) => ({ name }))).map((g) => g.name);
  assert.deepEqual(names, good);
});

test('checking', async (t) => {
  await t.test('every game is checked and shows its answer', () => {
    const bridge = fakeBridge();
    const hall = new Hall(bridge);
    hall.setGames(readGameList(shipped));
    hall.checkAll();
    assert.deepEqual(bridge.sent.map(([n, a]) => [n, a.GameName]), [['CheckGame', 'DemoGame'], ['CheckGame', 'StarChess']]);
    assert.equal(stateOf(hall, 'DemoGame'), 'checking');
    assert.equal(hall.actions('DemoGame').main.enabled, false);
    hall.onCheckResult({ GameName: 'DemoGame', Result: 2, GameParam: 'DemoGame' });
    hall.onCheckResult({ GameName: 'StarChess', Result: 1, GameParam: 'StarChess' });
    assert.equal(stateOf(hall, 'DemoGame'), 'outdated');
    assert.equal(stateOf(hall, 'StarChess'), 'failed');
  });
  await t.test('a failed check tells an unreachable server from a missing game', () => {
    const { hall } = hallWith({});
    hall.onCheckResult({ GameName: 'DemoGame', Result: 1, GameParam: 'DemoGame', Reason: 'unreachable' });
    hall.onCheckResult({ GameName: 'StarChess', Result: 1, GameParam: 'StarChess', Reason: 'noRelease' });
    assert.equal(hall.get('DemoGame').notice, '无法连接更新服务器');
    assert.equal(hall.get('StarChess').notice, '服务器上没有这个游戏的版本');
    hall.check('DemoGame');
    hall.onCheckResult({ GameName: 'DemoGame', Result: 0, GameParam: 'DemoGame' });
    assert.equal(hall.get('DemoGame').notice, '');
  });
  await t.test('a failed check offers a retry that checks again', () => {
    const { hall, bridge } = hallWith({ DemoGame: 1, StarChess: 3 });
    assert.equal(hall.actions('DemoGame').main.action, 'retry');
    hall.check('DemoGame');
    assert.deepEqual(bridge.sent, [['CheckGame', { GameName: 'DemoGame', GameParam: 'DemoGame' }]]);
    assert.equal(stateOf(hall, 'DemoGame'), 'checking');
  });
  await t.test('without a host nothing is sent and games show the failed check', () => {
    const bridge = fakeBridge(false);
    const hall = new Hall(bridge);
    hall.setGames(readGameList(shipped));
    hall.checkAll();
    assert.deepEqual(bridge.sent, []);
    assert.equal(stateOf(hall, 'DemoGame'), 'failed');
    assert.ok(hall.update('StarChess').error);
  });
});

test('installing and updating', async (t) => {
  await t.test('install waits for the updater, then checks again', () => {
    const { hall, bridge } = hallWith({ DemoGame: 3, StarChess: 3 });
    assert.equal(hall.actions('DemoGame').main.action, 'install');
    assert.deepEqual(hall.update('DemoGame'), { ok: true });
    assert.deepEqual(bridge.sent.pop(), ['UpdateGame', { GameName: 'DemoGame', GameParam: 'DemoGame' }]);
    assert.equal(stateOf(hall, 'DemoGame'), 'installing');
    hall.onUpdateResult({ GameName: 'DemoGame', Result: 0, GameParam: 'DemoGame' });
    assert.deepEqual(bridge.sent.pop(), ['CheckGame', { GameName: 'DemoGame', GameParam: 'DemoGame' }]);
    assert.equal(stateOf(hall, 'DemoGame'), 'checking');
    hall.onCheckResult({ GameName: 'DemoGame', Result: 0, GameParam: 'DemoGame' });
    assert.equal(hall.actions('DemoGame').main.action, 'play');
  });
  await t.test('one update at a time: the other buttons are off and a second request is not sent', () => {
    const { hall, bridge } = hallWith({ DemoGame: 2, StarChess: 3 });
    assert.equal(hall.actions('DemoGame').main.action, 'update');
    hall.update('DemoGame');
    assert.equal(stateOf(hall, 'DemoGame'), 'updating');
    assert.equal(hall.actions('StarChess').main.enabled, false);
    assert.ok(hall.update('StarChess').error);
    assert.equal(bridge.sent.filter(([n]) => n === 'UpdateGame').length, 1);
  });
  await t.test('an update that was not started says so and checks again', () => {
    const { hall, bridge } = hallWith({ DemoGame: 0, StarChess: 3 });
    hall.update('StarChess');
    hall.onUpdateResult({ GameName: 'StarChess', Result: 1, GameParam: 'StarChess' });
    assert.match(hall.get('StarChess').notice, /未能开始安装/);
    assert.equal(bridge.sent.pop()[0], 'CheckGame');
    assert.equal(hall.actions('DemoGame').main.enabled, true);
  });
  await t.test('an update that did not install says so and offers a retry', () => {
    const { hall, bridge } = hallWith({ DemoGame: 2, StarChess: 3 });
    hall.update('DemoGame');
    hall.onUpdateResult({ GameName: 'DemoGame', Result: 0, GameParam: 'DemoGame', Outcome: 'failed' });
    assert.equal(hall.get('DemoGame').notice, '更新失败');
    assert.deepEqual(bridge.sent.pop(), ['CheckGame', { GameName: 'DemoGame', GameParam: 'DemoGame' }]);
    hall.onCheckResult({ GameName: 'DemoGame', Result: 2, GameParam: 'DemoGame' });
    assert.equal(hall.get('DemoGame').notice, '更新失败');
    assert.deepEqual(hall.actions('DemoGame').main, { action: 'update', label: '重试', enabled: true });
    hall.update('DemoGame');
    assert.equal(bridge.sent.pop()[0], 'UpdateGame');
    hall.onUpdateResult({ GameName: 'DemoGame', Result: 0, GameParam: 'DemoGame', Outcome: 'installed' });
    hall.onCheckResult({ GameName: 'DemoGame', Result: 0, GameParam: 'DemoGame' });
    assert.equal(hall.get('DemoGame').notice, '');
    assert.equal(hall.actions('DemoGame').main.label, '开始游戏');
  });
  await t.test('an install the server could not be reached for says so', () => {
    const { hall } = hallWith({ DemoGame: 0, StarChess: 3 });
    hall.update('StarChess');
    hall.onUpdateResult({ GameName: 'StarChess', Result: 1, GameParam: 'StarChess', Outcome: 'notRun', Reason: 'unreachable' });
    assert.equal(hall.get('StarChess').notice, '无法连接更新服务器');
    hall.onCheckResult({ GameName: 'StarChess', Result: 3, GameParam: 'StarChess' });
    assert.deepEqual(hall.actions('StarChess').main, { action: 'install', label: '重试', enabled: true });
  });
  await t.test('a current game is not updated', () => {
    const { hall, bridge } = hallWith({ DemoGame: 0, StarChess: 3 });
    assert.ok(hall.update('DemoGame').error);
    assert.deepEqual(bridge.sent, []);
  });
});

test('playing', async (t) => {
  await t.test('a current game starts, runs and comes back', () => {
    const { hall, bridge } = hallWith({ DemoGame: 0, StarChess: 3 });
    assert.deepEqual(hall.play('DemoGame', 'bob'), { ok: true });
    const [name, req] = bridge.sent.pop();
    assert.equal(name, 'PlayGame');
    assert.deepEqual(req, P.playGameRequest(hall.get('DemoGame'), 'bob').request);
    assert.equal(stateOf(hall, 'DemoGame'), 'starting');
    hall.onLoginGame(1);
    assert.equal(stateOf(hall, 'DemoGame'), 'playing');
    assert.equal(hall.actions('StarChess').main.enabled, false);
    assert.ok(hall.play('DemoGame', 'bob').error);
    hall.onLogoutGame(1);
    assert.equal(stateOf(hall, 'DemoGame'), 'current');
    assert.equal(hall.actions('DemoGame').main.enabled, true);
    assert.equal(bridge.sent.length, 0);
  });
  await t.test('a game with a newer version starts only when the user chose to', () => {
    const { hall, bridge } = hallWith({ DemoGame: 2, StarChess: 3 });
    assert.deepEqual(hall.actions('DemoGame').playAnyway, { enabled: true });
    assert.deepEqual(hall.play('DemoGame', 'bob'), { confirm: true });
    assert.deepEqual(bridge.sent, []);
    assert.deepEqual(hall.play('DemoGame', 'bob', true), { ok: true });
    assert.equal(bridge.sent.pop()[0], 'PlayGame');
  });
  await t.test('games that are not installed or failed their check do not start', () => {
    const { hall, bridge } = hallWith({ DemoGame: 1, StarChess: 3 });
    assert.ok(hall.play('DemoGame', 'bob', true).error);
    assert.ok(hall.play('StarChess', 'bob', true).error);
    assert.deepEqual(bridge.sent, []);
  });
});

test('a reloaded game list keeps what is going on with each game', () => {
  const { hall } = hallWith({ DemoGame: 3, StarChess: 3 });
  hall.update('DemoGame');
  hall.setGames(readGameList(shipped));
  assert.equal(stateOf(hall, 'DemoGame'), 'installing');
  assert.equal(stateOf(hall, 'StarChess'), 'missing');
});

test('answers given while the request is still being sent are not lost', () => {
  // The host may answer from inside the call that asked.
  let hall;
  const bridge = fakeBridge();
  bridge.call = (name, arg) => {
    bridge.sent.push([name, arg]);
    if (name === 'CheckGame') hall.onCheckResult({ GameName: arg.GameName, Result: 3, GameParam: arg.GameParam });
    if (name === 'UpdateGame') hall.onUpdateResult({ GameName: arg.GameName, Result: 1, GameParam: arg.GameParam });
    if (name === 'PlayGame') hall.onLoginGame(1);
  };
  hall = new Hall(bridge);
  hall.setGames(readGameList(shipped));
  hall.checkAll();
  assert.equal(stateOf(hall, 'DemoGame'), 'missing');
  hall.update('DemoGame');
  assert.equal(stateOf(hall, 'DemoGame'), 'missing');
  assert.equal(hall.actions('StarChess').main.enabled, true);
  hall.get('DemoGame').result = 0;
  hall.play('DemoGame', 'bob');
  assert.equal(stateOf(hall, 'DemoGame'), 'playing');
});
