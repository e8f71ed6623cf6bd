// Reads the bookmark bar from a running Chromium through the DevTools protocol:
// opens chrome://bookmarks and asks chrome.bookmarks.getTree() there, so the
// answer is the browser's own bookmark model, not the file on disk.
// Usage: node chromium-bar.js <user-data dir> [--touch] [--close]
//   prints {"bar": [nodes]} where a node is {title, url} or {title, children};
//   with --touch it then adds and removes a bookmark under "Other bookmarks", so
//   that Chromium saves its whole model to the Bookmarks file again;
//   with --close it then ends the browser through Browser.close (a clean exit).
'use strict';
const fs = require('fs');
const path = require('path');
const WebSocket = require('ws');

const [dir, ...flags] = process.argv.slice(2);
const close = flags.includes('--close');
const touch = flags.includes('--touch');

function fail(why) {
  process.stderr.write(`chromium-bar: ${why}\n`);
  process.exit(1);
}

// Chromium writes the port it chose (for --remote-debugging-port=0) and the
// browser endpoint's path into DevToolsActivePort once it listens.
async function endpoint() {
  const file = path.join(dir, 'DevToolsActivePort');
  for (let i = 0; i < 300; i++) {
    try {
      const [port, wsPath] = fs.readFileSync(file, 'utf8').split('\n');
      if (port && wsPath) return `ws://127.0.0.1:${port.trim()}${wsPath.trim()}`;
    } catch (e) {
      // not written yet
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  fail('no DevToolsActivePort after 30 s');
}

function connect(url) {
  return new Promise((resolve, reject) => {
    const ws = new WebSocket(url, { perMessageDeflate: false });
    let next = 1;
    const pending = new Map();
    const waiters = [];
    ws.on('message', (data) => {
      const msg = JSON.parse(data);
      if (msg.id && pending.has(msg.id)) {
        const { ok, ko } = pending.get(msg.id);
        pending.delete(msg.id);
        if (msg.error) ko(new Error(`${msg.error.message} (${msg.error.code})`));
        else ok(msg.result);
      } else if (msg.method) {
        for (const w of waiters.slice()) w(msg);
      }
    });
    ws.on('open', () =>
      resolve({
        send(method, params = {}, sessionId) {
          const id = next++;
          const body = { id, method, params };
          if (sessionId) body.sessionId = sessionId;
          ws.send(JSON.stringify(body));
          return new Promise((ok, ko) => pending.set(id, { ok, ko }));
        },
        onEvent(fn) {
          waiters.push(fn);
        },
        close() {
          ws.terminate();
        },
      })
    );
    ws.on('error', reject);
    ws.on('close', () => {
      for (const { ko } of pending.values()) ko(new Error('DevTools connection closed'));
      pending.clear();
    });
  });
}

// getTree's nodes reduced to what the check compares, children in index order.
function simplify(node) {
  if (node.url !== undefined) return { title: node.title, url: node.url };
  return { title: node.title, children: (node.children || []).map(simplify) };
}

async function main() {
  const cdp = await connect(await endpoint());
  const { targetId } = await cdp.send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await cdp.send('Target.attachToTarget', { targetId, flatten: true });
  await cdp.send('Page.enable', {}, sessionId);
  const loaded = new Promise((resolve) =>
    cdp.onEvent((m) => {
      if (m.method === 'Page.loadEventFired' && m.sessionId === sessionId) resolve();
    })
  );
  await cdp.send('Page.navigate', { url: 'chrome://bookmarks/' }, sessionId);
  await loaded;

  // The model loads asynchronously at startup; getTree waits for it itself.
  const expression = `(async () => {
    if (!globalThis.chrome || !chrome.bookmarks) return JSON.stringify({error: 'no chrome.bookmarks on ' + location.href});
    const [root] = await chrome.bookmarks.getTree();
    return JSON.stringify(root);
  })()`;
  const res = await cdp.send(
    'Runtime.evaluate',
    { expression, awaitPromise: true, returnByValue: true },
    sessionId
  );
  if (res.exceptionDetails) fail(`evaluate threw: ${JSON.stringify(res.exceptionDetails).slice(0, 400)}`);
  const root = JSON.parse(res.result.value);
  if (root.error) fail(root.error);
  // The bar is the root child Chromium marks as such (id "1" in every local profile).
  const bar = (root.children || []).find((c) => c.folderType === 'bookmarks-bar') ||
    (root.children || []).find((c) => c.id === '1');
  if (!bar) fail(`no bookmark bar in getTree(): ${JSON.stringify(root).slice(0, 400)}`);
  const roots = (root.children || []).map((c) => ({ id: c.id, title: c.title, folderType: c.folderType }));
  process.stdout.write(JSON.stringify({ roots, bar: (bar.children || []).map(simplify) }) + '\n');

  if (touch) {
    const change = `(async () => {
      const node = await chrome.bookmarks.create({parentId: '2', title: 'check-real-browsers', url: 'https://touch.example.com/'});
      await chrome.bookmarks.remove(node.id);
      return 'ok';
    })()`;
    const done = await cdp.send('Runtime.evaluate', { expression: change, awaitPromise: true, returnByValue: true }, sessionId);
    if (done.exceptionDetails) fail(`touch threw: ${JSON.stringify(done.exceptionDetails).slice(0, 400)}`);
  }

  if (close) {
    await cdp.send('Target.closeTarget', { targetId });
    // Browser.close answers only sometimes before the connection drops.
    await Promise.race([cdp.send('Browser.close').catch(() => {}), new Promise((r) => setTimeout(r, 5000))]);
  }
  cdp.close();
}

main().catch((e) => fail(e.message));
