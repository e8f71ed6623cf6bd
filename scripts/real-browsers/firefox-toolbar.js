// Talks to a running Firefox through Marionette (started with --marionette and
// marionette.port 0, so it writes MarionetteActivePort into the profile) and runs
// privileged code in the chrome context, then quits Firefox cleanly.
// Usage: node firefox-toolbar.js <profile dir> init|check
//   init:  waits until Places has finished its first-run setup (default
//          bookmarks), prints {"ready": true} and quits.
//   check: prints {"before": [toolbar nodes], "maintenance": {task: result},
//          "after": [toolbar nodes]}: the toolbar as PlacesUtils.bookmarks sees
//          it, Firefox's own database maintenance (integrity and coherence
//          fixes), and the toolbar once more; then quits.
//   A node is {title, url} or {title, children}, children in index order.
'use strict';
const fs = require('fs');
const net = require('net');
const path = require('path');

const [profile, mode] = process.argv.slice(2);

function fail(why) {
  process.stderr.write(`firefox-toolbar: ${why}\n`);
  process.exit(1);
}

async function activePort() {
  const file = path.join(profile, 'MarionetteActivePort');
  for (let i = 0; i < 600; i++) {
    try {
      const port = parseInt(fs.readFileSync(file, 'utf8'), 10);
      if (port > 0) return port;
    } catch (e) {
      // not written yet
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  fail('no MarionetteActivePort after 60 s');
}

// Marionette frames each JSON packet as "<byte length>:<json>"; commands are
// [0, id, name, params] and answers [1, id, error, result].
function connect(port) {
  return new Promise((resolve, reject) => {
    const socket = net.connect(port, '127.0.0.1');
    let buffer = Buffer.alloc(0);
    let greeted = false;
    let next = 1;
    const pending = new Map();
    const client = {
      send(name, params = {}) {
        const id = next++;
        const body = Buffer.from(JSON.stringify([0, id, name, params]), 'utf8');
        socket.write(`${body.length}:`);
        socket.write(body);
        return new Promise((ok, ko) => pending.set(id, { ok, ko, name }));
      },
      close() {
        socket.destroy();
      },
    };
    socket.on('data', (chunk) => {
      buffer = Buffer.concat([buffer, chunk]);
      for (;;) {
        const colon = buffer.indexOf(0x3a);
        if (colon < 0) return;
        const length = parseInt(buffer.subarray(0, colon).toString('ascii'), 10);
        if (buffer.length < colon + 1 + length) return;
        const packet = JSON.parse(buffer.subarray(colon + 1, colon + 1 + length).toString('utf8'));
        buffer = buffer.subarray(colon + 1 + length);
        if (!greeted) {
          greeted = true;
          resolve(client);
          continue;
        }
        const [, id, error, result] = packet;
        const waiter = pending.get(id);
        if (!waiter) continue;
        pending.delete(id);
        if (error) waiter.ko(new Error(`${waiter.name}: ${error.error}: ${error.message}`));
        else waiter.ok(result);
      }
    });
    socket.on('error', reject);
    socket.on('close', () => {
      for (const { ko, name } of pending.values()) ko(new Error(`${name}: connection closed`));
      pending.clear();
    });
  });
}

// Run in the browser's chrome context; the last argument is Marionette's
// callback for an async script.
const initScript = `
  const done = arguments[arguments.length - 1];
  const { PlacesBrowserStartup } = ChromeUtils.importESModule(
    "moz-src:///browser/components/places/PlacesBrowserStartup.sys.mjs");
  if (PlacesBrowserStartup._placesBrowserInitComplete) {
    done(JSON.stringify({ ready: true }));
  } else {
    const topic = "places-browser-init-complete";
    const observer = () => {
      Services.obs.removeObserver(observer, topic);
      done(JSON.stringify({ ready: true }));
    };
    Services.obs.addObserver(observer, topic);
  }
`;

const checkScript = `
  const done = arguments[arguments.length - 1];
  const { PlacesUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesUtils.sys.mjs");
  const { PlacesDBUtils } = ChromeUtils.importESModule("resource://gre/modules/PlacesDBUtils.sys.mjs");
  const simplify = (node) => node.uri !== undefined
    ? { title: node.title, url: node.uri }
    : { title: node.title, children: (node.children || []).map(simplify) };
  const toolbar = async () => {
    const tree = await PlacesUtils.promiseBookmarksTree(PlacesUtils.bookmarks.toolbarGuid);
    return (tree.children || []).map(simplify);
  };
  (async () => {
    const before = await toolbar();
    const tasks = await PlacesDBUtils.maintenanceOnIdle();
    const maintenance = {};
    for (const [name, result] of tasks) maintenance[name] = result;
    const after = await toolbar();
    return { before, maintenance, after };
  })().then((v) => done(JSON.stringify(v)), (e) => done(JSON.stringify({ error: String(e) })));
`;

async function main() {
  if (mode !== 'init' && mode !== 'check') fail('mode must be init or check');
  const client = await connect(await activePort());
  await client.send('WebDriver:NewSession', { capabilities: { alwaysMatch: {} } });
  await client.send('WebDriver:SetTimeouts', { script: 120000 });
  await client.send('Marionette:SetContext', { value: 'chrome' });
  const { value } = await client.send('WebDriver:ExecuteAsyncScript', {
    script: mode === 'init' ? initScript : checkScript,
    args: [],
  });
  const result = JSON.parse(value);
  if (result.error) fail(result.error);
  process.stdout.write(JSON.stringify(result) + '\n');
  // A normal quit: Places closes its database through its own shutdown path.
  await client.send('Marionette:Quit', { flags: ['eAttemptQuit'] }).catch(() => {});
  client.close();
}

main().catch((e) => fail(e.message));
