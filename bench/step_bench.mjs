// Benchmark of «По шагам» in headless Chromium against lum -w: recording a loop of three
// variables up to the 100,000-step limit (goal: at most 1 s); moving to a random step, with and
// without drawing (goal: at most 50 ms); and a run without step mode, on the watch page (with its
// source map and button) against the ordinary page. Prints figures; it asserts nothing.
//
//   npm ci --prefix tests/browser/node   # once: the browser driver, playwright-core
//   ninja -C build lum step && LUM_EXE=build/lum node bench/step_bench.mjs
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { pathToFileURL } from 'node:url';
import { launchBrowser, startWatch, stopWatch, tempFolder } from '../tests/browser/watch_helpers.mjs';

process.env.LUM_EXE = path.resolve(process.env.LUM_EXE || 'build/lum');
const loop = 'пусть а = 0\nпусть б = 1\nпусть в = 0\nпока в меньше 24999 делать\n  а = а + в\n  б = (б * 3) % 1000\n  в = в + 1\nконец\n';
const drawing = 'ПБ расширенной работы с холстом\nразмеры_холста(400, 300)\nпусть x = 0\nповторить 5000 раз\n' +
  '  цвет("hsl(" + x % 360 + ", 70%, 50%)")\n  круг(x % 400, (x * 7) % 300, 10)\n  x = x + 1\nконец\n';
const plain = 'пусть начало = performance.now()\nпусть сумма = 0\nпусть i = 0\nпока i меньше 3000000 делать\n' +
  '  сумма = сумма + i % 7\n  i = i + 1\nконец\nвывести(performance.now() - начало)\n';
const stats = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return `median ${sorted[sorted.length >> 1].toFixed(1)} ms, max ${sorted.at(-1).toFixed(1)} ms (${sorted.length} runs)`;
};

const browser = await launchBrowser();
async function served(text, use) {
  const folder = tempFolder('lum-step-bench-');
  fs.writeFileSync(path.join(folder, 'б.лумс'), text);
  const watch = await startWatch(folder, 'б.лумс');
  try {
    return await use(watch, folder);
  } finally {
    await stopWatch(watch);
  }
}
async function recordedPage(url) {
  const page = await browser.context.newPage();
  await page.goto(url);
  await page.waitForFunction(() => window.__ЛУМ_ШАГИ__, null, { timeout: 60000 });
  return page;
}
async function moves(page) {
  return page.evaluate(() => {
    const { trace, view } = window.__ЛУМ_ШАГИ__;
    const times = [];
    let seed = 1;
    for (let i = 0; i < 200; i++) {
      seed = (seed * 16807) % 2147483647;
      const k = seed % trace.count;
      const start = performance.now();
      view.go(k);
      void document.body.offsetHeight; // the layout the move asks for
      times.push(performance.now() - start);
    }
    return times;
  });
}

try {
  await served(loop, async (watch) => {
    const times = [];
    let count = 0;
    let page;
    for (let i = 0; i < 5; i++) {
      page?.close();
      page = await recordedPage(watch.url + 'step');
      const got = await page.evaluate(() => [window.__ЛУМ_ШАГИ__.recordedMs, window.__ЛУМ_ШАГИ__.trace.count]);
      times.push(got[0]);
      count = got[1];
    }
    console.log(`recording a loop of three variables, ${count} steps: ${stats(times)}`);
    console.log(`moving to a random one of them: ${stats(await moves(page))}`);
    await page.close();
  });
  await served(drawing, async (watch) => {
    const page = await recordedPage(watch.url + 'step');
    const [count, ms, checkpoints] = await page.evaluate(() => {
      const s = window.__ЛУМ_ШАГИ__;
      return [s.trace.count, s.recordedMs, s.trace.canvasLog.checkpoints.length];
    });
    console.log(`recording a drawing of 5000 circles, ${count} steps, ${checkpoints} canvas checkpoints: ${ms.toFixed(1)} ms`);
    console.log(`moving to a random one of them: ${stats(await moves(page))}`);
    await page.close();
  });
  await served(plain, async (watch, folder) => {
    spawnSync(process.env.LUM_EXE, ['б.лумс'], { cwd: folder });
    // The two pages load in turns, so that a busy moment of the machine falls on both.
    const timed = async (url) => {
      const page = await browser.context.newPage();
      await page.goto(url);
      const ms = Number(await page.evaluate(() => document.getElementById('result').textContent));
      await page.close();
      return ms;
    };
    const ordinary = [];
    const watched = [];
    for (let i = 0; i < 11; i++) {
      ordinary.push(await timed(pathToFileURL(path.join(folder, 'б.html')).href));
      watched.push(await timed(watch.url));
    }
    console.log(`a loop of 3,000,000 turns without step mode, as the program times itself:`);
    console.log(`  ordinary page (file://): ${stats(ordinary)}`);
    console.log(`  watch page with source map and button: ${stats(watched)}`);
  });
} finally {
  await browser.close();
}
