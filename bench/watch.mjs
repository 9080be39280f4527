// Benchmark of watch mode in headless Chromium and over raw sockets; prints figures, asserts
// nothing. Run (Linux):            LUM_EXE=build/lum node bench/watch.mjs
// Run (lum.exe under Wine):        LUM_EXE=build-win/lum.exe LUM_WRAPPER=wine node bench/watch.mjs
// (playwright-core must be in tests/browser/node: sh tests/browser/node_test.sh installs it.)
//  1. save -> reloaded page, over 10 saves at random points of the polling period;
//  2. ten tabs open at once, five saves: every tab reloads each time, over how many long polls;
//  3. a page over 200 KB fetched by Chromium with a 4 KB cookie;
//  4. 500 idle connections open while GET / is asked 20 times;
//  5. threads and resident memory of the lum process before and after all of it.
import fs from 'node:fs';
import net from 'node:net';
import path from 'node:path';

import {
  launchBrowser,
  nextWaitRequest,
  save,
  sleep,
  startWatch,
  stopWatch,
  tempFolder,
  waitForPanel,
} from '../tests/browser/watch_helpers.mjs';

const statusField = (pid, field) => {
  try {
    const line = fs.readFileSync(`/proc/${pid}/status`, 'utf8').split('\n').find((l) => l.startsWith(field + ':'));
    return line ? parseInt(line.slice(field.length + 1), 10) : NaN;
  } catch {
    return NaN;
  }
};
const figures = (times) => {
  const s = [...times].sort((a, b) => a - b);
  const median = s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
  return `median ${median.toFixed(0)} ms, max ${s[s.length - 1].toFixed(0)} ms (${times.map((t) => t.toFixed(0)).join(' ')})`;
};

// One GET on a fresh connection; resolves with the bytes and the milliseconds to the close.
function rawGet(port, target, extraHeaders = '') {
  return new Promise((resolve, reject) => {
    const started = performance.now();
    const chunks = [];
    const socket = net.connect(port, '127.0.0.1', () => {
      socket.write(`GET ${target} HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\n${extraHeaders}\r\n`);
    });
    socket.on('data', (d) => chunks.push(d));
    socket.on('end', () => resolve({ bytes: Buffer.concat(chunks), ms: performance.now() - started }));
    socket.on('error', reject);
  });
}

const folder = tempFolder('lum-bench-');
const source = path.join(folder, 'игра.лумс');
fs.writeFileSync(source, 'вывести("замер 0");\n');
const watch = await startWatch(folder, 'игра.лумс');
const port = Number(new URL(watch.url).port);
const pid = watch.child.pid;
const before = { threads: statusField(pid, 'Threads'), rss: statusField(pid, 'VmRSS') };
const browser = await launchBrowser();
let round = 0;
try {
  // 1. One tab, ten saves.
  const page = await browser.context.newPage();
  let polling = nextWaitRequest(page);
  await page.goto(watch.url);
  await waitForPanel(page, 'замер 0');
  const times = [];
  for (let i = 0; i < 10; ++i) {
    await polling;
    await sleep(300 + Math.floor(Math.random() * 400));
    polling = nextWaitRequest(page, 20000);
    const saved = performance.now();
    save(source, `вывести("замер ${++round}");\n`);
    await waitForPanel(page, `замер ${round}`, 20000);
    times.push(performance.now() - saved);
  }
  console.log(`1. save to reloaded page, 10 saves: ${figures(times)}`);

  // 2. Ten tabs, five saves.
  const tabs = [page];
  const polls = { pending: new Set(), most: 0 };
  browser.context.on('request', (r) => {
    if (new URL(r.url()).pathname !== '/wait') return;
    polls.pending.add(r);
    polls.most = Math.max(polls.most, polls.pending.size);
  });
  const finished = (r) => polls.pending.delete(r);
  browser.context.on('requestfinished', finished);
  browser.context.on('requestfailed', finished);
  for (let i = 1; i < 10; ++i) {
    const tab = await browser.context.newPage();
    const opened = performance.now();
    await tab.goto(watch.url, { timeout: 30000 });
    await waitForPanel(tab, `замер ${round}`, 30000);
    if (performance.now() - opened > 5000) console.log(`   tab ${i + 1} took ${(performance.now() - opened).toFixed(0)} ms to open`);
    tabs.push(tab);
  }
  const allTimes = [];
  let reloadedAll = 0;
  for (let i = 0; i < 5; ++i) {
    await sleep(800);
    const saved = performance.now();
    save(source, `вывести("замер ${++round}");\n`);
    const settled = await Promise.allSettled(tabs.map((tab) => waitForPanel(tab, `замер ${round}`, 20000)));
    const ok = settled.filter((s) => s.status === 'fulfilled').length;
    reloadedAll += ok === tabs.length;
    allTimes.push(performance.now() - saved);
    if (ok !== tabs.length) console.log(`   save ${i + 1}: only ${ok} of ${tabs.length} tabs reloaded`);
  }
  console.log(`2. ten tabs, five saves: all ten reloaded on ${reloadedAll} of 5; save to the last tab reloaded: ` +
    `${figures(allTimes)}; long polls open at once at most: ${polls.most}`);
  for (const tab of tabs.slice(1)) await tab.close();

  // 3. A big page with a 4 KB cookie.
  let big = '';
  for (let i = 0; big.length < 120000; ++i) big += `вывести("строка ${i} большой страницы");\n`;
  save(source, big + 'вывести("конец большой страницы");\n');
  await sleep(1500);
  // Chromium keeps cookies of at most 4096 bytes, name and value together.
  await browser.context.addCookies([{ name: 'c', value: 'x'.repeat(4095), url: watch.url }]);
  const response = await page.goto(watch.url, { timeout: 30000 });
  const body = await response.body();
  await waitForPanel(page, 'конец большой страницы', 10000);
  const served = fs.readFileSync(path.join(folder, 'игра.html'));
  console.log(`3. page of ${served.length} bytes with a 4 KB cookie: Chromium got ${body.length} bytes, ` +
    `${body.equals(served) ? 'whole' : 'NOT WHOLE'}, and its script ran to the last line`);
  await page.close();

  // 4. 500 idle connections, GET / twenty times.
  const beforeIdle = { threads: statusField(pid, 'Threads'), rss: statusField(pid, 'VmRSS') };
  const idle = [];
  for (let i = 0; i < 500; ++i) {
    idle.push(await new Promise((resolve) => {
      const s = net.connect(port, '127.0.0.1', () => resolve(s));
      s.on('error', () => resolve(s));
    }));
  }
  const getTimes = [];
  let whole = 0;
  for (let i = 0; i < 20; ++i) {
    const r = await rawGet(port, '/');
    getTimes.push(r.ms);
    whole += r.bytes.length > served.length && r.bytes.subarray(r.bytes.length - served.length).equals(served);
  }
  const peak = { threads: statusField(pid, 'Threads'), rss: statusField(pid, 'VmRSS') };
  console.log(`4. GET / with 500 idle connections open: ${figures(getTimes)}; ${whole} of 20 whole`);
  for (const s of idle) s.destroy();
  await sleep(1000);
  const after = { threads: statusField(pid, 'Threads'), rss: statusField(pid, 'VmRSS') };
  console.log(`5. threads: at start ${before.threads}, before the idle connections ${beforeIdle.threads}, with them ` +
    `${peak.threads}, after ${after.threads}; resident memory: at start ${before.rss} kB, before the idle connections ` +
    `${beforeIdle.rss} kB, with them ${peak.rss} kB, after ${after.rss} kB`);
} finally {
  await browser.close();
  await stopWatch(watch);
  fs.rmSync(folder, { recursive: true, force: true });
}
