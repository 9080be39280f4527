// What the notes on where a strange value was made cost an ordinary run: each program's page as lum
// writes it and the same page without origin.js, loaded in turns in one headless Chromium, each load
// in a fresh browser context (which page goes first alternates from round to round, so a busy
// machine weighs on both alike; a few warm-up rounds are not counted). Nothing in these programs is
// strange, so the notes stay silent: "вывод" prints 10000 lines of text and numbers, "счёт" adds in
// a loop and prints 100 lines, "ответ" prints 5000 lines in a program that also asks, "склейка"
// prints 5000 lines in a program with a «"…" + а + б» line (every line of it is looked at closely).
// Two times per load: "время", the program's own, from its first line to its last by
// performance.now() in the page; "cpu", the processor time of the page's main thread (DevTools
// Performance metrics) from before loading to the frame after the program's end, which also counts
// reading origin.js. On a shared machine the first swings by a quarter from load to load, the second
// far less, so the figure comes from "cpu". Each row gives the medians of both pages, the median of
// the rounds' ratios and their interquartile range; the last line, the largest median ratio of the
// "cpu" rows, is the figure: the command fails when it is above 1.10.
//
//   npm ci --prefix tests/browser/node   # once: the browser driver, playwright-core
//   ninja -C build lum lum_rules && nice node bench/origin_cost.mjs [--rounds N] [--warmup N]
//   (30 rounds after 3 warm-up by default; LUM_EXE names the lum to use, build/lum by default)
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { spawnSync } from 'node:child_process';
import { createRequire } from 'node:module';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
const require = createRequire(path.join(here, '..', 'tests', 'browser', 'node', 'package.json'));
const { chromium } = require('playwright-core');

const limit = 1.1;
const options = { rounds: 30, warmup: 3 };
for (let i = 2; i < process.argv.length; i += 2) {
  const name = process.argv[i].replace(/^--/, ''), value = Number(process.argv[i + 1]);
  if (!(name in options) || !Number.isInteger(value) || value < (name === 'rounds' ? 1 : 0)) {
    console.error('usage: node bench/origin_cost.mjs [--rounds N>=1] [--warmup N>=0]');
    process.exit(2);
  }
  options[name] = value;
}
const lum = path.resolve(process.env.LUM_EXE || path.join(here, '..', 'build', 'lum'));
if (!fs.existsSync(lum)) {
  console.error(`no lum at ${lum} (build the lum target first, or name it in LUM_EXE)`);
  process.exit(1);
}

const programs = {
  вывод: 'повторить 10000 раз\n  вывести("Шаг " + счётчик + ": " + счётчик * 2)\nконец',
  счёт: 'пусть сумма = 0\nповторить 100 раз\n  повторить 20000 раз\n    сумма = сумма + счётчик % 7\n  конец\n' +
    '  вывести("Сумма: " + сумма)\nконец',
  ответ: 'window.prompt = function () { return "Аня" }\nпусть имя = спросить("Как тебя зовут?")\n' +
    'повторить 5000 раз\n  вывести(имя + " " + счётчик)\nконец',
  склейка: 'пусть имя = "Аня"\nпусть фамилия = "Ли"\nповторить 5000 раз\n  вывести("Ученик: " + имя + фамилия)\nконец',
};

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lum-origin-cost-'));
// Both pages of a program: as lum writes it, and less origin.js (from its opening comment to the next file's).
function pair(name, body) {
  const source = path.join(work, `${name}.лумс`);
  fs.writeFileSync(source, `пусть начало_замера = performance.now()\n${body}\n` +
    'document.title = "мс " + (performance.now() - начало_замера)\n');
  const made = spawnSync(lum, [source], { cwd: work, encoding: 'utf8' });
  const page = path.join(work, `${name}.html`);
  if (made.status !== 0 || !fs.existsSync(page)) throw new Error(`lum failed on ${name}:\n${made.stdout}${made.stderr}`);
  const text = fs.readFileSync(page, 'utf8');
  const start = text.indexOf('// Откуда взялось странное значение');
  const end = start < 0 ? -1 : text.indexOf('// Ошибки новичка словами', start);
  if (end < 0) throw new Error(`${name}: the page has no origin.js between its neighbours`);
  const without = path.join(work, `${name}_без.html`);
  fs.writeFileSync(without, text.slice(0, start) + text.slice(end));
  return { with: page, without };
}

// One load: the program's own time (ms, performance.now in the page) and the processor time of the
// page's main thread (ms) from before loading to the frame after the program's end. The pages carry a
// loop limit of a minute (#предел=60): on a busy machine the 10000 prints may pass the usual 2
// seconds, and a stopped loop never sets the title. The browser's own console.log, innermost under
// the page's, is silenced before the page starts: with the driver attached each call is sent to it,
// which made up most of a print's time and most of the noise, and a learner's browser does not pay it.
async function run(browser, file) {
  const context = await browser.newContext();
  await context.addInitScript(() => {
    for (const name of ['log', 'error', 'warn', 'info']) console[name] = function () {};
  });
  try {
    const page = await context.newPage();
    const devtools = await context.newCDPSession(page);
    await devtools.send('Performance.enable');
    const threadMs = async () =>
      1000 * (await devtools.send('Performance.getMetrics')).metrics.find((m) => m.name === 'ThreadTime').value;
    const before = await threadMs();
    await page.goto(pathToFileURL(file).href + '#предел=60');
    const title = await page.waitForFunction(() => /^мс [0-9.]+$/.test(document.title) && document.title, null,
      { timeout: 90000, polling: 20 });
    await page.evaluate(() => new Promise((done) => requestAnimationFrame(() => setTimeout(done, 0))));
    return { wall: Number((await title.jsonValue()).slice(3)), cpu: (await threadMs()) - before };
  } finally {
    await context.close();
  }
}

const quantile = (values, q) => {
  const s = [...values].sort((a, b) => a - b), at = (s.length - 1) * q, lo = Math.floor(at);
  return s[lo] + (s[Math.min(lo + 1, s.length - 1)] - s[lo]) * (at - lo);
};
const median = (values) => quantile(values, 0.5);

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
    '--disable-sync', '--no-first-run'],
});
let worst = 0;
const row = (label, a, b) => {
  const ratios = a.map((x, i) => x / b[i]);
  const ratio = median(ratios);
  console.log(`${label.padEnd(14)} ${median(a).toFixed(1).padStart(11)} ${median(b).toFixed(1).padStart(9)} ` +
    `${ratio.toFixed(3).padStart(8)}  ${quantile(ratios, 0.25).toFixed(3)}–${quantile(ratios, 0.75).toFixed(3)}`);
  return ratio;
};
try {
  console.log(`${options.rounds} rounds after ${options.warmup} warm-up, each load in a fresh context`);
  console.log('программа         с origin.js    без, мс    доля  размах (25%–75%)');
  for (const [name, body] of Object.entries(programs)) {
    const pages = pair(name, body);
    const loads = { with: [], without: [] };
    for (let round = 0; round < options.warmup + options.rounds; round++) {
      const order = round % 2 === 0 ? ['with', 'without'] : ['without', 'with'];
      const got = {};
      for (const which of order) got[which] = await run(browser, pages[which]);
      if (round < options.warmup) continue;
      loads.with.push(got.with);
      loads.without.push(got.without);
    }
    const pick = (key, which) => loads[which].map((load) => load[key]);
    row(`${name}: время`, pick('wall', 'with'), pick('wall', 'without'));
    worst = Math.max(worst, row(`${name}: cpu`, pick('cpu', 'with'), pick('cpu', 'without')));
  }
} finally {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(`итог: наибольшая доля ${worst.toFixed(3)} (предел ${limit.toFixed(3)})`);
process.exitCode = worst <= limit ? 0 : 1;
