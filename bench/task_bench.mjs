// Benchmark of task checks: lum --check on a folder of 30 solutions × 5 tests (goal: at most 15 s),
// once with every solution ending in time and once with one endless loop among them (which costs
// its 5 tests × 2 s by design); and the learner page's own check of 5 tests in headless Chromium,
// as the page itself times it from «Проверить» to the last row (goal: at most 1 s). Prints
// figures; it asserts nothing.
//
//   npm ci --prefix tests/browser/node   # once: the browser driver, playwright-core
//   ninja -C build lum lum_rules && LUM_EXE=build/lum node bench/task_bench.mjs [--rounds N]
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser, tempFolder } from '../tests/browser/watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const samples = path.join(root, 'tests', 'tasks', 'samples');
const lum = path.resolve(process.env.LUM_EXE || path.join(root, 'build', 'lum'));
const roundsAt = process.argv.indexOf('--rounds');
const rounds = roundsAt > 0 ? Number(process.argv[roundsAt + 1]) : 3;
const read = (name) => fs.readFileSync(path.join(samples, name), 'utf8');
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];

// A class of 30: mostly right (each a little different), a few off by one or fitted to the visible tests.
function classFolder(withEndless) {
  const folder = tempFolder('lum-task-bench-');
  fs.copyFileSync(path.join(samples, 'сумма.задача'), path.join(folder, 'сумма.задача'));
  for (let i = 0; i < 30; i++) {
    let text = read('верно.лумс') + `// ученик ${i}\n`;
    if (i % 10 === 3) text = read('на_один.лумс');
    if (i % 10 === 7) text = read('подогнано.лумс');
    if (withEndless && i === 29) text = read('вечно.лумс');
    fs.writeFileSync(path.join(folder, `ученик_${String(i).padStart(2, '0')}.лумс`), text);
  }
  return folder;
}

for (const withEndless of [false, true]) {
  const times = [];
  for (let r = 0; r < rounds; r++) {
    const folder = classFolder(withEndless);
    const started = performance.now();
    const result = spawnSync(lum, ['--check', path.join(folder, 'сумма.задача'), folder], { encoding: 'utf8' });
    times.push((performance.now() - started) / 1000);
    if (result.status !== 1 || !/Прошли все тесты: \d+ из 30/.test(result.stdout)) console.log(result.stdout + result.stderr);
    fs.rmSync(folder, { recursive: true, force: true });
  }
  console.log(`lum --check, 30 solutions × 5 tests${withEndless ? ', one endless loop' : ''}: median ${median(times).toFixed(2)} s, ` +
              `max ${Math.max(...times).toFixed(2)} s (${rounds} runs; goal ≤ 15 s)`);
}

const folder = tempFolder('lum-task-bench-page-');
for (const name of ['сумма.задача', 'верно.лумс']) fs.copyFileSync(path.join(samples, name), path.join(folder, name));
spawnSync(lum, [path.join(folder, 'верно.лумс'), '--task', path.join(folder, 'сумма.задача')]);
const browser = await launchBrowser();
const own = [];
try {
  for (let r = 0; r < Math.max(rounds, 5); r++) {
    const page = await browser.context.newPage();
    await page.goto(pathToFileURL(path.join(folder, 'верно.html')).href);
    await page.click('#task-check');
    await page.waitForSelector('#task-summary[data-ms]');
    own.push(Number(await page.getAttribute('#task-summary', 'data-ms')));
    await page.close();
  }
} finally {
  await browser.close();
  fs.rmSync(folder, { recursive: true, force: true });
}
console.log(`the page's own check of 5 tests: median ${median(own)} ms, max ${Math.max(...own)} ms (${own.length} runs; goal ≤ 1000 ms)`);
