// Helpers for check-real-browsers.sh, working on bars as the browser clients
// print them: a list of nodes {title, url} or {title, children}.
//   node bars.js file-bar <Bookmarks>         the bar of a Chromium Bookmarks file
//   node bars.js check <file> <key> [--second-run] [<baseline file> <key>]
//        checks the bar at <key> of <file>: the folder with the first run's two
//        bookmarks (and, with --second-run, the second run's one after them)
//        and the bar item; the baseline's nodes must all still be there,
//        unchanged and in their order. Prints "ok" or what is wrong.
//   node bars.js diff <a.json> <b.json>        what changed between two JSON files
//   node bars.js maintenance <file>            one line per Places maintenance task
'use strict';
const fs = require('fs');

const FOLDER = 'Check Folder';
const IN_FOLDER = [
  { title: 'Folder Item One', url: 'https://one.example.com/' },
  { title: 'Folder Item Two', url: 'https://two.example.com/' },
];
const SECOND_RUN = { title: 'Second Run Item', url: 'https://second.example.com/' };
const ON_BAR = { title: 'Bar Item', url: 'https://bar.example.com/' };

const read = (file) => JSON.parse(fs.readFileSync(file, 'utf8').replace(/^\uFEFF/, ''));
const same = (a, b) => JSON.stringify(a) === JSON.stringify(b);
const show = (v) => JSON.stringify(v);

function chromiumNode(node) {
  if (node.type === 'url') return { title: node.name, url: node.url };
  return { title: node.name, children: (node.children || []).map(chromiumNode) };
}

function problems(bar, inFolder, baseline) {
  const out = [];
  if (!Array.isArray(bar)) return [`no bar list: ${show(bar).slice(0, 200)}`];
  const folders = bar.filter((n) => n.title === FOLDER);
  if (folders.length !== 1) {
    out.push(`${folders.length} nodes titled "${FOLDER}" on the bar (want 1): ${show(bar.map((n) => n.title))}`);
  } else if (!Array.isArray(folders[0].children)) {
    out.push(`"${FOLDER}" is not a folder: ${show(folders[0])}`);
  } else if (!same(folders[0].children, inFolder)) {
    out.push(`"${FOLDER}" holds ${show(folders[0].children)}, want ${show(inFolder)}`);
  }
  const items = bar.filter((n) => n.title === ON_BAR.title);
  if (items.length !== 1 || !same(items[0], ON_BAR)) {
    out.push(`want ${show(ON_BAR)} once on the bar, found ${show(items)}`);
  }
  // Every node that was there before must survive unchanged, in its order.
  let at = 0;
  for (const old of baseline) {
    while (at < bar.length && !same(bar[at], old)) at++;
    if (at === bar.length) {
      out.push(`node that was on the bar before is missing or changed or out of order: ${show(old)}`);
      break;
    }
    at++;
  }
  return out;
}

function flatten(value, prefix, into) {
  if (value !== null && typeof value === 'object') {
    const keys = Object.keys(value);
    if (keys.length === 0) into.set(prefix, Array.isArray(value) ? '[]' : '{}');
    for (const k of keys) flatten(value[k], `${prefix}/${k}`, into);
  } else {
    into.set(prefix, show(value));
  }
  return into;
}

const [command, ...args] = process.argv.slice(2);
if (command === 'file-bar') {
  const data = read(args[0]);
  process.stdout.write(show({ bar: data.roots.bookmark_bar.children.map(chromiumNode) }) + '\n');
} else if (command === 'check') {
  const second = args[2] === '--second-run';
  const rest = second ? args.slice(3) : args.slice(2);
  const bar = read(args[0])[args[1]];
  const baseline = rest.length ? read(rest[0])[rest[1]] : [];
  const found = problems(bar, second ? [...IN_FOLDER, SECOND_RUN] : IN_FOLDER, baseline);
  process.stdout.write((found.length ? found.join('; ') : 'ok') + '\n');
  process.exit(found.length ? 1 : 0);
} else if (command === 'diff') {
  const a = flatten(read(args[0]), '', new Map());
  const b = flatten(read(args[1]), '', new Map());
  const lines = [];
  for (const [k, v] of a) {
    if (!b.has(k)) lines.push(`removed ${k} = ${v}`);
    else if (b.get(k) !== v) lines.push(`changed ${k}: ${v} -> ${b.get(k)}`);
  }
  for (const [k, v] of b) if (!a.has(k)) lines.push(`added ${k} = ${v}`);
  process.stdout.write(lines.length ? lines.join('\n') + '\n' : 'no difference\n');
} else if (command === 'maintenance') {
  for (const [task, result] of Object.entries(read(args[0]).maintenance)) {
    const logs = result.logs.map((l) => (typeof l === 'string' ? l : show(l))).join(' / ');
    process.stdout.write(`${result.succeeded ? 'ok' : 'FAILED'} ${task}: ${logs}\n`);
  }
} else {
  process.stderr.write('usage: bars.js file-bar|check|diff|maintenance ...\n');
  process.exit(2);
}
