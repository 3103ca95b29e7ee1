'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const P = require('../../movie/protocol.js');

// How the host turns the numbers back: bytes of the address lowest first, port bytes swapped.
const hostIp = (n) => [0, 8, 16, 24].map((s) => Math.floor(n / 2 ** s) % 256).join('.');
const hostPort = (n) => ((n & 0xff) << 8) | ((n >> 8) & 0xff);

test('addresses and ports reach the host as it reads them', async (t) => {
  await t.test('known values', () => {
    assert.equal(P.ipToNumber('127.0.0.1'), 16777343);
    assert.equal(P.portToNumber(8080), 36895);
  });
  await t.test('round trips, including a first octet above 127 and a last one above 127', () => {
    for (const ip of ['127.0.0.1', '10.1.2.3', '192.168.1.200', '255.255.255.255', '0.0.0.0']) {
      const n = P.ipToNumber(ip);
      assert.ok(n >= 0 && n <= 0xffffffff && Number.isInteger(n), ip);
      assert.equal(hostIp(n), ip);
    }
    for (const port of [1, 80, 255, 256, 8080, 65535]) assert.equal(hostPort(P.portToNumber(port)), port);
  });
  await t.test('bad input is refused, not guessed', () => {
    for (const ip of ['', '1.2.3', '1.2.3.4.5', '256.0.0.1', '1.2.3.x', '-1.2.3.4', undefined]) {
      assert.equal(P.ipToNumber(ip), null, String(ip));
    }
    for (const port of [0, -5, 65536, 'abc', undefined]) assert.equal(P.portToNumber(port), null, String(port));
  });
});

test('check results map to the hall states', () => {
  assert.deepEqual([0, 1, 2, 3].map(P.stateFromResult), ['current', 'failed', 'outdated', 'missing']);
  assert.equal(P.stateFromResult('2'), 'outdated');
  assert.equal(P.stateFromResult(9), 'failed');
  assert.equal(P.stateFromResult(undefined), 'failed');
  assert.deepEqual([0, 1, 2, 3].map((r) => P.stateText(P.stateFromResult(r))), ['最新', '检查失败', '有新版本', '未安装']);
});

const answer = {
  MainPath: '/opt/q',
  UserName: '玩家',
  ProxyId: 0,
  LoginMode: 0,
  NetMode: 2,
  LoginNode: 1,
  SaveAccount: 1,
  LoginServer: [
    { AutoDns: 'a1.example', TelDns: 't1.example', UniDns: 'u1.example', Port: 8000 },
    { AutoDns: 'a2.example', TelDns: 't2.example', UniDns: '', Port: 8001 },
  ],
  UserTag: [1, 2, 3, 4, 5, 255],
};

test('the LoginServer answer fills the log-in form', async (t) => {
  await t.test('remembered account, servers, node and network mode', () => {
    const form = P.formFromLoginAnswer(answer);
    assert.equal(form.account, '玩家');
    assert.equal(form.remember, true);
    assert.deepEqual(form.servers.map((s) => s.label), ['a1.example', 'a2.example']);
    assert.equal(form.servers[0].port, 8000);
    assert.equal(form.node, 1);
    assert.equal(form.netMode, 2);
    assert.equal(form.mainPath, '/opt/q');
    assert.deepEqual(form.userTag, [1, 2, 3, 4, 5, 255]);
  });
  await t.test('an account that was not to be remembered stays out of the form', () => {
    const form = P.formFromLoginAnswer({ ...answer, SaveAccount: 0 });
    assert.equal(form.account, '');
    assert.equal(form.remember, false);
  });
  await t.test('out-of-range choices and an empty server list fall back to usable defaults', () => {
    const form = P.formFromLoginAnswer({ ...answer, LoginServer: [], LoginNode: 5, NetMode: 7 });
    assert.equal(form.servers.length, 1);
    assert.equal(form.node, 0);
    assert.equal(form.netMode, 0);
    assert.deepEqual(P.formFromLoginAnswer(null).servers, P.defaultForm().servers);
    const unnamed = P.formFromLoginAnswer({ ...answer, LoginServer: [{ Port: 1 }, { UniDns: 'u.example' }] });
    assert.deepEqual(unnamed.servers.map((s) => s.label), ['服务器 1', 'u.example']);
  });
  await t.test('a server list decoded as an object keyed by index still reads in order', () => {
    const keyed = { 1: answer.LoginServer[1], 0: answer.LoginServer[0] };
    const form = P.formFromLoginAnswer({ ...answer, LoginServer: keyed });
    assert.deepEqual(form.servers.map((s) => s.autoDns), ['a1.example', 'a2.example']);
  });
  await t.test('the network mode picks the DNS name, falling back to the automatic one', () => {
    const form = P.formFromLoginAnswer(answer);
    assert.equal(P.serverAddress(form.servers[0], 1), 't1.example:8000');
    assert.equal(P.serverAddress(form.servers[0], 2), 'u1.example:8000');
    assert.equal(P.serverAddress(form.servers[1], 2), 'a2.example:8001');
  });
});

test('SaveServer carries the four fields, and the name only when it is to be remembered', () => {
  assert.deepEqual(P.saveServerRequest({ account: 'bob', remember: true, netMode: 1, node: 2 }),
    { UserName: 'bob', SaveAccount: 1, NetMode: 1, LoginNode: 2 });
  assert.deepEqual(P.saveServerRequest({ account: 'bob', remember: false, netMode: '2', node: 0 }),
    { UserName: '', SaveAccount: 0, NetMode: 2, LoginNode: 0 });
});

test('PlayGame carries the converted start values as strings and numbers', async (t) => {
  const game = {
    name: 'DemoGame',
    start: { ip: '127.0.0.1', port: 8080, key: 'k1', mode: 1, channel: '100', modex: '0' },
  };
  await t.test('a complete entry', () => {
    assert.deepEqual(P.playGameRequest(game, 'bob'), {
      request: {
        GameName: 'DemoGame',
        GameParam: {
          GameIp: 16777343, GamePort: 36895, GameUid: 'bob', GameKey: 'k1',
          GameMode: '1', GameChannel: '100', GameModex: '0',
        },
      },
    });
  });
  await t.test('missing texts are empty, a bad address is an error', () => {
    const bare = P.playGameRequest({ name: 'G', start: { ip: '10.0.0.1', port: 1 } }, 'u');
    assert.equal(bare.request.GameParam.GameKey, '');
    assert.equal(bare.request.GameParam.GameModex, '');
    assert.match(P.playGameRequest({ name: 'G', start: { ip: 'localhost', port: 1 } }, 'u').error, /地址/);
    assert.match(P.playGameRequest({ name: 'G', start: { ip: '1.2.3.4', port: 0 } }, 'u').error, /端口/);
  });
});

test('CheckGame and UpdateGame name the game in GameParam, and answers are matched by it', () => {
  const game = { name: 'DemoGame' };
  assert.deepEqual(P.checkGameRequest(game), { GameName: 'DemoGame', GameParam: 'DemoGame' });
  assert.deepEqual(P.updateGameRequest(game), { GameName: 'DemoGame', GameParam: 'DemoGame' });
  assert.equal(P.answerGameName({ GameName: 'x', GameParam: 'DemoGame' }), 'DemoGame');
  assert.equal(P.answerGameName({ GameName: 'DemoGame', GameParam: '' }), 'DemoGame');
});

test('only web pages are opened in the browser', () => {
  assert.equal(P.webAddress(' https://example.com/a '), 'https://example.com/a');
  assert.equal(P.webAddress('http://example.com'), 'http://example.com');
  for (const bad of ['javascript:alert(1)', 'file:///etc/passwd', 'example.com', 'https://', '']) {
    assert.equal(P.webAddress(bad), null, bad);
  }
});

test('the bridge routes to the host calls, and is silent without a host', () => {
  const seen = [];
  const root = {
    ExternalInterface: {
      call: (...a) => seen.push(['call', ...a]),
      addCallback: (name) => seen.push(['listen', name]),
    },
    fscommand: (...a) => seen.push(['fs', ...a]),
  };
  const b = P.createBridge(root);
  assert.equal(b.connected, true);
  b.call('SaveServer', { UserName: 'x' });
  b.command('LoginServer');
  b.listen('RightClick', () => {});
  assert.deepEqual(seen, [['call', 'SaveServer', { UserName: 'x' }], ['fs', 'LoginServer', ''], ['listen', 'RightClick']]);

  const none = P.createBridge({});
  assert.equal(none.connected, false);
  none.call('CheckGame', {});
  none.command('OpenWeb', 'https://example.com');
  none.listen('LoginServer', () => {});
});

test('honest answers', async (t) => {
  await t.test('the lobby version and a skipped self-update come from LoginServer', () => {
    const form = P.formFromLoginAnswer({ ...answer, LobbyVersion: '1.0.12' });
    assert.equal(form.lobbyVersion, '1.0.12');
    assert.equal(P.versionText(form, true), '程序版本：1.0.12');
    assert.equal(P.versionText(P.formFromLoginAnswer(answer), true), '程序版本：未知');
    assert.equal(P.versionText(P.defaultForm(), false), '程序版本：未连接到大厅程序');
    assert.equal(P.skippedUpdateText(form), '');
    const skipped = P.formFromLoginAnswer({ ...answer, SkippedUpdate: { Version: '1.0.13', Result: 3, Outcome: 'refused' } });
    assert.deepEqual(skipped.skippedUpdate, { version: '1.0.13', outcome: 'refused' });
    assert.equal(P.skippedUpdateText(skipped), '大厅更新到 1.0.13 没有完成（更新包未通过校验），本次使用当前版本');
  });
  await t.test('a failed check says why', () => {
    assert.equal(P.checkNotice({ Result: 1, Reason: 'unreachable' }), '无法连接更新服务器');
    assert.equal(P.checkNotice({ Result: 1, Reason: 'noRelease' }), '服务器上没有这个游戏的版本');
    assert.equal(P.checkNotice({ Result: 1, Reason: 'queueFull' }), '检查请求太多，请稍后重试');
    assert.equal(P.checkNotice({ Result: 1 }), '无法连接更新服务器，或服务器上没有这个游戏');  // an older host
    assert.equal(P.checkNotice({ Result: 7 }), '无法连接更新服务器，或服务器上没有这个游戏');
    for (const r of [0, 2, 3]) assert.equal(P.checkNotice({ Result: r, Reason: 'unreachable' }), '');
    assert.ok(P.isCheckNotice('无法连接更新服务器'));
    assert.ok(!P.isCheckNotice('更新失败'));
  });
  await t.test('an update says how it ended', () => {
    const o = (answer, install = false) => P.updateOutcome(answer, install);
    assert.deepEqual(o({ Result: 0, Outcome: 'installed' }), { failed: false, notice: '' });
    assert.deepEqual(o({ Result: 0, Outcome: 'failed' }), { failed: true, notice: '更新失败' });
    assert.deepEqual(o({ Result: 0, Outcome: 'failed' }, true), { failed: true, notice: '安装失败' });
    assert.deepEqual(o({ Result: 0, Outcome: 'refused' }), { failed: true, notice: '更新失败：更新包未通过校验' });
    assert.deepEqual(o({ Result: 1, Outcome: 'notRun', Reason: 'unreachable' }), { failed: true, notice: '无法连接更新服务器' });
    assert.deepEqual(o({ Result: 1, Outcome: 'notRun', Reason: 'noRelease' }, true), { failed: true, notice: '服务器上没有可安装的版本' });
    assert.deepEqual(o({ Result: 1, Outcome: 'notRun' }), { failed: true, notice: '更新失败：无法启动更新程序' });
    assert.deepEqual(o({ Result: 1, Outcome: 'nothingToDo' }), { failed: false, notice: '已是最新版本' });
    // An older host sends no Outcome: Result alone, as before.
    assert.deepEqual(o({ Result: 0 }), { failed: false, notice: '' });
    assert.deepEqual(o({ Result: 1 }, true), { failed: false, notice: '未能开始安装：服务器上没有可安装的版本' });
  });
  await t.test('opening a page does not claim the browser opened', () => {
    assert.equal(P.openingText('https://example.com/'), '正在打开浏览器：https://example.com/');
  });
});
