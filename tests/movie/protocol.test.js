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
