// Benchmark of playground.html in headless Chromium, from file://: its size; the compile time of
// the largest example in the playground's worker (median of 30, after one cold compile); a 10 MB
// paste (the longest gap between animation frames of the editor's thread, and the time until the
// compiled page is shown); an endless loop in the page (frames per second of the editor meanwhile).
// Prints figures; it asserts nothing.
//
//   npm ci --prefix tests/browser/node   # once: the browser driver, playwright-core
//   node bench/playground_bench.mjs build/playground.html
import fs from 'node:fs';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { launchBrowser, sleep } from '../tests/browser/watch_helpers.mjs';

const file = path.resolve(process.argv[2] || 'build/playground.html');
const examplesFolder = path.join(path.dirname(new URL(import.meta.url).pathname), '..', 'examples');
const examples = fs.readdirSync(examplesFolder).filter((name) => /\.лумс?$/.test(name));
const largest = examples.reduce((a, b) =>
  fs.statSync(path.join(examplesFolder, a)).size >= fs.statSync(path.join(examplesFolder, b)).size ? a : b);
const stats = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return `median ${sorted[sorted.length >> 1].toFixed(2)}, min ${sorted[0].toFixed(2)}, max ${sorted.at(-1).toFixed(2)}`;
};

console.log(`playground.html: ${fs.statSync(file).size} bytes (limit ${2.5 * 1024 * 1024})`);
const browser = await launchBrowser();
try {
  const page = await browser.context.newPage();
  page.on('dialog', (dialog) => dialog.accept());
  await page.goto(pathToFileURL(file).href);
  await page.locator('#status.ok').waitFor();

  // A worker of its own from the page's worker source, timed by the worker itself.
  const source = fs.readFileSync(path.join(examplesFolder, largest), 'utf8');
  const times = await page.evaluate(async ({ name, source }) => {
    const worker = new Worker(URL.createObjectURL(new Blob([document.getElementById('lum-worker').textContent])));
    const answers = [];
    let wake = null;
    worker.onmessage = (event) => event.data.kind === 'compile' && (answers.push(event.data.milliseconds), wake && wake());
    worker.postMessage({ kind: 'rules', id: 0, text: JSON.parse(document.getElementById('lum-rules').textContent) });
    for (let id = 1; id <= 31; id++) {
      const answered = new Promise((resolve) => (wake = resolve));
      worker.postMessage({ kind: 'compile', id, name, source, js: false });
      await answered;
    }
    worker.terminate();
    return answers;
  }, { name: largest, source });
  console.log(`compile of ${largest} (${Buffer.byteLength(source)} bytes) in the worker: cold ${times[0].toFixed(2)} ms; ` +
    `warm ${stats(times.slice(1))} ms`);

  // The editor's thread: animation frames (painting) and a chain of tasks (the thread being
  // free to handle input), as the longest gaps between them.
  const startProbe = () => page.evaluate(() => {
    const probe = (window.benchProbe = { frames: [], tasks: [], stop: false });
    const frame = (t) => (probe.frames.push(t), probe.stop || requestAnimationFrame(frame));
    requestAnimationFrame(frame);
    const channel = new MessageChannel();
    channel.port1.onmessage = () => (probe.tasks.push(performance.now()), probe.stop || setTimeout(() => channel.port2.postMessage(0)));
    channel.port2.postMessage(0);
  });
  const readProbe = () => page.evaluate(() => {
    const probe = window.benchProbe;
    probe.stop = true;
    const longest = (times) => times.reduce((gap, t, i) => (i ? Math.max(gap, t - times[i - 1]) : 0), 0);
    return { frames: probe.frames.length, gap: longest(probe.frames), taskGap: longest(probe.tasks),
      span: probe.frames.at(-1) - probe.frames[0] };
  });

  // A paste as the browser delivers one: a paste event carrying the text, made in the page.
  await page.click('#program-editor .cm-content');
  await page.keyboard.press('Control+A');
  await startProbe();
  const pasted = performance.now();
  const characters = await page.evaluate((source) => {
    let big = '';
    while (big.length < 10 * 1024 * 1024) big += source + '\n';
    const data = new DataTransfer();
    data.setData('text/plain', big);
    document.querySelector('#program-editor .cm-content').dispatchEvent(
      new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
    return big.length;
  }, source);
  const inserted = performance.now() - pasted;
  await page.waitForFunction((n) => document.getElementById('program-editor').textContent.length > 0 &&
    document.getElementById('status').className === 'ok' && document.getElementById('status').title !== n,
    await page.getAttribute('#status', 'title'), { timeout: 120000, polling: 50 });
  const compiled = performance.now() - pasted;
  await sleep(500);
  const paste = await readProbe();
  console.log(`10 MB paste (${characters} characters): the paste event returned after ${inserted.toFixed(0)} ms; ` +
    `compiled after ${compiled.toFixed(0)} ms; longest gap between frames ${paste.gap.toFixed(0)} ms, ` +
    `between tasks ${paste.taskGap.toFixed(0)} ms (${paste.frames} frames in ${paste.span.toFixed(0)} ms)`);
  // So large a page is run on request only.
  await startProbe();
  const started = performance.now();
  // Waited for from inside the page: the driver's frame locators would read the frame element,
  // srcdoc and all, through the page's thread.
  await page.evaluate(() => {
    document.getElementById('run').click();
    return new Promise((resolve) => document.querySelector('#output iframe').addEventListener('load', resolve));
  });
  const shown = performance.now() - started;
  await sleep(500);
  const run = await readProbe();
  console.log(`its ${(await page.evaluate(() => document.querySelector('#output iframe').srcdoc.length))} characters ` +
    `of page run: shown after ${shown.toFixed(0)} ms; longest gap between frames ${run.gap.toFixed(0)} ms, ` +
    `between tasks ${run.taskGap.toFixed(0)} ms`);

  await page.keyboard.press('Control+A');
  await page.keyboard.insertText('while (true) {}\n');
  await page.frameLocator('#output iframe').locator('body').waitFor({ state: 'attached' }).catch(() => {});
  await sleep(1000);
  await startProbe();
  await sleep(2000);
  const loop = await readProbe();
  console.log(`endless loop in the page: editor ${(loop.frames / (loop.span / 1000)).toFixed(0)} frames/s, ` +
    `longest gap between frames ${loop.gap.toFixed(0)} ms, between tasks ${loop.taskGap.toFixed(0)} ms`);
  await page.click('#stop');
  console.log(`after «Стоп»: frames left ${await page.locator('#output iframe').count()}`);
} finally {
  await browser.close();
}
