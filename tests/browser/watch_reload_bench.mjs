// Benchmark: time from saving a watched source to the reloaded page showing the new output
// in headless Chromium, over ten saves; prints each figure and the median.
// Run: LUM_EXE=build/lum node tests/browser/watch_reload_bench.mjs
import fs from 'node:fs';
import path from 'node:path';

import { launchBrowser, nextWaitRequest, save, sleep, startWatch, stopWatch, tempFolder, waitForPanel } from './watch_helpers.mjs';

const rounds = 10;
const folder = tempFolder('lum-bench-');
const source = path.join(folder, 'игра.лумс');
fs.writeFileSync(source, 'вывести("замер 0");\n');
const watch = await startWatch(folder, 'игра.лумс');
const browser = await launchBrowser();
const times = [];
try {
  const page = await browser.context.newPage();
  let polling = nextWaitRequest(page);
  await page.goto(watch.url);
  await waitForPanel(page, 'замер 0');
  for (let i = 1; i <= rounds; ++i) {
    await polling;
    // Saves land at a random point of the 400 ms polling period.
    await sleep(300 + Math.floor(Math.random() * 400));
    polling = nextWaitRequest(page, 20000);
    const saved = performance.now();
    save(source, `вывести("замер ${i}");\n`);
    await waitForPanel(page, `замер ${i}`, 20000);
    times.push(performance.now() - saved);
  }
} finally {
  await browser.close();
  await stopWatch(watch);
  fs.rmSync(folder, { recursive: true, force: true });
}
const sorted = [...times].sort((a, b) => a - b);
const median = (sorted[rounds / 2 - 1] + sorted[rounds / 2]) / 2;
console.log(`save to reloaded page, ms: ${times.map((t) => t.toFixed(0)).join(' ')}`);
console.log(`median of ${rounds}: ${median.toFixed(0)} ms (min ${sorted[0].toFixed(0)}, max ${sorted[rounds - 1].toFixed(0)})`);
