// Benchmark of the executors: (1) 100,000 Robot commands with the speed at «сразу», timed by the
// page itself from the first command to the last in headless Chromium (goal: at most 100 ms);
// (2) «Проверить» on the learner's page of a Robot task with 10 hidden fields, as the page times it
// (goal: at most 1 s); (3) lum --check of 30 solutions of a Robot task with 5 fields (goal: at
// most 15 s). Prints figures; it asserts nothing.
//
//   npm ci --prefix tests/browser/node   # once: the browser driver, playwright-core
//   ninja -C build lum lum_rules && LUM_EXE=build/lum node bench/robot_bench.mjs
import fs from 'node:fs';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser, tempFolder } from '../tests/browser/watch_helpers.mjs';

const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..');
const lum = path.resolve(process.env.LUM_EXE || path.join(root, 'build', 'lum'));
const median = (values) => [...values].sort((a, b) => a - b)[values.length >> 1];
const compile = (args) => {
  const r = spawnSync(lum, args, { encoding: 'utf8' });
  if (r.status !== 0) throw new Error(r.stdout + r.stderr);
};

// A field W×H with a wall of n cells above row 2 from column 2; the robot under its left end.
function wallField(w, n) {
  const top = '+' + '-+'.repeat(w);
  const wall = '+ ' + '+-'.repeat(n) + '+ '.repeat(w - n - 1) + '+';
  const row = (marks) => '|' + Array.from({ length: w }, (_, c) => (marks && c >= 1 && c <= n ? '.' : ' ') + (c === w - 1 ? '|' : ' ')).join('');
  return ['робот 2 2', `финиш ${n + 2} 2`, top, row(false), wall, row(true), top].map((l) => '  ' + l).join('\n');
}
function task(fields) {
  let text = 'задача: Вдоль стены\nусловие: закрасьте клетки под стеной\n\n';
  fields.forEach((n, i) => { text += `тест:${i ? ' скрытый' : ''}\nполе:\n${wallField(n + 3, n)}\n\n`; });
  return text;
}
const solution = 'подключить исполнителя Робот\nпока сверху стена делать\n  закрасить\n  вправо\nконец\n';

const browser = await launchBrowser();
try {
  // 1. 100,000 commands: 25,000 times right, left, paint, and a condition, on the empty 7×7 field.
  const folder = tempFolder('lum-robot-bench-');
  fs.writeFileSync(path.join(folder, 'много.лумс'),
    'подключить исполнителя Робот\nпусть начало = performance.now()\nповторить 25000 раз\n  вправо\n  влево\n  закрасить\n' +
    '  если справа свободно то пусть x = 1 конец\nконец\nвывести("мс", performance.now() - начало)\n');
  compile([path.join(folder, 'много.лумс')]);
  const times = [];
  for (let r = 0; r < 5; r++) {
    const page = await browser.context.newPage();
    await page.goto(pathToFileURL(path.join(folder, 'много.html')).href);
    const text = await page.textContent('#result');
    times.push(Number(/мс ([\d.]+)/.exec(text)[1]));
    await page.close();
  }
  console.log(`100,000 Robot commands, speed «сразу»: median ${median(times).toFixed(1)} ms (goal ≤ 100 ms)`);

  // 2. A task with 10 hidden fields (and one open) on the learner's page.
  fs.writeFileSync(path.join(folder, 'стена.задача'), task([3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 12]));
  fs.writeFileSync(path.join(folder, 'решение.лумс'), solution);
  compile([path.join(folder, 'решение.лумс'), '--task', path.join(folder, 'стена.задача')]);
  const checks = [];
  for (let r = 0; r < 3; r++) {
    const page = await browser.context.newPage();
    await page.goto(pathToFileURL(path.join(folder, 'решение.html')).href);
    await page.click('#task-check');
    await page.waitForSelector('#task-summary[data-ms]', { timeout: 60000 });
    checks.push(Number(await page.getAttribute('#task-summary', 'data-ms')));
    console.log('  ' + (await page.textContent('#task-summary')));
    await page.close();
  }
  console.log(`«Проверить», 11 fields (10 hidden): median ${median(checks)} ms (goal ≤ 1000 ms)`);

  // 3. lum --check: 30 solutions × 5 fields.
  const klass = tempFolder('lum-robot-class-');
  fs.writeFileSync(path.join(klass, 'стена.задача'), task([3, 1, 5, 8, 12]));
  for (let i = 0; i < 30; i++) {
    let text = solution + `// ученик ${i}\n`;
    if (i % 10 === 3) text = 'подключить исполнителя Робот\nповторить 3 раза закрасить вправо конец\n';
    if (i % 10 === 7) text = solution + 'вверх\n';
    fs.writeFileSync(path.join(klass, `ученик_${String(i).padStart(2, '0')}.лумс`), text);
  }
  const start = Date.now();
  spawnSync(lum, ['--check', path.join(klass, 'стена.задача'), klass], { encoding: 'utf8' });
  console.log(`lum --check, 30 solutions × 5 fields: ${((Date.now() - start) / 1000).toFixed(1)} s (goal ≤ 15 s)`);
  fs.rmSync(folder, { recursive: true, force: true });
  fs.rmSync(klass, { recursive: true, force: true });
} finally {
  await browser.close();
}
